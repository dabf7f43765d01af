#pragma once

#include "KeyMap.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QAction;
class QComboBox;
class QListWidget;
class QWidget;

// A window of the program: it receives integer event codes from its controls, its keys and
// its timers in one handler, keeps a key map and names the help page shown on F1.
class EventHandler {
public:
    virtual ~EventHandler() = default;

    // Handles one event code; the result is the handler's answer (0 when it has none).
    virtual int handleEvent(int code) = 0;

    KeyMap& keyMap() { return keyMap_; }
    const KeyMap& keyMap() const { return keyMap_; }

    // The control whose selection sent the code being handled; nullptr for keys and timers.
    QObject* eventSource() const { return eventSource_; }
    void setEventSource(QObject* source) { eventSource_ = source; }

    const QString& helpContext() const { return helpContext_; }
    void setHelpContext(const QString& context) { helpContext_ = context; }

private:
    KeyMap keyMap_;
    QString helpContext_;
    QPointer<QObject> eventSource_;
};

// Binding a control to a code: selecting it sends the code to the handler. Binding again
// only changes the code; the control keeps one connection.
void bindCode(QAbstractButton* button, EventHandler* handler, int code);
void bindCode(QAction* action, EventHandler* handler, int code);
// A list sends the code when another item becomes current, a combo box when the user picks
// an item.
void bindCode(QListWidget* list, EventHandler* handler, int code);
void bindCode(QComboBox* comboBox, EventHandler* handler, int code);
