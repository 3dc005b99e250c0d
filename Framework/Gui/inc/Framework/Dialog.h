#pragma once

#include "Framework/DialogTemplate.h"
#include "Framework/MessageBox.h"
#include "Framework/Window.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QSize>

#include <functional>
#include <map>
#include <optional>

class QEvent;
class QWidget;

namespace fw {

// A dialog built from a dialog-template resource of the current resource source and run
// modally. Controls are bound by id; a subclass may supply its own widget for a control
// (our stand-in for subclassing a control through data exchange) before DoModal.
class Dialog : public Window {
    Q_OBJECT
public:
    using ControlFactory = std::function<QWidget*(const DialogControl&, QWidget* parent)>;

    explicit Dialog(unsigned templateId, Dialog* parent = nullptr);
    ~Dialog() override;

    // Creates the window from the template, runs OnInitDialog and the modal loop, destroys
    // the window and returns the EndDialog result; -1 when the window could not be created.
    // Only EndDialog ends the loop: hiding the window (the main window in the notification
    // area) leaves it running.
    int DoModal();
    void EndDialog(int result);

    QWidget* GetDlgItem(int id) const;
    QDialog* Widget() const { return widget_; }
    Dialog* ParentDialog() const { return parent_; }
    unsigned TemplateId() const { return templateId_; }

    void SetControlFactory(int id, ControlFactory factory);

    // Dialog units of the template's font to pixels.
    QSize DialogUnitsToPixels(QSize units) const;
    QRect DialogUnitsToPixels(const QRect& units) const;

    // Ends every running modal dialog, innermost first.
    static void EndAllModal(int result);
    // Cancels every running modal dialog, innermost first, as its Cancel command would (a
    // firmware dialog stops its transfer first); one that is still running afterwards is
    // ended with IDCANCEL. For a clean end on SIGTERM.
    static void CancelAllModal();
    // Whether the widget is the window of one of our running modal dialogs.
    static bool IsModalDialogWidget(const QWidget* widget);

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Every event of the dialog's widget passes here first; true stops the default handling.
    virtual bool OnWidgetEvent(QEvent* event);

    const std::optional<DialogTemplate>& Template() const { return template_; }

private:
    friend class DialogWidget;
    bool Create();
    void RunModalLoop();
    QWidget* CreateControl(const DialogControl& control, QWidget* parent);

    unsigned templateId_;
    Dialog* parent_;
    std::optional<DialogTemplate> template_;
    QPointer<QDialog> widget_;
    std::map<int, QWidget*> controls_;
    std::map<int, ControlFactory> factories_;
    QSize baseUnits_{6, 13};
    bool running_ = false;
    int result_ = 0;
    QPointer<QEventLoop> loop_;
};

} // namespace fw
