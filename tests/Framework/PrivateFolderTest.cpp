#include "Framework/PrivateFolder.h"
#include "Framework/InstanceGuard.h"

#include "TempFolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

QByteArray Name(const QString& path) {
    return QFile::encodeName(path);
}

// Runtime folders: ours alone, or refused with the reason.
TEST(PrivateFolderTest, OnlyAFolderOfOursThatNoOneElseMayWriteIsAccepted) {
    TempFolder scratch;
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;         // -1: ours
        const char* problem; // nullptr: accepted
    } cases[] = {
        {"own", 0700, static_cast<uid_t>(-1), nullptr},
        {"readable", 0755, static_cast<uid_t>(-1), nullptr},
        {"world-writable", 0777, static_cast<uid_t>(-1), "may be written by other users"},
        {"group-writable", 0770, static_cast<uid_t>(-1), "may be written by other users"},
        {"sticky-tmp-like", 01777, static_cast<uid_t>(-1), "may be written by other users"},
        {"another user's", 0700, kNobody, "belongs to another user (uid 65534)"},
    };
    for (const Case& c : cases) {
        const QString path = scratch.File(c.name);
        ASSERT_EQ(::mkdir(Name(path).constData(), 0700), 0);
        ASSERT_EQ(::chmod(Name(path).constData(), c.mode), 0);
        if (c.owner != static_cast<uid_t>(-1)) {
            if (::geteuid() != 0)
                continue; // only root can give a folder away
            ASSERT_EQ(::chown(Name(path).constData(), c.owner, c.owner), 0);
        }
        const QString problem = fw::PrivateFolderProblem(path);
        if (!c.problem) {
            EXPECT_TRUE(problem.isEmpty()) << c.name << ": " << problem.toStdString();
        } else {
            EXPECT_TRUE(problem.contains(QLatin1String(c.problem))) << problem.toStdString();
            EXPECT_TRUE(problem.contains(path)) << problem.toStdString();
        }
    }
    scratch.Write("file", "x");
    EXPECT_TRUE(fw::PrivateFolderProblem(scratch.File("file")).contains("is not a folder"));
}

TEST(PrivateFolderTest, AMissingFolderIsMadeForOurUseAlone) {
    TempFolder scratch;
    const QString path = scratch.File("glimra-test");
    EXPECT_TRUE(fw::MakePrivateFolder(path).isEmpty());
    struct stat status = {};
    ASSERT_EQ(::stat(Name(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(status.st_uid, ::geteuid());
    // One that is there keeps its mode and is judged as it is.
    ASSERT_EQ(::chmod(Name(path).constData(), 0777), 0);
    EXPECT_FALSE(fw::MakePrivateFolder(path).isEmpty());
}

// Another user's runtime folder can't take the single-instance guard from us: the guard fails
// (the program then runs without it) instead of reporting another instance.
TEST(PrivateFolderTest, TheGuardRefusesARuntimeFolderOfAnotherUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a folder to another user";
    TempFolder scratch;
    const QString runtime = scratch.File("runtime");
    ASSERT_EQ(::mkdir(Name(runtime).constData(), 0755), 0);
    // Whatever its owner left in it: a lock held by nobody here still must not count.
    QFile(runtime + "/TavrelCtrl.lock").open(QIODevice::WriteOnly);
    ASSERT_EQ(::chown(Name(runtime).constData(), kNobody, kNobody), 0);
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", Name(runtime));
    fw::InstanceGuard guard;
    testing::internal::CaptureStderr();
    EXPECT_EQ(guard.Acquire("TavrelCtrl"), fw::InstanceGuard::Result::Failed);
    EXPECT_EQ(guard.Acquire("TavrelCtrl"), fw::InstanceGuard::Result::Failed);
    const std::string said = testing::internal::GetCapturedStderr();
    qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_NE(said.find("belongs to another user"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

} // namespace
