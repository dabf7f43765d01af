#include "DialogWindow.h"

#include "Controls.h"
#include "EventCodes.h"

DialogWindow::DialogWindow(QWidget* parent) : QDialog(parent) {}

int DialogWindow::runModal() {
    result_ = kRejectedResult;
    adjustSize();
    placeWindow(this);
    exec();
    return result_;
}

void DialogWindow::endModal(int result) {
    result_ = result;
    done(result == kAcceptedResult ? QDialog::Accepted : QDialog::Rejected);
}

int DialogWindow::handleEvent(int) {
    return 0;
}

void DialogWindow::reject() {
    endModal(kRejectedResult);
}
