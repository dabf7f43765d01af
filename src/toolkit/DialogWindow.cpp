#include "DialogWindow.h"

#include "Controls.h"
#include "EventCodes.h"
#include "KeyDispatcher.h"

DialogWindow::DialogWindow(QWidget* parent) : QDialog(parent) {}

int DialogWindow::runModal() {
    result_ = kRejectedResult;
    ended_ = false;
    adjustSize();
    placeWindow(this);
    KeyDispatcher::discardWaitingInput();
    // A timer of the dialog's may have ended the run meanwhile; shown then, it would wait
    // for an end that has already come.
    if (!ended_)
        exec();
    return result_;
}

void DialogWindow::endModal(int result) {
    result_ = result;
    ended_ = true;
    done(result == kAcceptedResult ? QDialog::Accepted : QDialog::Rejected);
}

int DialogWindow::handleEvent(int) {
    return 0;
}

void DialogWindow::reject() {
    endModal(kRejectedResult);
}
