#include "SysInfo.h"

#include <QFile>
#include <QList>

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {
constexpr std::size_t kBufferSize = 1024;
} // namespace

QString SysInfo::BrandText(const char* buffer, std::size_t size) {
    QByteArray text(buffer, static_cast<qsizetype>(strnlen(buffer, size)));
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return QString::fromLatin1(text);
}

QString SysInfo::ModelNameFromCpuinfo(const QByteArray& cpuinfo) {
    // x86 and most others say "model name"; a few architectures only have "cpu model".
    for (const char* key : {"model name", "cpu model"}) {
        for (const QByteArray& line : cpuinfo.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0 || line.left(colon).trimmed() != key)
                continue;
            const QByteArray value = line.mid(colon + 1).trimmed();
            return BrandText(value.constData(), static_cast<std::size_t>(value.size()));
        }
    }
    return QString();
}

// Kept as a dynamic symbol by the link options of the executable.
void SysInfo::GetCpuName(QString& name) {
#if defined(__i386__) || defined(__x86_64__)
    char buffer[kBufferSize] = {};
    // Every x86-64 processor has the three brand leaves, so they are read without asking first.
    for (unsigned i = 0; i < 3; ++i) {
        unsigned regs[4] = {};
        __cpuid(0x80000002u + i, regs[0], regs[1], regs[2], regs[3]);
        std::memcpy(buffer + 16 * i, regs, sizeof regs);
    }
    name = BrandText(buffer, sizeof buffer);
#else
    QFile file(QStringLiteral("/proc/cpuinfo"));
    name = file.open(QIODevice::ReadOnly) ? ModelNameFromCpuinfo(file.readAll()) : QString();
#endif
}
