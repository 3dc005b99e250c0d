#include "SysInfo.h"
#include "Ostrel.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

TEST(SysInfoTest, TheBrandTextIsUpperCasedUpToItsFirstZeroWithLeadingSpacesKept) {
    struct Case {
        const char* raw; // as the processor leaves it in the zeroed buffer
        const char* expected;
    };
    const Case cases[] = {
        {"       Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz",
         "       INTEL(R) CORE(TM) I7-8700 CPU @ 3.20GHZ"},
        {"AMD Ryzen 7 5800X 8-Core Processor", "AMD RYZEN 7 5800X 8-CORE PROCESSOR"},
        {"abc\0def", "ABC"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::array<char, 1024> buffer{};
        // Copy past an embedded zero too, to show that the text ends there.
        std::memcpy(buffer.data(), c.raw, std::strlen(c.raw) + 4);
        EXPECT_EQ(SysInfo::BrandText(buffer.data(), buffer.size()), QLatin1String(c.expected));
    }
    // A full 48-byte brand string without a zero of its own ends at the zeros after it.
    std::array<char, 1024> full{};
    std::memset(full.data(), 'x', 48);
    EXPECT_EQ(SysInfo::BrandText(full.data(), full.size()), QString(48, QLatin1Char('X')));
    // Only a to z change: the buffer is 8-bit text.
    const char latin[] = "caf\xe9 \xb5m";
    EXPECT_EQ(SysInfo::BrandText(latin, sizeof latin), QString::fromLatin1("CAF\xe9 \xb5M"));
}

TEST(SysInfoTest, ElsewhereTheKernelsModelNameIsUsed) {
    struct Case {
        const char* cpuinfo;
        const char* expected;
    };
    const Case cases[] = {
        {"processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) Gold\n"
         "processor\t: 1\nmodel name\t: second\n",
         "INTEL(R) XEON(R) GOLD"},
        {"system type\t\t: MT7621\ncpu model\t\t: MIPS 1004Kc V2.15\n", "MIPS 1004KC V2.15"},
        {"processor\t: 0\nBogoMIPS\t: 48.00\nCPU part\t: 0xd08\n", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SysInfo::ModelNameFromCpuinfo(c.cpuinfo), QLatin1String(c.expected)) << c.cpuinfo;
}

TEST(SysInfoTest, ThisMachinesNameIsReadAndUpperCased) {
    QString name;
    SysInfo info;
    info.GetCpuName(name);
    // The processor's own brand string may differ from what a virtual machine's kernel says,
    // so only its form is checked.
    EXPECT_FALSE(name.trimmed().isEmpty());
    EXPECT_EQ(name, name.toUpper()) << name.toStdString();
}

TEST(SysInfoTest, TheExecutableExportsGetCpuNameAsItsOnlySymbol) {
    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("-D"), QStringLiteral("--defined-only"),
                                    QStringLiteral(GLIMRA_BIN_DIR "/glimra-utility")});
    ASSERT_TRUE(nm.waitForFinished(30000));
    ASSERT_EQ(nm.exitCode(), 0) << nm.readAllStandardError().toStdString();
    QStringList ours;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() != 3)
            continue;
        // The linker's own markers of the data segment are in every executable.
        if (fields[2] == "__bss_start" || fields[2] == "_edata" || fields[2] == "_end" ||
            fields[2] == "_IO_stdin_used")
            continue;
        ours << QString::fromLatin1(fields[1] + ' ' + fields[2]);
    }
    EXPECT_EQ(ours, QStringList{QStringLiteral("T _ZN7SysInfo10GetCpuNameER7QString")});
}

TEST(OstrelTest, DestructionRaisesTheStopFlagAndWaitsForTheWorkersThatExist) {
    QThread* worker = nullptr;
    std::atomic<bool> sawStop{false};
    {
        Ostrel ostrel;
        EXPECT_EQ(ostrel.stop.load(), 0);
        worker = QThread::create([&ostrel, &sawStop] {
            while (ostrel.stop.load() == 0)
                QThread::yieldCurrentThread();
            sawStop = true;
        });
        ostrel.secondWorker = worker;
        worker->start();
    }
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(worker->isFinished());
    delete worker;

    // Without workers, as in the program, it ends at once.
    Ostrel idle;
    idle.stop = 1;
}

} // namespace
