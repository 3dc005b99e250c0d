#include "Framework/Dialog.h"
#include "Framework/Resources.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QByteArray kTemplate = R"({
  "caption": "Probe", "style": "0x80C800C8", "rect": [0, 0, 100, 50],
  "font": {"face": "MS Shell Dlg", "size": 9},
  "controls": [
    {"id": 1, "class": "BUTTON", "text": "OK", "style": "0x50010001", "rect": [10, 30, 40, 14]},
    {"id": 7, "class": "STATIC", "text": "hidden", "style": "0x40000000", "rect": [4, 4, 20, 8]},
    {"id": -1, "class": "STATIC", "text": "anonymous", "style": "0x50000000", "rect": [4, 14, 20, 8]}
  ]})";

TEST(DialogTemplateTest, ParsesFrameFontAndControls) {
    const auto t = fw::DialogTemplate::Parse(kTemplate);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->caption, QString("Probe"));
    EXPECT_EQ(t->style, 0x80C800C8u);
    EXPECT_EQ(t->rect, QRect(0, 0, 100, 50));
    EXPECT_EQ(t->fontPointSize, 9);
    ASSERT_EQ(t->controls.size(), 3);
    EXPECT_EQ(t->controls[0].style, 0x50010001u);
    EXPECT_EQ(t->controls[1].id, 7);
    EXPECT_EQ(t->controls[2].id, -1);
}

TEST(DialogTemplateTest, RejectsBrokenTemplates) {
    for (const char* text :
         {"", "[]", "{\"rect\": [1, 2]}",
          "{\"rect\": [0,0,1,1], \"controls\": [{\"id\": 1, \"rect\": [0,0,1,1]}]}"})
        EXPECT_FALSE(fw::DialogTemplate::Parse(text)) << text;
}

// Ends itself from its initialisation, or through a later posted command.
class ProbeDialog : public fw::Dialog {
public:
    using fw::Dialog::Dialog;
    std::function<void(ProbeDialog&)> onInit;
    // Replaces the default Cancel, which ends the dialog.
    std::function<void(ProbeDialog&)> onCancel;
    int initCalls = 0;

protected:
    bool OnInitDialog() override {
        ++initCalls;
        if (onInit)
            onInit(*this);
        return true;
    }
    void OnCancel() override {
        if (onCancel)
            onCancel(*this);
        else
            fw::Dialog::OnCancel();
    }
};

TEST(DialogTest, AMissingTemplateCannotBeCreated) {
    ProbeDialog dlg(4242);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.initCalls, 0);
}

TEST(DialogTest, ControlsAreBuiltFromTheTemplateAndPlacedInDialogUnits) {
    ProbeDialog dlg(129); // the firmware dialog of the program's own resources
    QSize frame;
    bool progressIsABar = false;
    bool progressVisible = true;
    QRect cancelRect;
    dlg.onInit = [&](ProbeDialog& d) {
        frame = d.Widget()->size();
        QWidget* progress = d.GetDlgItem(1024);
        progressIsABar = qobject_cast<QProgressBar*>(progress) != nullptr;
        progressVisible = progress && progress->isVisibleTo(d.Widget());
        if (QWidget* cancel = d.GetDlgItem(fw::IDCANCEL))
            cancelRect = cancel->geometry();
        d.EndDialog(77);
    };
    EXPECT_EQ(dlg.DoModal(), 77);
    EXPECT_EQ(frame, dlg.DialogUnitsToPixels(QSize(136, 78)));
    EXPECT_TRUE(progressIsABar);
    EXPECT_FALSE(progressVisible);
    EXPECT_EQ(cancelRect, dlg.DialogUnitsToPixels(QRect(-1, 61, 137, 18)));
    EXPECT_EQ(dlg.GetDlgItem(1024), nullptr) << "controls go with the window";
}

TEST(DialogTest, CommandsAndEscapeEndTheModalLoop) {
    struct Case {
        const char* name;
        std::function<void(ProbeDialog&)> act;
        int expected;
    } cases[] = {
        {"OK button", [](ProbeDialog& d) { qobject_cast<QPushButton*>(d.GetDlgItem(1))->click(); },
         fw::IDOK},
        {"cancel command",
         [](ProbeDialog& d) { fw::SendMessage(&d, fw::WM_COMMAND, fw::IDCANCEL, 0); },
         fw::IDCANCEL},
        {"escape key",
         [](ProbeDialog& d) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(d.Widget(), &esc);
         },
         fw::IDCANCEL},
        {"close box", [](ProbeDialog& d) { d.Widget()->close(); }, fw::IDCANCEL},
        {"end all", [](ProbeDialog&) { fw::Dialog::EndAllModal(5); }, 5},
    };
    for (const Case& c : cases) {
        ProbeDialog dlg(100);
        dlg.onInit = [&](ProbeDialog& d) {
            // Act once the modal loop runs, as a user would.
            QTimer::singleShot(0, d.Widget(), [&] { c.act(d); });
        };
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.name;
    }
}

// The main window hides itself in the notification area and must run on.
TEST(DialogTest, HidingTheWindowLeavesTheModalLoopRunning) {
    ProbeDialog dlg(100);
    bool hidden = false;
    dlg.onInit = [&](ProbeDialog& d) {
        QTimer::singleShot(0, d.Widget(), [&] {
            d.Widget()->hide();
            hidden = !d.Widget()->isVisible();
            QTimer::singleShot(0, d.Widget(), [&] { d.EndDialog(9); });
        });
    };
    EXPECT_EQ(dlg.DoModal(), 9);
    EXPECT_TRUE(hidden);
}

TEST(DialogTest, CancelAllModalCancelsEachDialogInnermostFirstThroughItsCancel) {
    std::vector<std::string> cancelled;
    int innerResult = 0;
    ProbeDialog outer(100);
    ProbeDialog inner(100, &outer);
    // The inner dialog's Cancel does its own work but does not end it: it is ended anyway.
    inner.onCancel = [&](ProbeDialog&) { cancelled.push_back("inner"); };
    outer.onCancel = [&](ProbeDialog& d) {
        cancelled.push_back("outer");
        d.EndDialog(fw::IDCANCEL);
    };
    inner.onInit = [](ProbeDialog& d) {
        QTimer::singleShot(0, d.Widget(), [] { fw::Dialog::CancelAllModal(); });
    };
    outer.onInit = [&](ProbeDialog& d) {
        QTimer::singleShot(0, d.Widget(), [&] { innerResult = inner.DoModal(); });
    };
    EXPECT_EQ(outer.DoModal(), fw::IDCANCEL);
    EXPECT_EQ(innerResult, fw::IDCANCEL);
    EXPECT_EQ(cancelled, (std::vector<std::string>{"inner", "outer"}));
}

TEST(DialogTest, ASubclassCanSupplyTheWidgetOfAControl) {
    ProbeDialog dlg(129);
    dlg.SetControlFactory(1025, [](const fw::DialogControl& c, QWidget* parent) {
        auto* label = new QLabel(QStringLiteral("custom ") + c.text, parent);
        label->setObjectName("custom");
        return label;
    });
    QString text;
    dlg.onInit = [&](ProbeDialog& d) {
        if (auto* label = qobject_cast<QLabel*>(d.GetDlgItem(1025)))
            text = label->text();
        d.EndDialog(fw::IDOK);
    };
    dlg.DoModal();
    EXPECT_EQ(text, QString("custom Firmware Update"));
}

} // namespace
