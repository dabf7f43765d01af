#pragma once

#include "DialogWindow.h"
#include "FleetHealth.h"

#include <QList>

#include <functional>

class FleetHealthModel;
class QAbstractButton;
class QFont;
class QLabel;
class QLineEdit;
class QModelIndex;
class QSortFilterProxyModel;
class QTableView;
class UserPersist;
class Notifier;

// The Fleet Health window: one row per registered aircraft and engine with its state, worst
// first; any column sorts (numbers as numbers), the filter keeps the rows with the typed text in
// any cell, and Enter, a double click or Trend opens the trend of the row's engine and driving
// indicator. A window of its own beside the main window, which refreshes it after a download.
class FleetHealthWindow : public DialogWindow {
    Q_OBJECT

public:
    static constexpr int kTrendEvent = 10001;
    static constexpr int kRefreshEvent = 10002;
    static constexpr int kCloseEvent = 10003;

    // Reads the fleet's rows, worst first.
    using RowSource = std::function<QList<FleetRow>()>;
    // Opens the trend of a row that has a driving indicator.
    using TrendOpener = std::function<void(const FleetRow& row)>;

    FleetHealthWindow(const QFont& normalFont, UserPersist& persist, Notifier& notifier,
                      RowSource rows, TrendOpener openTrend, QWidget* parent = nullptr);

    // False when the form could not be built (already reported).
    bool isBuilt() const { return built_; }

    int handleEvent(int code) override;

    // Reads the rows again, keeping the filter and the sort the user chose.
    void refresh();

    // The row shown at `position` of the table (after sorting and filtering); nullptr when
    // there is none.
    const FleetRow* shownRow(int position) const;
    int shownRowCount() const;
    QTableView* table() const { return table_; }

private:
    void fitColumns();
    void showRowCount();
    void openTrendOf(const QModelIndex& index);
    void currentRowChanged();

    RowSource rows_;
    TrendOpener openTrend_;
    bool built_ = false;
    FleetHealthModel* model_ = nullptr;
    QSortFilterProxyModel* shown_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* rowCount_ = nullptr;
    QAbstractButton* trendButton_ = nullptr;
};

inline const QString kFleetHealthForm = QStringLiteral("FleetHealth");
inline const QString kFleetHealthHelpContext = QStringLiteral("HelpFleetHealth");
// Below the filter: %1 rows shown, %2 rows in all.
inline const QString kFleetRowCountText = QStringLiteral("%1 of %2 engines");
