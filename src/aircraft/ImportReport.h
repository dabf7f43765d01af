#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// What one import changed, told in one notice after the import: how many aircraft it
// imported, which of them replaced a registered record, and which identifiers appeared on
// several lines (the last of those lines is the one kept).
class ImportReport {
public:
    // An aircraft imported from a line, under its registered spelling; registeredBefore says
    // whether a record of that identifier was there before the import.
    void imported(const QString& id, bool registeredBefore, int lineNumber);

    // Distinct identifiers imported.
    int importedCount() const { return static_cast<int>(ids_.size()); }
    // The notice's text: the counts, then the replaced identifiers, then one sentence for
    // each identifier found on several lines; every list is cut as messages cut what they
    // echo.
    QString text() const;

private:
    // In the order of their first line.
    QStringList ids_;
    QStringList replaced_;
    QHash<QString, QList<int>> lines_;
};
