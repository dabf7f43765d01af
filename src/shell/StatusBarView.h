#pragma once

#include "CommunicationView.h"

#include <QFont>
#include <QPointer>

class QLabel;
class QWidget;
class UserPersist;

// The communication check as the main window shows it: the status bar's texts, the wait
// cursor and the communication-failure dialog.
class StatusBarView : public CommunicationView {
public:
    StatusBarView(QWidget* window, UserPersist& persist, const QFont& normalFont);

    void setStatus(const QString& text) override;
    void clearPartNumberItems() override;
    void setWaitCursor(bool on) override;
    void showCommunicationFailure() override;

private:
    QWidget* window_;
    UserPersist& persist_;
    QFont normalFont_;
    QPointer<QLabel> status_;
    QPointer<QLabel> partNumber_;
    QPointer<QLabel> serialNumber_;
    bool waitCursor_ = false;
};
