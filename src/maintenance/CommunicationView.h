#pragma once

class QString;

// What the communication check shows while it works: the main window's status bar and its
// failure dialog; brix-cli and tests have their own.
class CommunicationView {
public:
    virtual ~CommunicationView() = default;
    virtual void setStatus(const QString& text) = 0;
    // Empties the status bar's part-number and serial-number items.
    virtual void clearPartNumberItems() = 0;
    virtual void setWaitCursor(bool on) = 0;
    // The modal communication-failure dialog.
    virtual void showCommunicationFailure() = 0;
};
