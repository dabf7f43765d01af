#include "FleetHealthWindow.h"

#include "Controls.h"
#include "FleetHealthModel.h"
#include "Notifier.h"
#include "UserPersist.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTableView>

#include <algorithm>

FleetHealthWindow::FleetHealthWindow(const QFont& normalFont, UserPersist& persist,
                                     Notifier& notifier, RowSource rows, TrendOpener openTrend,
                                     QWidget* parent)
    : DialogWindow(parent), rows_(std::move(rows)), openTrend_(std::move(openTrend)) {
    // A window of its own beside the main window, not a dialog over it.
    setWindowFlag(Qt::Window);
    setModal(false);
    built_ = persist.loadInto(kFleetHealthForm, this);
    if (!built_) {
        notifier.critical(kErrorTitle, persist.errorText());
        return;
    }
    applyFont(this, normalFont);
    setHelpContext(kFleetHealthHelpContext);
    keyMap().map(Qt::Key_Return, kTrendEvent);
    keyMap().map(Qt::Key_Enter, kTrendEvent);
    keyMap().map(Qt::Key_F5, kRefreshEvent);
    keyMap().map(Qt::Key_Escape, kCloseEvent);

    table_ = findControl<QTableView>(this, {QStringLiteral("FLEET_TABLE")});
    filter_ = findControl<QLineEdit>(this, {QStringLiteral("E_FILTER")});
    rowCount_ = findControl<QLabel>(this, {QStringLiteral("ROW_COUNT")});
    trendButton_ = findControl<QAbstractButton>(this, {QStringLiteral("B_TREND")});
    bindCode(trendButton_, this, kTrendEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_REFRESH")}), this,
             kRefreshEvent);
    bindCode(findControl<QAbstractButton>(this, {QStringLiteral("B_CLOSE")}), this, kCloseEvent);

    model_ = new FleetHealthModel(this);
    shown_ = new QSortFilterProxyModel(this);
    shown_->setSourceModel(model_);
    shown_->setSortRole(FleetHealthModel::kSortRole);
    shown_->setFilterKeyColumn(-1);
    shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    if (filter_ != nullptr)
        connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
            shown_->setFilterFixedString(text);
            showRowCount();
            currentRowChanged();
        });
    if (table_ != nullptr) {
        table_->setModel(shown_);
        // The fleet's own order, worst first, until the user sorts by a column.
        table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        table_->horizontalHeader()->setSortIndicatorClearable(true);
        table_->verticalHeader()->hide();
        connect(table_, &QTableView::doubleClicked, this,
                [this](const QModelIndex& index) { openTrendOf(index); });
        connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &FleetHealthWindow::currentRowChanged);
    }
    refresh();
    if (table_ != nullptr)
        table_->setFocus();
}

void FleetHealthWindow::refresh() {
    model_->setRows(rows_ ? rows_() : QList<FleetRow>());
    if (table_ != nullptr) {
        fitColumns();
        if (shown_->rowCount() > 0)
            table_->setCurrentIndex(shown_->index(0, 0));
    }
    showRowCount();
    currentRowChanged();
}

// Each column as wide as its cells and its title. The header's own size would keep room for a
// sort arrow on every column, which pushes the last ones off a 1024-pixel screen; the column
// sorted by shows its arrow over the title's end instead.
void FleetHealthWindow::fitColumns() {
    QHeaderView* header = table_->horizontalHeader();
    // The cells' width, which the table view itself keeps protected.
    const QAbstractItemView* cells = table_;
    const int padding = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) +
                        header->fontMetrics().averageCharWidth();
    for (int column = 0; column < shown_->columnCount(); ++column) {
        const QString title = shown_->headerData(column, Qt::Horizontal).toString();
        table_->setColumnWidth(column,
                               std::max(cells->sizeHintForColumn(column),
                                        header->fontMetrics().horizontalAdvance(title) + padding));
    }
}

void FleetHealthWindow::showRowCount() {
    if (rowCount_ != nullptr)
        rowCount_->setText(kFleetRowCountText.arg(shown_->rowCount()).arg(model_->rowCount()));
}

const FleetRow* FleetHealthWindow::shownRow(int position) const {
    const QModelIndex source = shown_->mapToSource(shown_->index(position, 0));
    return source.isValid() ? &model_->rows()[source.row()] : nullptr;
}

int FleetHealthWindow::shownRowCount() const {
    return shown_->rowCount();
}

// Trend is offered for a row whose state has a driving indicator.
void FleetHealthWindow::currentRowChanged() {
    if (trendButton_ == nullptr || table_ == nullptr)
        return;
    const FleetRow* row = shownRow(table_->currentIndex().row());
    trendButton_->setEnabled(row != nullptr && row->health.driving.has_value());
}

void FleetHealthWindow::openTrendOf(const QModelIndex& index) {
    const FleetRow* row = index.isValid() ? shownRow(index.row()) : nullptr;
    if (row != nullptr && row->health.driving && openTrend_)
        openTrend_(*row);
}

int FleetHealthWindow::handleEvent(int code) {
    switch (code) {
    case kTrendEvent:
        if (table_ != nullptr)
            openTrendOf(table_->currentIndex());
        return 0;
    case kRefreshEvent:
        refresh();
        return 0;
    case kCloseEvent:
        close();
        return 0;
    default:
        return DialogWindow::handleEvent(code);
    }
}
