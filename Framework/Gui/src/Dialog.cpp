#include "Framework/Dialog.h"

#include "Framework/FileException.h"
#include "Framework/Resources.h"
#include "WidgetApplication.h"

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace fw {

namespace {

// A program that runs dialogs runs them in a widget application.
[[maybe_unused]] const bool g_widgetApplication = InstallWidgetApplication();

std::vector<Dialog*>& ModalStack() {
    static std::vector<Dialog*> stack;
    return stack;
}

QFont TemplateFont(const DialogTemplate& t) {
    // The resource scripts name Windows' dialog font; here it maps to the desktop's sans.
    QFont font(t.fontFace == QLatin1String("MS Shell Dlg") ? QStringLiteral("Sans Serif")
                                                           : t.fontFace);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(t.fontPointSize);
    return font;
}

} // namespace

// The dialog's Qt window: routes its events through the owning Dialog.
class DialogWidget : public QDialog {
public:
    DialogWidget(Dialog* owner, QWidget* parent) : QDialog(parent), owner_(owner) {}

    // Escape and the close box end the dialog the way the Cancel command does.
    void reject() override { owner_->WindowProc(WM_COMMAND, IDCANCEL, 0); }

protected:
    bool event(QEvent* e) override {
        if (owner_->OnWidgetEvent(e))
            return true;
        if (e->type() == QEvent::Close) {
            e->ignore();
            reject();
            return true;
        }
        return QDialog::event(e);
    }

private:
    Dialog* owner_;
};

Dialog::Dialog(unsigned templateId, Dialog* parent) : templateId_(templateId), parent_(parent) {
    OnMessage(WM_COMMAND, [this](WPARAM wParam, LPARAM) -> LRESULT {
        const int id = static_cast<int>(wParam & 0xFFFF);
        if (id == IDOK)
            OnOK();
        else if (id == IDCANCEL)
            OnCancel();
        return 0;
    });
}

Dialog::~Dialog() {
    delete widget_.data();
}

bool Dialog::OnWidgetEvent(QEvent*) {
    return false;
}

void Dialog::SetControlFactory(int id, ControlFactory factory) {
    factories_[id] = std::move(factory);
}

QWidget* Dialog::GetDlgItem(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QSize Dialog::DialogUnitsToPixels(QSize units) const {
    return {units.width() * baseUnits_.width() / 4, units.height() * baseUnits_.height() / 8};
}

QRect Dialog::DialogUnitsToPixels(const QRect& units) const {
    const QSize pos = DialogUnitsToPixels(QSize(units.x(), units.y()));
    return {QPoint(pos.width(), pos.height()), DialogUnitsToPixels(units.size())};
}

bool Dialog::Create() {
    template_ = Resources::LoadDialog(templateId_);
    if (!template_)
        return false;
    const DialogTemplate& t = *template_;

    const QFont font = TemplateFont(t);
    const QFontMetrics metrics(font);
    // The platform's base units: average width of the alphabet, and the font's height.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int averageWidth = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    baseUnits_ = QSize(std::max(1, averageWidth), std::max(1, metrics.height()));

    QWidget* parentWidget = parent_ ? parent_->Widget() : nullptr;
    auto* widget = new DialogWidget(this, parentWidget);
    widget_ = widget;
    widget->setFont(font);
    widget->setWindowTitle(t.caption);
    Qt::WindowFlags flags = Qt::Dialog;
    if (!(t.style & WS_CAPTION))
        flags |= Qt::FramelessWindowHint;
    else
        flags |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    widget->setWindowFlags(flags);
    widget->setFixedSize(DialogUnitsToPixels(t.rect.size()));

    controls_.clear();
    for (const DialogControl& c : t.controls) {
        QWidget* control = CreateControl(c, widget);
        if (!control)
            continue;
        control->setGeometry(DialogUnitsToPixels(c.rect));
        control->setVisible(c.style & WS_VISIBLE);
        control->setEnabled(!(c.style & WS_DISABLED));
        if (c.id != -1)
            controls_[c.id] = control;
    }
    if ((t.style & DS_CENTER) || !parentWidget) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            widget->move(area.center() - QPoint(widget->width() / 2, widget->height() / 2));
        }
    }
    return true;
}

QWidget* Dialog::CreateControl(const DialogControl& c, QWidget* parent) {
    if (auto it = factories_.find(c.id); it != factories_.end() && it->second)
        return it->second(c, parent);

    const QString cls = c.className.toUpper();
    if (cls == QLatin1String("BUTTON")) {
        auto* button = new QPushButton(c.text, parent);
        button->setDefault(c.style & BS_DEFPUSHBUTTON);
        const int id = c.id;
        connect(button, &QPushButton::clicked, this,
                [this, id] { SendMessage(this, WM_COMMAND, static_cast<WPARAM>(id) & 0xFFFF, 0); });
        return button;
    }
    if (cls == QLatin1String("STATIC")) {
        auto* label = new QLabel(parent);
        const std::uint32_t type = c.style & SS_TYPEMASK;
        if (type == SS_ICON) {
            const QIcon icon = Resources::LoadIcon(static_cast<unsigned>(c.iconId));
            const QSize size = DialogUnitsToPixels(c.rect.size());
            label->setPixmap(icon.pixmap(size));
        } else if (type != SS_BITMAP) {
            label->setText(c.text);
            label->setTextFormat(Qt::PlainText);
        }
        if (type == SS_CENTER || (c.style & SS_CENTERIMAGE))
            label->setAlignment(Qt::AlignCenter);
        else if (type == SS_RIGHT)
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    }
    if (cls == QLatin1String("EDIT")) {
        if (c.style & ES_MULTILINE) {
            auto* edit = new QPlainTextEdit(c.text, parent);
            edit->setReadOnly(c.style & ES_READONLY);
            return edit;
        }
        auto* edit = new QLineEdit(c.text, parent);
        edit->setReadOnly(c.style & ES_READONLY);
        return edit;
    }
    if (cls == QLatin1String("MSCTLS_PROGRESS32")) {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    if (cls == QLatin1String("MFCLINK")) {
        auto* link = new QLabel(parent);
        link->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(c.text.toHtmlEscaped()));
        link->setOpenExternalLinks(true);
        return link;
    }
    return new QWidget(parent);
}

int Dialog::DoModal() {
    if (!Create())
        return -1;
    running_ = true;
    result_ = 0;
    ModalStack().push_back(this);
    // Its result only concerns the initial focus, which Qt sets itself. A file error ends the
    // initialisation where it was raised; the dialog still runs.
    RunReportingFileErrors([this] { OnInitDialog(); });
    // A dialog ended during its initialisation never enters the modal loop.
    if (running_)
        RunModalLoop();
    auto& stack = ModalStack();
    stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
    running_ = false;
    delete widget_.data();
    controls_.clear();
    return result_;
}

// What QDialog::exec does, except that its loop also ends when the window is merely hidden.
void Dialog::RunModalLoop() {
    widget_->setAttribute(Qt::WA_ShowModal, true);
    widget_->setResult(0);
    widget_->show();
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
}

void Dialog::EndDialog(int result) {
    result_ = result;
    running_ = false;
    if (widget_)
        widget_->done(result);
    if (loop_)
        loop_->exit(result);
}

void Dialog::EndAllModal(int result) {
    auto stack = ModalStack();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        (*it)->EndDialog(result);
}

void Dialog::CancelAllModal() {
    // A dialog's Cancel may dispatch events, and so end or start other dialogs meanwhile.
    std::vector<QPointer<Dialog>> stack;
    for (Dialog* dialog : ModalStack())
        stack.emplace_back(dialog);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        Dialog* dialog = *it;
        if (!dialog || !dialog->running_)
            continue;
        dialog->WindowProc(WM_COMMAND, IDCANCEL, 0);
        if (dialog && dialog->running_)
            dialog->EndDialog(IDCANCEL);
    }
}

bool Dialog::IsModalDialogWidget(const QWidget* widget) {
    const auto& stack = ModalStack();
    return std::any_of(stack.begin(), stack.end(),
                       [widget](const Dialog* dialog) { return dialog->widget_ == widget; });
}

} // namespace fw
