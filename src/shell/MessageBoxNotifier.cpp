#include "MessageBoxNotifier.h"

#include "Controls.h"
#include "KeyDispatcher.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

namespace {

QFont messageFont() {
    return QFont(QStringLiteral("Helvetica [Cronyx]"), 11, QFont::Bold, true);
}

int showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, title, text, buttons);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // The font installed for the class is dropped when the style sheet replaces the
    // application's style, and under a style sheet the box's controls do not inherit the
    // box's font: every control gets it here.
    applyFont(&box, messageFont());
    KeyDispatcher::discardWaitingInput();
    return box.exec();
}

} // namespace

void MessageBoxNotifier::critical(const QString& title, const QString& text) {
    showBox(QMessageBox::Critical, title, text, QMessageBox::Ok);
}

void MessageBoxNotifier::warning(const QString& title, const QString& text) {
    showBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
}

void MessageBoxNotifier::information(const QString& title, const QString& text) {
    showBox(QMessageBox::Information, title, text, QMessageBox::Ok);
}

bool MessageBoxNotifier::question(const QString& title, const QString& text, DefaultAnswer answer) {
    return showBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                   answer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No) ==
           QMessageBox::Yes;
}

void installMessageBoxFont() {
    QApplication::setFont(messageFont(), "QMessageBox");
}
