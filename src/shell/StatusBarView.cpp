#include "StatusBarView.h"

#include "Controls.h"
#include "KORACommDialog.h"

#include <QApplication>
#include <QLabel>

StatusBarView::StatusBarView(QWidget* window, UserPersist& persist, const QFont& normalFont)
    : window_(window), persist_(persist), normalFont_(normalFont) {
    const QString bar = QStringLiteral("StatusBar");
    status_ = findControl<QLabel>(window, {bar, QStringLiteral("STATUS")});
    partNumber_ = findControl<QLabel>(window, {bar, QStringLiteral("PART_NUMBER")});
    serialNumber_ = findControl<QLabel>(window, {bar, QStringLiteral("SERIAL_NUMBER")});
}

void StatusBarView::setStatus(const QString& text) {
    if (status_.isNull())
        return;
    status_->setText(text);
    // The check waits on this thread; the text must be on the screen before it does.
    status_->repaint();
}

void StatusBarView::clearPartNumberItems() {
    if (!partNumber_.isNull())
        partNumber_->clear();
    if (!serialNumber_.isNull())
        serialNumber_->clear();
}

void StatusBarView::setWaitCursor(bool on) {
    if (on == waitCursor_)
        return;
    waitCursor_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void StatusBarView::showCommunicationFailure() {
    KORACommDialog dialog(normalFont_, persist_, window_);
    dialog.runModal();
}
