#include "Framework/ResourcePack.h"

#include "Framework/RegularFile.h"
#include "Framework/ResourcePackCheck.h"
#include "Framework/Trace.h"

#include <QFileInfo>
#include <QResource>

namespace fw {

ResourcePack::~ResourcePack() {
    Release();
}

bool ResourcePack::Load(const QString& path) {
    Release();
    const QString full = QFileInfo(path).absoluteFilePath();
    // Read once into memory of our own, checked before Qt sees it: Qt trusts every offset of
    // a pack, and a file it mapped itself could be changed under it.
    QByteArray bytes;
    const RegularFileStatus status =
        ReadRegularFile(full, static_cast<std::int64_t>(kMaxResourcePackBytes), &bytes);
    if (status == RegularFileStatus::Missing)
        return false;
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    if (status != RegularFileStatus::Ok ||
        !IsSoundResourcePack(data, static_cast<std::size_t>(bytes.size())) ||
        !QResource::registerResource(data, Root())) {
        Trace(QStringLiteral("The language pack %1 is damaged or not a pack; it is not used.")
                  .arg(full));
        return false;
    }
    data_ = std::move(bytes);
    path_ = full;
    return true;
}

void ResourcePack::Release() {
    if (path_.isEmpty())
        return;
    QResource::unregisterResource(reinterpret_cast<const uchar*>(data_.constData()), Root());
    data_.clear();
    path_.clear();
}

} // namespace fw
