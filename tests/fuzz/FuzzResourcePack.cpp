// Fuzz target: language packs as a damaged download or another program may leave them. What
// the check passes is handed to Qt and every entry read, so a hole in the check shows up as a
// crash here.
#include "Framework/ResourcePackCheck.h"

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QResource>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Qt's warnings about blocks that do not expand are expected here, by the thousand.
    static const auto quiet =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    (void)quiet;
    if (!fw::IsSoundResourcePack(data, size))
        return 0;
    const QByteArray copy(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto* pack = reinterpret_cast<const uchar*>(copy.constData());
    const QString root = QStringLiteral("/fuzz");
    if (!QResource::registerResource(pack, root))
        return 0;
    QDirIterator it(QStringLiteral(":/fuzz"), QDir::AllEntries | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QResource resource(path);
        resource.uncompressedData();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    }
    QResource::unregisterResource(pack, root);
    return 0;
}
