// Fuzz target: settings files as a user (or anything else) may leave them.
#include "Framework/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/settings.ini");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    const fw::ProfileFile profile(path);
    profile.ReadString(QStringLiteral("Settings"), QStringLiteral("Language"), QString());
    profile.ReadInt(QStringLiteral("settings"), QStringLiteral("OpenLog"), 0);
    profile.WriteString(QStringLiteral("Settings"), QStringLiteral("Language"),
                        QStringLiteral("en_US"));
    if (profile.ReadString(QStringLiteral("SETTINGS"), QStringLiteral("language"), QString()) !=
        QStringLiteral("en_US"))
        std::abort(); // a write must always be read back
    return 0;
}
