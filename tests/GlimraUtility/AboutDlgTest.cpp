#include "AboutDlg.h"
#include "CutTexts.h"

#include "Framework/ResourcePack.h"
#include "Framework/Resources.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QStringList kSteps = {
    QStringLiteral("1. Choose the lighting panel under the ‘LOCATION’."),
    QStringLiteral("2. If you want to control this panel individually, ensure no lights are lit up "
                   "under ‘SYNC’."),
    QStringLiteral("3. If you want to synchronize the effects of more than one lighting panel, "
                   "choose the lighting panels you wish to sync with the currently selected panel, "
                   "and clickon the SYNC button."),
    QStringLiteral("4. Choose the color on the color wheel and/or brightness level to your "
                   "preference."),
    QStringLiteral("5. Lighting modes can be selected under ‘LIGHTING MODE’. Note: not all modes "
                   "support brightness adjustments. Some modes can only be applied to multiple "
                   "locations via the SYNC function."),
    QStringLiteral("6. To restore default settings, click “DEFAULT” below ‘LIGHTING MODE’."),
};

// Catches what the dialog asks the desktop to open, instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "Open");
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    QList<QUrl> opened;

public Q_SLOTS:
    void Open(const QUrl& url) { opened << url; }
};

class AboutDlgTest : public ::testing::Test {
protected:
    void TearDown() override {
        fw::Resources::SetSource(QString());
        pack.Release();
    }

    void LoadChinesePack() {
        ASSERT_TRUE(pack.Load(QStringLiteral(GLIMRA_BIN_DIR "/lang/zh_CN.rcc")));
        fw::Resources::SetSource(fw::ResourcePack::Root());
    }

    // Runs the dialog modally; act runs inside its loop and must end it.
    static int Run(CAboutDlg& dlg, const std::function<void(CAboutDlg&)>& act) {
        QTimer::singleShot(0, [&dlg, act] { act(dlg); });
        return dlg.DoModal();
    }

    static QPlainTextEdit* Edit(CAboutDlg& dlg) {
        return qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(CAboutDlg::IDC_HELP_TEXT));
    }

    fw::ResourcePack pack;
};

TEST_F(AboutDlgTest, TheStepsAreEnglishInBothLanguagesWhileTheFrameFollowsThePack) {
    struct Case {
        bool chinese;
        const char* title;
        const char* ok;
    };
    for (const Case& c : {Case{false, "Help", "OK"}, Case{true, "帮助", "确定"}}) {
        SCOPED_TRACE(c.title);
        if (c.chinese)
            LoadChinesePack();
        CAboutDlg dlg;
        QString title, ok, text;
        bool readOnly = false;
        Run(dlg, [&](CAboutDlg& d) {
            title = d.Widget()->windowTitle();
            if (auto* button = qobject_cast<QPushButton*>(d.GetDlgItem(fw::IDOK)))
                ok = button->text();
            if (QPlainTextEdit* edit = Edit(d)) {
                text = edit->toPlainText();
                readOnly = edit->isReadOnly();
            }
            d.EndDialog(fw::IDOK);
        });
        EXPECT_EQ(title, QString::fromUtf8(c.title));
        EXPECT_EQ(ok, QString::fromUtf8(c.ok));
        EXPECT_EQ(text.split(QLatin1Char('\n')), kSteps);
        EXPECT_TRUE(readOnly);
    }
    // The text itself has CR LF between the steps and nothing after the last.
    EXPECT_EQ(CAboutDlg::HelpText(), kSteps.join(QStringLiteral("\r\n")));
}

TEST_F(AboutDlgTest, TheTextCannotBeTypedIntoButCanBeSelectedAndCopied) {
    QApplication::clipboard()->clear();
    CAboutDlg dlg;
    QString afterTyping;
    Run(dlg, [&](CAboutDlg& d) {
        QPlainTextEdit* edit = Edit(d);
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("typed"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Delete);
        afterTyping = edit->toPlainText();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        d.EndDialog(fw::IDOK);
    });
    EXPECT_EQ(afterTyping.split(QLatin1Char('\n')), kSteps);
    EXPECT_EQ(QApplication::clipboard()->text().split(QLatin1Char('\n')), kSteps);
}

TEST_F(AboutDlgTest, TheLinkOpensItsAddressInTheBrowserByMouseAndByKeyboard) {
    UrlCatcher catcher;
    CAboutDlg dlg;
    QString caption;
    qsizetype byMouse = 0;
    Run(dlg, [&](CAboutDlg& d) {
        QWidget* link = d.GetDlgItem(CAboutDlg::IDC_LINK);
        ASSERT_NE(link, nullptr);
        caption = link->property("text").toString();
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
        byMouse = catcher.opened.size();
        // Tab from the OK button until the link has the focus, as a keyboard user would.
        QApplication::setActiveWindow(d.Widget());
        d.GetDlgItem(fw::IDOK)->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 8 && !link->hasFocus(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(link, Qt::Key_Return);
        d.EndDialog(fw::IDOK);
    });
    EXPECT_EQ(caption, QStringLiteral("glimra.example"));
    EXPECT_EQ(byMouse, 1);
    EXPECT_EQ(catcher.opened, QList<QUrl>({QUrl(QStringLiteral("http://glimra.example")),
                                           QUrl(QStringLiteral("http://glimra.example"))}));
}

TEST_F(AboutDlgTest, OkAndEscapeEndItAndEachOpeningStartsAfresh) {
    struct Case {
        const char* how;
        int expected;
    };
    for (const Case& c : {Case{"ok", fw::IDOK}, Case{"escape", fw::IDCANCEL}}) {
        SCOPED_TRACE(c.how);
        CAboutDlg dlg;
        QString text;
        const int result = Run(dlg, [&](CAboutDlg& d) {
            text = Edit(d)->toPlainText();
            // Whatever happened to the text, the next opening builds it again.
            Edit(d)->setPlainText(QStringLiteral("changed"));
            if (QLatin1String(c.how) == QLatin1String("ok"))
                QTest::mouseClick(d.GetDlgItem(fw::IDOK), Qt::LeftButton);
            else
                QTest::keyClick(d.Widget(), Qt::Key_Escape);
        });
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(text.split(QLatin1Char('\n')), kSteps);
    }
}

// Every static text is whole in both languages, with the program's fonts: the dialog makes room
// for texts that need more than the template gave them.
TEST_F(AboutDlgTest, NoStaticTextIsCutInEitherLanguage) {
    for (bool chinese : {false, true}) {
        SCOPED_TRACE(chinese ? "zh_CN" : "en_US");
        if (chinese)
            LoadChinesePack();
        CAboutDlg dlg;
        QStringList cut;
        int labels = 0;
        Run(dlg, [&](CAboutDlg& d) {
            cut = CutTexts(d.Widget());
            labels = static_cast<int>(d.Widget()->findChildren<QLabel*>().size());
            const QString folder = qEnvironmentVariable("GLIMRA_SCREENSHOT_DIR");
            if (!folder.isEmpty())
                d.Widget()->grab().save(
                    QStringLiteral("%1/help-%2.png").arg(folder, chinese ? "zh_CN" : "en_US"));
            d.EndDialog(fw::IDOK);
        });
        EXPECT_GE(labels, 8);
        EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
    }
}

} // namespace

#include "AboutDlgTest.moc"
