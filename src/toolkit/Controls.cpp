#include "Controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <algorithm>

QObject* findControlObject(QObject* root, const QStringList& path) {
    QObject* current = root;
    for (const QString& name : path) {
        if (current == nullptr)
            return nullptr;
        current = current->findChild<QObject*>(name);
    }
    return current;
}

void setControlText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(control))
        line->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(control))
        rich->setPlainText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setCurrentText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}

QString controlText(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* line = qobject_cast<const QLineEdit*>(control))
        return line->text();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(control))
        return rich->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return {};
}

void applyFont(QWidget* window, const QFont& font) {
    window->setFont(font);
    for (QWidget* control : window->findChildren<QWidget*>())
        control->setFont(font);
}

int titleBarWidth(const QWidget* window) {
    // The window's icon and its minimise, maximise and close buttons.
    constexpr int kTitleBarControlsWidth = 160;
    QFont font = QGuiApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(window->windowTitle()) + kTitleBarControlsWidth;
}

namespace {

// The frame that the window system has put round a window; none before it has made one.
QMargins frameMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

// The frame the window system gives the window: its own once known, otherwise that of its
// owner or of another shown window, which are framed alike.
QMargins expectedFrameMargins(const QWidget* window, const QWidget* owner) {
    if (const QMargins own = frameMargins(window); !own.isNull())
        return own;
    if (owner != nullptr)
        return frameMargins(owner);
    for (const QWidget* shown : QApplication::topLevelWidgets()) {
        if (shown != window && shown->isVisible() && !frameMargins(shown).isNull())
            return frameMargins(shown);
    }
    return {};
}

} // namespace

void placeWindow(QWidget* window) {
    QWidget* owner = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    if (owner != nullptr && !owner->isVisible())
        owner = nullptr;
    QScreen* screen = owner != nullptr ? owner->screen() : window->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QMargins margins = expectedFrameMargins(window, owner);
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    const QSize room = available.size().shrunkBy(margins);
    const int titleWidth = std::min(titleBarWidth(window), room.width());
    if (window->width() < titleWidth)
        window->resize(titleWidth, window->height());
    // A window larger than the area shrinks to it, as far as its layout and smallest size
    // allow: never so far that its controls would cut their texts.
    if (window->width() > room.width() || window->height() > room.height()) {
        const QSize smallest = window->minimumSizeHint().expandedTo(window->minimumSize());
        window->resize(window->size().boundedTo(room).expandedTo(smallest));
    }

    QRect frame(QPoint(), window->size().grownBy(margins));
    frame.moveCenter(owner != nullptr ? owner->frameGeometry().center() : available.center());
    // Right and bottom edges first, so that a window larger than the area keeps its title bar
    // and left edge on the screen.
    if (frame.right() > available.right())
        frame.moveRight(available.right());
    if (frame.bottom() > available.bottom())
        frame.moveBottom(available.bottom());
    if (frame.left() < available.left())
        frame.moveLeft(available.left());
    if (frame.top() < available.top())
        frame.moveTop(available.top());
    // A window's position is that of its frame.
    window->move(frame.topLeft());
}

void showAndWaitUntilDrawn(QWidget* window, int boundMs) {
    constexpr QEventLoop::ProcessEventsFlags kNoInput = QEventLoop::ExcludeUserInputEvents;
    constexpr int kPollMs = 5;
    window->show();
    QElapsedTimer elapsed;
    elapsed.start();
    // Qt marks the window mapped when it handles the first expose, and paints it there.
    while (!window->testAttribute(Qt::WA_Mapped) && elapsed.elapsed() < boundMs) {
        QCoreApplication::processEvents(kNoInput, kPollMs);
        QThread::msleep(kPollMs);
    }
    // Layout and update requests posted while it was drawn.
    QCoreApplication::processEvents(kNoInput);
}

void setProgressText(QProgressBar* bar, ProgressText text) {
    bar->setTextVisible(text != ProgressText::None);
    bar->setFormat(text == ProgressText::Value ? QStringLiteral("%v") : QStringLiteral("%p%"));
}

ProgressText progressText(const QProgressBar* bar) {
    if (!bar->isTextVisible())
        return ProgressText::None;
    return bar->format() == QLatin1String("%v") ? ProgressText::Value : ProgressText::Percent;
}

namespace {
// The dynamic property that the style sheet's failure colour is selected by.
const char* const kFailedProperty = "failed";
} // namespace

void setProgressFailed(QProgressBar* bar, bool failed) {
    if (bar == nullptr || progressFailed(bar) == failed)
        return;
    bar->setProperty(kFailedProperty, failed);
    // A style sheet matches properties when a widget is polished, not when they change.
    bar->style()->unpolish(bar);
    bar->style()->polish(bar);
    bar->update();
}

bool progressFailed(const QProgressBar* bar) {
    return bar != nullptr && bar->property(kFailedProperty).toBool();
}
