#include "MessageBoxNotifier.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

namespace {

int showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons);
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

bool MessageBoxNotifier::question(const QString& title, const QString& text) {
    return showBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void installMessageBoxFont() {
    QFont font(QStringLiteral("Helvetica [Cronyx]"), 11, QFont::Bold, true);
    QApplication::setFont(font, "QMessageBox");
}
