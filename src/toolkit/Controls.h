#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QFont;
class QProgressBar;
class QWidget;

// Finds a control by its names, level by level: {"TOOL_BAR", "B_BACK"} is the "B_BACK"
// below "TOOL_BAR". nullptr when a level is missing or the control is of another kind.
QObject* findControlObject(QObject* root, const QStringList& path);
template <typename T>
T* findControl(QObject* root, const QStringList& path) {
    return qobject_cast<T*>(findControlObject(root, path));
}

// The text of a label, button, text field, combo box or group title.
void setControlText(QWidget* control, const QString& text);
QString controlText(const QWidget* control);

// Gives a window and every control in it the font. Setting it on the window alone is not
// enough: under the application's style sheet a control keeps the font it was polished with.
void applyFont(QWidget* window, const QFont& font);

// The width a window needs for the window system to show its whole title: the title in the
// application's font made bold, and room for the window's icon and buttons.
int titleBarWidth(const QWidget* window);

// Places a window before it is first shown: centred on the window it belongs to (on the middle
// of its screen when it belongs to none or that one is hidden), then moved as little as needed
// for its whole frame, title bar first, to lie inside the screen's available area. It opens at
// least as wide as its title needs, and no larger than that area where its smallest size
// allows. Before the window system has framed the window, its frame is taken to be as wide as
// its owner's (or another shown window's), as Qt itself assumes for dialogs.
void placeWindow(QWidget* window);

// Shows a window and returns once the window system has exposed it and it is drawn, or
// after `boundMs`. For a window that a wait on this thread follows: until that first
// expose nothing it paints reaches the screen, so it would stay an empty frame for the
// whole wait. Input waits for the event loop; timers and the window system's events run.
void showAndWaitUntilDrawn(QWidget* window, int boundMs);

// What a progress bar writes over itself.
enum class ProgressText { None, Value, Percent };
void setProgressText(QProgressBar* bar, ProgressText text);
ProgressText progressText(const QProgressBar* bar);
// Marks a bar whose run ended with failed steps; the style sheet draws it in its failure
// colour (the property "failed").
void setProgressFailed(QProgressBar* bar, bool failed);
bool progressFailed(const QProgressBar* bar);
