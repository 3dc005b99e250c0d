#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// While it lives, message boxes are really shown (the test main otherwise dismisses them
// unseen); each one that comes up is read and answered with OK.
class MessageBoxCatcher {
public:
    MessageBoxCatcher() : saved_(qgetenv("GLIMRA_AUTO_DISMISS")) {
        qunsetenv("GLIMRA_AUTO_DISMISS");
        // The box runs its own modal loop, which delivers this timer.
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_.append(box->text());
                box->accept();
            }
        });
        timer_.start(5);
    }
    ~MessageBoxCatcher() { qputenv("GLIMRA_AUTO_DISMISS", saved_); }
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    // The texts of the boxes shown so far, in order.
    const QStringList& Texts() const { return texts_; }

private:
    QByteArray saved_;
    QTimer timer_;
    QStringList texts_;
};
