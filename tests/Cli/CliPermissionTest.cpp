#include "CliSandbox.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The controller's report descriptor: report 0x3F, 63 data bytes each way.
const QByteArray kDescriptor =
    QByteArray::fromHex("0600ff0901a101853f7508953f09018102953f09019102c0");

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A sysfs tree with one controller on hidraw0 whose node this user may not open.
class CliPermissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString hid = sandbox.Path("tree/sys/devices/usb1/1-1/1-1:1.0/0003:04D9:8008.0001");
        ASSERT_TRUE(QDir().mkpath(hid + "/hidraw/hidraw0"));
        ASSERT_TRUE(QDir().mkpath(sandbox.Path("tree/sys/class/hidraw")));
        ASSERT_TRUE(QDir().mkpath(sandbox.Path("tree/dev")));
        ASSERT_TRUE(WriteFile(hid + "/uevent", "DRIVER=hid-generic\nHID_ID=0003:000004D9:00008008\n"
                                               "HID_NAME=Glimra\nHID_UNIQ=GL-9\n"));
        ASSERT_TRUE(WriteFile(hid + "/report_descriptor", kDescriptor));
        ASSERT_EQ(symlink("../..", (hid + "/hidraw/hidraw0/device").toLocal8Bit().constData()), 0);
        ASSERT_EQ(symlink("../../devices/usb1/1-1/1-1:1.0/0003:04D9:8008.0001/hidraw/hidraw0",
                          sandbox.Path("tree/sys/class/hidraw/hidraw0").toLocal8Bit().constData()),
                  0);
        node = sandbox.Path("tree/dev/hidraw0");
        ASSERT_TRUE(WriteFile(node, ""));
        sandbox.UseFakeSysfs(sandbox.Path("tree/sys"), sandbox.Path("tree/dev"));

        // Root passes any mode bits, so as root the tool runs as nobody; the folders on the
        // way must be open to that user.
        if (geteuid() == 0) {
            user = 65534;
            chmod(QFile::encodeName(sandbox.Path("")).constData(), 0755);
            chmod(node.toLocal8Bit().constData(), 0600);
        } else {
            chmod(node.toLocal8Bit().constData(), 0000);
        }
    }

    CliSandbox sandbox;
    QString node;
    uid_t user = static_cast<uid_t>(-1);
};

TEST_F(CliPermissionTest, APresentControllerThatMayNotBeOpenedEndsWithFourAndNamesTheRule) {
    for (const QStringList& arguments : {QStringList{"status"}, QStringList{"off"}}) {
        const CliSandbox::Result run = sandbox.Run(arguments, user);
        EXPECT_EQ(run.exitCode, 4) << run.err.constData();
        EXPECT_TRUE(run.err.contains("permission denied")) << run.err.constData();
        EXPECT_TRUE(run.err.contains("70-glimra.rules")) << run.err.constData();
        EXPECT_TRUE(run.err.contains("udevadm control --reload-rules && sudo udevadm trigger"))
            << run.err.constData();
    }
    // Listing needs no access to the node: the user sees that the controller is there.
    const CliSandbox::Result list = sandbox.Run({"list"}, user);
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_TRUE(list.out.contains("raw&hidraw0")) << list.out.constData();
    EXPECT_TRUE(list.out.contains("\tGL-9\n")) << list.out.constData();
}

TEST_F(CliPermissionTest, AnOpenableNodeIsNoPermissionProblem) {
    chmod(node.toLocal8Bit().constData(), 0666);
    // A plain file answers nothing: the controller is found but silent.
    const CliSandbox::Result run = sandbox.Run({"status"}, user);
    EXPECT_EQ(run.exitCode, 3) << run.err.constData();
}

} // namespace
