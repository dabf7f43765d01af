#pragma once

#include <QString>

class Notifier;
class QFont;
class QWidget;

inline const QString kReportDialogTitle = QStringLiteral("Maintenance Report");
inline const QString kReportAircraftLabel = QStringLiteral("Aircraft:");
inline const QString kReportFileFilter = QStringLiteral("PDF Files (*.pdf)");
inline const QString kNoAircraftForReportText =
    QStringLiteral("No aircraft is registered. Add an aircraft first.");

// File > "Maintenance Report...": asks for the aircraft (the registered ones, the last one
// selected first; arrows and Enter choose), then writes its report (writeReportFor).
void runMaintenanceReport(QWidget* parent, const QFont& font, Notifier& notifier);

// Asks for the PDF file with the save dialog (".pdf" added when the name has no extension)
// and writes the report of `aircraftId` for both engines and every download. A failure is
// told through the notifier with the file and the reason; a cancelled dialog says nothing.
void writeReportFor(QWidget* parent, const QFont& font, const QString& aircraftId,
                    Notifier& notifier);
