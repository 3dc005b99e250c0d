#include "Framework/ResourcePackCheck.h"
#include "Framework/ResourcePack.h"
#include "Framework/Resources.h"

#include "TempFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <sys/stat.h>

namespace {

std::uint32_t U32(const QByteArray& b, qsizetype at) {
    return (std::uint32_t{static_cast<std::uint8_t>(b[at])} << 24) |
           (std::uint32_t{static_cast<std::uint8_t>(b[at + 1])} << 16) |
           (std::uint32_t{static_cast<std::uint8_t>(b[at + 2])} << 8) |
           static_cast<std::uint8_t>(b[at + 3]);
}
void SetU32(QByteArray& b, qsizetype at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

// The built English pack and where its parts lie (version 3: 22-byte nodes).
struct Pack {
    QByteArray bytes;
    qsizetype tree = 0;
    qsizetype Node(qsizetype index) const { return tree + index * 22; }
    bool IsFolder(qsizetype index) const { return (bytes[Node(index) + 5] & 0x02) != 0; }
    // The first node that is a file, and its compression flags.
    qsizetype FirstFile(int flags) const {
        for (qsizetype i = 1; Node(i + 1) <= bytes.size(); ++i)
            if (!IsFolder(i) && (bytes[Node(i) + 5] & 0x05) == flags)
                return i;
        return -1;
    }
};

Pack EnglishPack() {
    QFile file(QStringLiteral(GLIMRA_BIN_DIR "/lang/en_US.rcc"));
    Pack pack;
    if (file.open(QIODevice::ReadOnly))
        pack.bytes = file.readAll();
    pack.tree = pack.bytes.size() >= 20 ? U32(pack.bytes, 8) : 0;
    return pack;
}

TEST(ResourcePackCheckTest, BothBuiltPacksAreSound) {
    for (const char* code : {"en_US", "zh_CN"}) {
        QFile file(QStringLiteral(GLIMRA_BIN_DIR "/lang/%1.rcc").arg(code));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << code;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(fw::IsSoundResourcePack(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            static_cast<std::size_t>(bytes.size())))
            << code;
    }
}

// Each damage a pack can carry: refused like a missing pack, with one line naming the file,
// and the program's own resources serve; nothing reaches Qt's lookup.
TEST(ResourcePackCheckTest, ADamagedPackIsRefusedWithOneLineNamingIt) {
    const Pack sound = EnglishPack();
    ASSERT_GT(sound.bytes.size(), 1000);
    ASSERT_TRUE(sound.IsFolder(0));
    const qsizetype plain = sound.FirstFile(0);
    const qsizetype zstd = sound.FirstFile(0x04);
    ASSERT_GT(plain, 0);
    ASSERT_GT(zstd, 0);
    const qsizetype names = U32(sound.bytes, 16);
    const qsizetype blocks = U32(sound.bytes, 12);
    struct Case {
        const char* label;
        std::function<void(QByteArray&)> damage;
    } cases[] = {
        {"cut inside the tree", [&](QByteArray& b) { b.truncate(sound.Node(3) + 7); }},
        {"cut before the tree", [&](QByteArray& b) { b.truncate(sound.tree - 10); }},
        {"no magic", [](QByteArray& b) { b[0] = 'x'; }},
        {"unknown version", [](QByteArray& b) { SetU32(b, 4, 9); }},
        {"tree beyond the end", [&](QByteArray& b) { SetU32(b, 8, b.size() - 4); }},
        {"root whose children loop back", [&](QByteArray& b) { SetU32(b, sound.Node(0) + 10, 0); }},
        {"root with more children than nodes",
         [&](QByteArray& b) { SetU32(b, sound.Node(0) + 6, 0x7FFFFFFF); }},
        {"child beyond the tree",
         [&](QByteArray& b) { SetU32(b, sound.Node(0) + 10, 0x00FFFFFF); }},
        {"name beyond the end",
         [&](QByteArray& b) {
             SetU32(b, sound.Node(plain), static_cast<std::uint32_t>(b.size()));
         }},
        {"name longer than the file",
         [&](QByteArray& b) {
             const qsizetype at = names + U32(b, sound.Node(plain));
             b[at] = '\xFF';
             b[at + 1] = '\xFF';
         }},
        {"empty name (a walk over the pack would never end)",
         [&](QByteArray& b) {
             const qsizetype at = names + U32(b, sound.Node(plain));
             b[at] = '\0';
             b[at + 1] = '\0';
         }},
        {"name with a slash",
         [&](QByteArray& b) { b[names + U32(b, sound.Node(plain)) + 7] = '/'; }},
        {"data beyond the end",
         [&](QByteArray& b) { SetU32(b, sound.Node(plain) + 10, 0xFFFFFF00); }},
        {"data longer than the file",
         [&](QByteArray& b) { SetU32(b, blocks + U32(b, sound.Node(plain) + 10), 0x7FFFFFFF); }},
        {"compressed block claiming a terabyte",
         [&](QByteArray& b) {
             // The frame's single-byte size field becomes an eight-byte one of 2^40.
             const qsizetype frame = blocks + U32(b, sound.Node(zstd) + 10) + 4;
             b[frame + 4] = '\xE0';
             for (int i = 0; i < 8; ++i)
                 b[frame + 5 + i] = i == 5 ? '\x01' : '\0';
         }},
        {"unknown node flags", [&](QByteArray& b) { b[sound.Node(plain) + 5] = '\x40'; }},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        QByteArray bytes = sound.bytes;
        c.damage(bytes);
        folder.Write("en_US.rcc", bytes);
        fw::ResourcePack pack;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(pack.Load(folder.File("en_US.rcc"))) << c.label;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(pack.IsLoaded()) << c.label;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.label << ": " << said;
        EXPECT_NE(said.find(folder.File("en_US.rcc").toStdString()), std::string::npos) << c.label;
        EXPECT_EQ(fw::Resources::LoadString(1062), QString("Device not found!")) << c.label;
    }
}

// A FIFO in a pack's place is refused at once; a missing pack says nothing.
TEST(ResourcePackCheckTest, OnlyARegularFileIsTakenAndAMissingOneIsQuiet) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.File("zh_CN.rcc")).constData(), 0600), 0);
    fw::ResourcePack pack;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(pack.Load(folder.File("zh_CN.rcc")));
    EXPECT_FALSE(pack.Load(folder.File("missing.rcc")));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("zh_CN.rcc"), std::string::npos);
}

} // namespace
