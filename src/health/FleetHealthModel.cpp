#include "FleetHealthModel.h"

#include <QColor>

#include <limits>

namespace {

// Light tints, so that the text on them stays black and legible in colour and in grey.
QColor stateTint(HealthState state) {
    switch (state) {
    case HealthState::Alarm:
        return {244, 178, 178};
    case HealthState::Warning:
        return {250, 222, 150};
    case HealthState::Normal:
        return {196, 232, 196};
    case HealthState::NoReadings:
    case HealthState::NoLimits:
        break;
    }
    return {};
}

// Empty cells sort below every number.
constexpr double kNoNumber = -std::numeric_limits<double>::infinity();

QVariant number(const std::optional<double>& value) {
    return value ? *value : kNoNumber;
}

} // namespace

QString fleetStateText(HealthState state) {
    return healthStateSymbol(state) + QLatin1Char(' ') + healthStateWord(state);
}

FleetHealthModel::FleetHealthModel(QObject* parent) : QAbstractTableModel(parent) {}

void FleetHealthModel::setRows(QList<FleetRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    // The cells as brix-cli fleet writes them, the state with its symbol; made once, as the
    // table asks for them on every paint.
    cells_.clear();
    cells_.reserve(rows_.size());
    for (const FleetRow& row : rows_) {
        QStringList cells = fleetCells(row);
        if (StateColumn < cells.size())
            cells[StateColumn] = fleetStateText(row.health.state);
        cells_.append(std::move(cells));
    }
    endResetModel();
}

int FleetHealthModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int FleetHealthModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FleetHealthModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return kFleetColumnTitles.value(section);
    return {};
}

QVariant FleetHealthModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const FleetRow& row = rows_[index.row()];
    const EngineHealth& health = row.health;
    if (role == Qt::BackgroundRole) {
        const QColor tint = stateTint(health.state);
        return index.column() == StateColumn && tint.isValid() ? QVariant(tint) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        switch (index.column()) {
        case EngineColumn:
        case FlightsColumn:
        case SuspectColumn:
        case ValueColumn:
        case LimitColumn:
        case FlightsToAlarmColumn:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    if (role == kSortRole) {
        switch (index.column()) {
        case EngineColumn:
            return row.engineNumber;
        case LastDownloadColumn:
            return row.lastDownload ? double(row.lastDownload->toSecsSinceEpoch()) : kNoNumber;
        case FlightsColumn:
            return row.flights;
        case SuspectColumn:
            return row.suspect;
        case StateColumn:
            return int(health.state);
        case ValueColumn:
            return number(health.value);
        case LimitColumn:
            return number(health.limit);
        case FlightsToAlarmColumn:
            return health.flightsToAlarm ? QVariant(*health.flightsToAlarm) : QVariant(kNoNumber);
        default:
            break;
        }
        role = Qt::DisplayRole;
    }
    if (role != Qt::DisplayRole)
        return {};
    return cells_[index.row()].value(index.column());
}
