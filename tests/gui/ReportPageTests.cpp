// The maintenance report's pages as poppler reads them, for tables of every length: however the
// rows fall, no heading ends a page, no word leaves the margins (long file names wrap) and an
// engine's two charts share a page. Run with the program's faces and with the URW faces.
#include "MaintenanceReport.h"
#include "PdfWords.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ReportContent reportOfFlights(int flightCount) {
    ReportContent content;
    content.aircraftId = QStringLiteral("AC001");
    content.date = QDate(2026, 12, 7);
    ReportEngine engine;
    engine.engineType = QStringLiteral("TX-9");
    ReportDownload download;
    download.creationTime = 1714521600;
    download.flightCount = flightCount;
    download.files = {QStringLiteral("n4orig_01MAY2024_0000_copied_from_the_line_maintenance_"
                                     "laptop_before_the_engine_change_with_the_borescope_pictures_"
                                     "of_the_workshop.raw"),
                      QStringLiteral("n4ss_01MAY2024_0000.dat")};
    engine.downloads = {download};
    for (int index = 0; index < flightCount; ++index) {
        ReportFlight flight;
        flight.flightNumber = 100 + index;
        flight.creationTime = download.creationTime;
        flight.transient = index % 3 == 0 ? DataStatus::Suspect : DataStatus::Ok;
        engine.flights.append(flight);
    }
    engine.waterfall = PlotView();
    content.engines = {engine};
    return content;
}

} // namespace

TEST(ReportPages, NoHeadingEndsAPageAndNoWordLeavesTheMargins) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("report.pdf"));
    const QStringList headings = {kReportPartNumbersTitle, kReportDownloadsTitle,
                                  kReportFlightsTitle,     kReportSuspectTitle,
                                  kReportTrendTitle,       kReportWaterfallTitle};
    constexpr double kMargin = 15 / 25.4 * 72; // points
    constexpr double kTolerance = 0.5;
    // One A4 page holds about 50 rows: every place a page break can fall.
    for (int flightCount = 1; flightCount <= 70; ++flightCount) {
        SCOPED_TRACE(flightCount);
        QString error;
        ASSERT_TRUE(writeMaintenanceReport(reportOfFlights(flightCount), QPageSize(QPageSize::A4),
                                           path, &error))
            << qPrintable(error);
        const std::optional<QList<PdfPage>> pages = readPdfWords(path, &error);
        ASSERT_TRUE(pages) << qPrintable(error);
        for (int index = 0; index < pages->size(); ++index) {
            SCOPED_TRACE(index + 1);
            const PdfPage& page = (*pages)[index];
            for (const PdfWord& word : page.words)
                EXPECT_TRUE(word.xMin >= kMargin - kTolerance &&
                            word.xMax <= page.width - kMargin + kTolerance &&
                            word.yMin >= kMargin - kTolerance &&
                            word.yMax <= page.height - kMargin + kTolerance)
                    << qPrintable(word.text);
            const QList<PdfLine> lines = pdfLines(page);
            ASSERT_GE(lines.size(), 3);
            // The line above the page number.
            EXPECT_FALSE(headings.contains(lines[lines.size() - 2].text))
                << qPrintable(lines[lines.size() - 2].text);
            QStringList texts;
            for (const PdfLine& line : lines)
                texts.append(line.text);
            EXPECT_EQ(texts.contains(kReportTrendTitle), texts.contains(kReportWaterfallTitle));
        }
    }
}
