#include "DispatchUntil.h"
#include "FirmwareDialogFixture.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// The Firmware Update command from the file dialog on: the chooser answers for the user with
// the given paths in turn, then with Cancel.
class FirmwareCommandTest : public FirmwareDialogFixture {
protected:
    void Choose(std::vector<QString> paths) {
        titles.clear();
        SetFirmwareFileChooser([this, paths](QWidget*, const QString& title) {
            titles.push_back(title);
            const std::size_t n = titles.size() - 1;
            return n < paths.size() ? paths[n] : QString();
        });
    }

    std::vector<QString> titles;
};

// Started from a queued call, as a menu command may be: the dialog's loop is then nested in a
// posted event, and the worker's requests must still come through.
TEST_F(FirmwareCommandTest, TheChosenImageIsFlashedAfterTheWarning) {
    Connect(Base());
    const Bytes image = Image(1000);
    Choose({WriteImage(image)});
    bool done = false;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            RunFirmwareUpdateCommand(nullptr, manager.get());
            done = true;
        },
        Qt::QueuedConnection);
    ASSERT_TRUE(DispatchUntil([&] { return done; }, 20000));

    EXPECT_EQ(titles, (std::vector<QString>{QStringLiteral("Please select a firmware")}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Please don't shutdown computer when update firmware."));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Notice"));
    EXPECT_EQ(boxes[0].style, fw::MB_OKCANCEL);
    EXPECT_EQ(boxes[1].text, QStringLiteral("Update successful!"));
    ASSERT_TRUE(simulator->WaitForState(
        0, [](const sim::SimState& s) { return s.flashCount == 1; }, 5000));
    EXPECT_EQ(simulator->State().flashed, image);
}

// An image that can't be one is refused before the warning and before the controller is
// touched, and the file dialog opens again.
TEST_F(FirmwareCommandTest, AnEmptyFileOrAFifoIsRefusedAndTheFileDialogOpensAgain) {
    Connect(Base());
    dir.Write(QStringLiteral("empty.bin"), QByteArray());
    const QString fifo = dir.File(QStringLiteral("image.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir().mkpath(dir.File(QStringLiteral("folder")));

    for (const QString& path : {dir.File(QStringLiteral("empty.bin")), fifo,
                                dir.File(QStringLiteral("folder")), QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        boxes.clear();
        Choose({path});
        RunFirmwareUpdateCommand(nullptr, manager.get());
        EXPECT_EQ(titles.size(), 2u); // asked again, then the user cancelled
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, QStringLiteral("Invalid firmware! Please select again."));
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Notice"));
        EXPECT_EQ(boxes[0].style, fw::MB_OK);
    }
    EXPECT_TRUE(FrameCommands().empty());
    EXPECT_EQ(manager->IsConnected(), 1);
}

// A refused file, then a good one: the update goes on with the good one.
TEST_F(FirmwareCommandTest, AGoodImageChosenAfterARefusedOneIsFlashed) {
    Connect(Base());
    dir.Write(QStringLiteral("empty.bin"), QByteArray());
    const Bytes image = Image(130);
    Choose({dir.File(QStringLiteral("empty.bin")), WriteImage(image)});
    RunFirmwareUpdateCommand(nullptr, manager.get());
    EXPECT_EQ(BoxTexts(),
              (std::vector<QString>{
                  QStringLiteral("Invalid firmware! Please select again."),
                  QStringLiteral("Please don't shutdown computer when update firmware."),
                  QStringLiteral("Update successful!")}));
    ASSERT_TRUE(simulator->WaitForState(
        0, [](const sim::SimState& s) { return s.flashCount == 1; }, 5000));
    EXPECT_EQ(simulator->State().flashed, image);
}

TEST_F(FirmwareCommandTest, CancelInTheFileDialogOrTheWarningStartsNothing) {
    Connect(Base());
    const QString path = WriteImage(Image(1000));

    Choose({});
    RunFirmwareUpdateCommand(nullptr, manager.get());
    EXPECT_EQ(titles.size(), 1u);
    EXPECT_TRUE(boxes.empty());

    Choose({path});
    answers = {fw::IDCANCEL};
    RunFirmwareUpdateCommand(nullptr, manager.get());
    EXPECT_EQ(BoxTexts(), (std::vector<QString>{QStringLiteral(
                              "Please don't shutdown computer when update firmware.")}));

    EXPECT_TRUE(FrameCommands().empty());
    EXPECT_EQ(manager->IsConnected(), 1);
    EXPECT_EQ(simulator->State().mode, sim::SimMode::App);
}

// A headless run answers the file dialog from GLIMRA_FIRMWARE_FILE once: a refused file then
// ends the command instead of asking again for ever.
TEST_F(FirmwareCommandTest, AHeadlessRunTakesTheImageFromTheEnvironmentOnce) {
    Connect(Base());
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("GLIMRA_AUTO_DISMISS"));
    dir.Write(QStringLiteral("empty.bin"), QByteArray());
    const Bytes image = Image(200);
    const auto run = [&](const QString& path) {
        boxes.clear();
        qputenv("GLIMRA_FIRMWARE_FILE", path.toLocal8Bit());
        RunFirmwareUpdateCommand(nullptr, manager.get());
        qunsetenv("GLIMRA_FIRMWARE_FILE");
        return BoxTexts();
    };
    EXPECT_EQ(run(dir.File(QStringLiteral("empty.bin"))),
              (std::vector<QString>{QStringLiteral("Invalid firmware! Please select again.")}));
    EXPECT_TRUE(FrameCommands().empty());
    EXPECT_EQ(run(WriteImage(image)),
              (std::vector<QString>{
                  QStringLiteral("Please don't shutdown computer when update firmware."),
                  QStringLiteral("Update successful!")}));
    ASSERT_TRUE(simulator->WaitForState(
        0, [](const sim::SimState& s) { return s.flashCount == 1; }, 5000));
    EXPECT_EQ(simulator->State().flashed, image);
}

} // namespace
