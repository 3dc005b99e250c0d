#include "Framework/InstanceGuard.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class InstanceGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", folder.Path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved_); }
    TempFolder folder;

private:
    QByteArray saved_;
};

TEST_F(InstanceGuardTest, ASecondHolderOfTheSameNameIsRefusedUntilTheFirstLetsGo) {
    fw::InstanceGuard first;
    fw::InstanceGuard second;
    ASSERT_EQ(first.Acquire("TavrelCtrl"), fw::InstanceGuard::Result::Created);
    EXPECT_EQ(second.Acquire("TavrelCtrl"), fw::InstanceGuard::Result::AlreadyExists);
    EXPECT_EQ(second.Acquire("OtherName"), fw::InstanceGuard::Result::Created);
    first.Release();
    EXPECT_EQ(second.Acquire("TavrelCtrl"), fw::InstanceGuard::Result::Created);
}

TEST_F(InstanceGuardTest, TheGuardHoldsAcrossProcesses) {
    fw::InstanceGuard guard;
    ASSERT_EQ(guard.Acquire("TavrelCtrl"), fw::InstanceGuard::Result::Created);
    const pid_t child = fork();
    if (child == 0) {
        fw::InstanceGuard other;
        _exit(other.Acquire("TavrelCtrl") == fw::InstanceGuard::Result::AlreadyExists ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
