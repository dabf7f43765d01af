#pragma once

#include "ReportContent.h"

#include <QLocale>
#include <QPageSize>
#include <QString>

// The maintenance report's PDF: the content that collectReport gathers, laid out on pages
// with every page's header and footer.

// A4, or Letter where the locale's territory uses it (the United States, Canada and the
// countries that follow them).
QPageSize reportPageSize(const QLocale& locale);

// Writes the report as PDF to `path` through a temporary file that is renamed when complete:
// a failure leaves no file behind and gives its reason in `error`.
bool writeMaintenanceReport(const ReportContent& content, const QPageSize& pageSize,
                            const QString& path, QString* error);

// The report's tables as plain text, one line per row (what the PDF shows, without charts).
QString reportText(const ReportContent& content);

inline const QString kReportTitle = QStringLiteral("Maintenance Report");
inline const QString kReportAircraftText = QStringLiteral("Aircraft: %1");
inline const QString kReportDateText = QStringLiteral("Date: %1");
inline const QString kReportPeriodText = QStringLiteral("Downloads since %1");
inline const QString kReportAllDownloadsText = QStringLiteral("All downloads");
inline const QString kReportEngineText = QStringLiteral("Engine %1: type %2, S/N %3, installed %4");
inline const QString kReportPartNumbersTitle = QStringLiteral("Unit part numbers");
inline const QString kReportNoPartNumbersText =
    QStringLiteral("No engine data file holds the unit's part numbers.");
inline const QString kReportEngineTitle = QStringLiteral("Engine %1");
inline const QString kReportDownloadsTitle = QStringLiteral("Downloads");
inline const QString kReportNoDownloadsText = QStringLiteral("No downloads in the period.");
inline const QString kReportDownloadRowText = QStringLiteral("%1  %2 flights  %3");
inline const QString kReportFlightsTitle = QStringLiteral("Flights");
inline const QString kReportFlightRowText =
    QStringLiteral("Flight %1  %2  %3  A4R max %4  steady state %5  transient %6");
inline const QString kReportTrendTitle = QStringLiteral("Trend of A4R (maximum per flight)");
// %1 = the indicator's name.
inline const QString kReportIndicatorTrendTitle =
    QStringLiteral("Trend of %1 (maximum per flight)");
inline const QString kReportWaterfallTitle =
    QStringLiteral("Steady-state waterfall of the latest flight");
inline const QString kReportHealthTitle = QStringLiteral("Health");
// %1 = the engine type.
inline const QString kReportNoLimitsText = QStringLiteral("No limits are set for engine type %1.");
inline const QString kReportFlightsToAlarmText = QStringLiteral("Flights to alarm: %1");
// %1 = indicator, %2 = its state, %3 = the latest flight's value, %4 = warning, %5 = alarm.
inline const QString kReportIndicatorHealthText =
    QStringLiteral("%1: %2, latest %3, warning %4, alarm %5");
inline const QString kReportNoReadingText = QStringLiteral("none");
inline const QString kReportCriticalChangeText = QStringLiteral(", critical change %1");
// %1 = the driving indicator.
inline const QString kReportDrivingTrendTitle = QStringLiteral("Trend of %1 with its limits");
inline const QString kReportSuspectTitle = QStringLiteral("Suspect flights");
// %1 = flight number, %2 = date, %3 = memory, %4 = why it is suspect.
inline const QString kReportSuspectRowText = QStringLiteral("Flight %1  %2  %3  %4");
inline const QString kReportNoSuspectText = QStringLiteral("No suspect flights.");
inline const QString kReportHeaderText = QStringLiteral("Maintenance Report: %1");
inline const QString kReportPageText = QStringLiteral("Page %1 of %2");
inline const QString kReportWriteFailedReason = QStringLiteral("%1: %2");
