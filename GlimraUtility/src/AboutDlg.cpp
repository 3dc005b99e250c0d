#include "AboutDlg.h"

#include "StaticTextFit.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

CAboutDlg::CAboutDlg(fw::Dialog* parent) : fw::Dialog(IDD, parent) {
    // The link is a button that looks like a link: Tab reaches it, Enter and Space press it,
    // and a press opens the address that is its caption in the user's browser.
    SetControlFactory(IDC_LINK, [](const fw::DialogControl& control, QWidget* parent) {
        auto* link = new QPushButton(control.text, parent);
        link->setFlat(true);
        link->setCursor(Qt::PointingHandCursor);
        link->setStyleSheet(QStringLiteral(
            "QPushButton { border: 1px solid transparent; padding: 0; text-align: left;"
            " color: palette(link); text-decoration: underline; }"
            "QPushButton:focus { border: 1px dotted palette(text); }"));
        const QString address = control.text;
        QObject::connect(link, &QPushButton::clicked, link,
                         [address] { QDesktopServices::openUrl(QUrl::fromUserInput(address)); });
        return link;
    });
}

QString CAboutDlg::HelpText() {
    QString text;
    text += QStringLiteral("1. Choose the lighting panel under the ‘LOCATION’.");
    text += QStringLiteral("\r\n");
    text += QStringLiteral("2. If you want to control this panel individually, ensure no lights "
                           "are lit up under ‘SYNC’.");
    text += QStringLiteral("\r\n");
    text += QStringLiteral("3. If you want to synchronize the effects of more than one lighting "
                           "panel, choose");
    text += QStringLiteral(" the lighting panels you wish to sync with the currently selected "
                           "panel, and clickon the SYNC button.");
    text += QStringLiteral("\r\n");
    text += QStringLiteral("4. Choose the color on the color wheel and/or brightness level to your "
                           "preference.");
    text += QStringLiteral("\r\n");
    text += QStringLiteral("5. Lighting modes can be selected under ‘LIGHTING MODE’. Note: not all "
                           "modes");
    text += QStringLiteral(" support brightness adjustments. Some modes can only be applied to "
                           "multiple");
    text += QStringLiteral(" locations via the SYNC function.");
    text += QStringLiteral("\r\n");
    text +=
        QStringLiteral("6. To restore default settings, click “DEFAULT” below ‘LIGHTING MODE’.");
    return text;
}

bool CAboutDlg::OnInitDialog() {
    if (auto* edit = qobject_cast<QPlainTextEdit*>(GetDlgItem(IDC_HELP_TEXT))) {
        // The text widget keeps lines apart with a bare line feed.
        edit->setPlainText(HelpText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        // Read-only, yet the text can be selected with mouse and keyboard and copied.
        edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        edit->setFocusPolicy(Qt::StrongFocus);
        // A read-only edit shows the dialog's own background.
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
    }
    // The desktop's fonts are wider than the ones the template was measured for.
    FitStaticTexts(Widget());
    return true;
}
