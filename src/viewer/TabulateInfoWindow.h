#pragma once

#include "EventHandler.h"
#include "Tabulation.h"

#include <QWidget>

class Notifier;
class QFileDialog;
class QFont;
class QListWidget;
class UserPersist;

inline const QString kTabulateForm = QStringLiteral("TabulateWindow");
// The name the plot window finds its tabulation window by: there is at most one.
inline const QString kTabulateWindowName = QStringLiteral("TabulateInfoWindow");
inline const QString kTabulationFileFilter = QStringLiteral("*.txt");

// The numbers behind the chart: the points of one series in the chart's visible range, one
// row each, in a window beside the plot window; the row of the point under the mouse is
// selected, and the whole list can be saved as text.
class TabulateInfoWindow : public QWidget, public EventHandler {
    Q_OBJECT

public:
    TabulateInfoWindow(const QFont& font, UserPersist& persist, Notifier& notifier,
                       QWidget* viewer);

    int handleEvent(int code) override;

    bool isBuilt() const { return built_; }
    void fill(const Tabulation& tabulation);
    const Tabulation& tabulation() const { return tabulation_; }
    // Selects the row of the point, if it is listed.
    void selectPoint(int point);
    // Kept for the window's life, so that it opens where the last file was saved.
    QFileDialog* saveDialog() const { return saveDialog_; }

private:
    void save();

    Notifier& notifier_;
    bool built_ = false;
    Tabulation tabulation_;
    QListWidget* list_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;
};
