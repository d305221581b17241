#pragma once

#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QAbstractButton>
#include <QTimer>
#include <QWidget>

// Modal windows block the operation that opened them, so a test arms this
// before the trigger: it looks at the modal window once it is up, records
// what a person would see, then acts on it (by default: presses OK).
class TModalCatcher {
public:
    struct TSeen {
        int Count = 0;
        QString Caption;
        QString Text;
        QMessageBox::Icon Icon = QMessageBox::NoIcon;
    };

    explicit TModalCatcher(std::function<void(QWidget*)> act = {}) : FAct(std::move(act))
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Poll(); });
        FTimer.start(10);
    }

    const TSeen& Seen() const { return FSeen; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            FLast = nullptr;
            return;
        }
        if (modal == FLast) {
            return;
        }
        FLast = modal;
        ++FSeen.Count;
        FSeen.Caption = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            FSeen.Text = box->text();
            FSeen.Icon = box->icon();
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
        } else if (FAct) {
            FAct(modal);
        }
    }

    std::function<void(QWidget*)> FAct;
    QTimer FTimer;
    QWidget* FLast = nullptr;
    TSeen FSeen;
};
