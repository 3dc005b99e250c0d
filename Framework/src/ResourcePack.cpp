#include "Framework/ResourcePack.h"

#include <QFileInfo>
#include <QResource>

namespace fw {

ResourcePack::~ResourcePack() {
    Release();
}

bool ResourcePack::Load(const QString& path) {
    Release();
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(full).isFile() || !QResource::registerResource(full, Root()))
        return false;
    path_ = full;
    return true;
}

void ResourcePack::Release() {
    if (path_.isEmpty())
        return;
    QResource::unregisterResource(path_, Root());
    path_.clear();
}

} // namespace fw
