#include "Framework/FileException.h"
#include "Framework/Dialog.h"
#include "Framework/Window.h"

#include "MessageBoxCatcher.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

constexpr unsigned WM_PROBE = fw::WM_USER + 1;

// Stands for work that needs a file, such as loading an image.
void NeedFile(bool missing, const QString& name) {
    if (missing)
        throw fw::FileException(fw::FileException::FileNotFound, 2, name);
}

TEST(FileExceptionTest, CausesComeFromTheSystemErrorNumber) {
    const struct {
        int error;
        fw::FileException::Cause cause;
    } cases[] = {{ENOENT, fw::FileException::FileNotFound},
                 {ENOTDIR, fw::FileException::FileNotFound},
                 {EACCES, fw::FileException::AccessDenied},
                 {EPERM, fw::FileException::AccessDenied},
                 {EIO, fw::FileException::Generic}};
    for (const auto& c : cases) {
        EXPECT_EQ(fw::FileException::OsErrorToCause(c.error), c.cause) << c.error;
        try {
            fw::FileException::ThrowOsError(c.error, QStringLiteral("x.png"));
            ADD_FAILURE() << "nothing thrown for " << c.error;
        } catch (const fw::FileException& e) {
            EXPECT_EQ(e.GetCause(), c.cause);
            EXPECT_EQ(e.OsError(), c.error);
            EXPECT_TRUE(e.ErrorMessage().contains(QStringLiteral("x.png")));
        }
    }
}

// A handler that raises the file error: the rest of its work is skipped, the error is shown in
// a message box, the message gives 0 and the window goes on handling messages.
TEST(FileExceptionTest, TheMessageDispatchReportsTheErrorAndSkipsTheRestOfTheHandler) {
    MessageBoxCatcher boxes;
    fw::Window window;
    int started = 0;
    int finished = 0;
    window.OnMessage(WM_PROBE, [&](fw::WPARAM wParam, fw::LPARAM) -> fw::LRESULT {
        ++started;
        NeedFile(wParam == 1, QStringLiteral("Can not find color image."));
        ++finished;
        return 42;
    });

    EXPECT_EQ(fw::SendMessage(&window, WM_PROBE, 1, 0), 0);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 0);
    ASSERT_EQ(boxes.Texts().size(), 1);
    EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("Can not find color image.")));

    EXPECT_EQ(fw::SendMessage(&window, WM_PROBE, 0, 0), 42);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(boxes.Texts().size(), 1);
}

class ThrowingInitDialog : public fw::Dialog {
public:
    using fw::Dialog::Dialog;
    bool finishedInit = false;

protected:
    bool OnInitDialog() override {
        // The dialog must still come up, so end it from its own loop.
        fw::PostMessage(this, fw::WM_COMMAND, fw::IDOK, 0);
        NeedFile(true, QStringLiteral("skin.png"));
        finishedInit = true;
        return true;
    }
};

TEST(FileExceptionTest, ADialogWhoseInitialisationFailsStillRuns) {
    MessageBoxCatcher boxes;
    ThrowingInitDialog dlg(129); // a template of the program's own resources
    EXPECT_EQ(dlg.DoModal(), fw::IDOK);
    EXPECT_FALSE(dlg.finishedInit);
    ASSERT_EQ(boxes.Texts().size(), 1);
    EXPECT_TRUE(boxes.Texts()[0].contains(QStringLiteral("skin.png")));
}

} // namespace
