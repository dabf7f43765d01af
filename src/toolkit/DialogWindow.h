#pragma once

#include "EventCodes.h"
#include "EventHandler.h"

#include <QDialog>

// A dialog of the program: built from its form, driven by event codes, run modally.
class DialogWindow : public QDialog, public EventHandler {
    Q_OBJECT

public:
    explicit DialogWindow(QWidget* parent = nullptr);

    // Places the dialog over its parent and runs it modally; keys and clicks typed before it
    // was shown are thrown away. kAcceptedResult when it was accepted, otherwise the code it
    // was ended with (kRejectedResult when simply closed).
    int runModal();
    // Ends the modal run with `result`.
    void endModal(int result);

    int handleEvent(int code) override;

    void reject() override;

private:
    int result_ = kRejectedResult;
    bool ended_ = false;
};
