#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// What the program can tell about the host's processor. GetCpuName is exported by the
// executable as a dynamic symbol, for other modules to call; nothing inside the program does.
class SysInfo {
public:
    // The processor's brand string, upper-cased, with any leading spaces it has. On x86 from
    // the processor itself; elsewhere from the kernel's "model name".
    void GetCpuName(QString& name);

    // The brand text of a zero-filled buffer: up to the first zero byte, a to z upper-cased.
    static QString BrandText(const char* buffer, std::size_t size);
    // The first model-name line of /proc/cpuinfo text, upper-cased; empty when there is none.
    static QString ModelNameFromCpuinfo(const QByteArray& cpuinfo);
};
