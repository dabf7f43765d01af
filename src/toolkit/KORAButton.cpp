#include "KORAButton.h"

#include "Controls.h"

#include <QCoreApplication>
#include <QFile>
#include <QStyle>

namespace {

QString& helpDirectoryOverride() {
    static QString directory;
    return directory;
}

// Help files are a few lines; anything beyond this is not help text.
constexpr qint64 kMaxHelpFileBytes = 64 * 1024;

} // namespace

KORAButton::KORAButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
}

QString KORAButton::helpDirectory() {
    const QString& directory = helpDirectoryOverride();
    return directory.isEmpty() ? QCoreApplication::applicationDirPath() : directory;
}

void KORAButton::setHelpDirectory(const QString& directory) {
    helpDirectoryOverride() = directory;
}

void KORAButton::setHelp(QWidget* pane, const QString& fileName) {
    pane_ = pane;
    fileName_ = fileName;
}

void KORAButton::becomeCurrent() {
    updateHighlight();
    if (pane_.isNull() || fileName_.isEmpty())
        return;
    QFile file(helpDirectory() + QLatin1Char('/') + fileName_);
    if (!file.open(QIODevice::ReadOnly)) {
        pane_->hide();
        return;
    }
    setControlText(pane_, QString::fromUtf8(file.read(kMaxHelpFileBytes)).trimmed());
    pane_->show();
}

void KORAButton::updateHighlight() {
    const bool highlighted = hovered_ || hasFocus();
    if (highlighted == highlighted_)
        return;
    highlighted_ = highlighted;
    setProperty("highlighted", highlighted);
    // The style sheet selects on the property; the style only looks at it when polishing.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void KORAButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    becomeCurrent();
    QPushButton::enterEvent(event);
}

void KORAButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    updateHighlight();
    QPushButton::leaveEvent(event);
}

void KORAButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    becomeCurrent();
}

void KORAButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    updateHighlight();
}
