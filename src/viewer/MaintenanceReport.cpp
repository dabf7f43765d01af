#include "MaintenanceReport.h"

#include "ChartExport.h"
#include "FlightIndicators.h"
#include "FlightSelection.h"
#include "Trend.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QTextLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace {

// The PDF's coordinates have the screen's resolution, so that the charts' fonts keep the size
// they were laid out with on the screen; the PDF is vector graphics either way.
int screenResolution() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
}

constexpr double kChartHeightShare = 0.42;   // of the page's printable height, at most
constexpr double kSmallestChartShare = 0.25; // a chart made smaller to share a page

QString dateText(quint32 creationTime) {
    return trendDateText(creationTime);
}

QString flightNumberText(const ReportFlight& flight) {
    return QString::number(flight.flightNumber).rightJustified(4, u'0');
}

QString flightRow(const ReportFlight& flight) {
    return kReportFlightRowText.arg(
        flightNumberText(flight), dateText(flight.creationTime),
        memoryTypeHeader(flight.memoryType), QString::asprintf("%.4g", flight.a4rMaximum),
        dataStatusText(flight.steadyState), dataStatusText(flight.transient));
}

QString suspectRow(const ReportFlight& flight) {
    return kReportSuspectRowText.arg(flightNumberText(flight), dateText(flight.creationTime),
                                     memoryTypeHeader(flight.memoryType),
                                     suspectReason(flight.steadyState, flight.transient));
}

// "kurtosis: Warning, latest 4.2, warning 4, alarm 6, critical change 0.5".
QString indicatorHealthRow(const IndicatorHealth& health) {
    QString row = kReportIndicatorHealthText.arg(
        indicatorName(int(health.indicator)), healthStateWord(health.state),
        health.latest ? healthNumberText(*health.latest) : kReportNoReadingText,
        healthNumberText(health.limits.warning), healthNumberText(health.limits.alarm));
    if (health.limits.change)
        row += kReportCriticalChangeText.arg(healthNumberText(*health.limits.change));
    return row;
}

// One line of the report: a heading, a line of text or a chart.
struct Block {
    enum Kind { Title, Heading, Line, Chart, PageBreak } kind = Line;
    QString text;
    const PlotView* view = nullptr;
    const PlotSelection* selection = nullptr;
};

QList<Block> blocksOf(const ReportContent& content) {
    QList<Block> blocks;
    auto add = [&](Block::Kind kind, const QString& text) { blocks.append({kind, text}); };
    add(Block::Title, kReportTitle);
    add(Block::Heading, kReportAircraftText.arg(content.aircraftId));
    add(Block::Line, kReportDateText.arg(content.date.toString(Qt::ISODate)));
    add(Block::Line, content.since ? kReportPeriodText.arg(content.since->toString(Qt::ISODate))
                                   : kReportAllDownloadsText);
    for (const ReportEngine& engine : content.engines)
        add(Block::Line, kReportEngineText.arg(QString::number(engine.number), engine.engineType,
                                               engine.serialNumber, engine.installDate));
    add(Block::Heading, kReportPartNumbersTitle);
    if (content.partNumbers.isEmpty())
        add(Block::Line, kReportNoPartNumbersText);
    for (const QString& line : content.partNumbers)
        add(Block::Line, line);
    for (const ReportEngine& engine : content.engines) {
        add(Block::PageBreak, {});
        add(Block::Title, kReportEngineTitle.arg(engine.number));
        add(Block::Line, kReportEngineText.arg(QString::number(engine.number), engine.engineType,
                                               engine.serialNumber, engine.installDate));
        add(Block::Heading, kReportDownloadsTitle);
        if (engine.downloads.isEmpty())
            add(Block::Line, kReportNoDownloadsText);
        for (const ReportDownload& download : engine.downloads)
            add(Block::Line, kReportDownloadRowText.arg(dateText(download.creationTime),
                                                        QString::number(download.flightCount),
                                                        download.files.join(QStringLiteral(", "))));
        if (!engine.skippedNote.isEmpty())
            add(Block::Line, engine.skippedNote);
        add(Block::Heading, kReportFlightsTitle);
        for (const ReportFlight& flight : engine.flights)
            add(Block::Line, flightRow(flight));
        add(Block::Heading, kReportSuspectTitle);
        bool anySuspect = false;
        for (const ReportFlight& flight : engine.flights) {
            if (flight.suspect()) {
                add(Block::Line, suspectRow(flight));
                anySuspect = true;
            }
        }
        if (!anySuspect)
            add(Block::Line, kReportNoSuspectText);
        add(Block::Heading, kReportTrendTitle);
        blocks.append({Block::Chart, {}, &engine.trend, &engine.trendSelection});
        if (engine.waterfall) {
            add(Block::Heading, kReportWaterfallTitle);
            blocks.append({Block::Chart, {}, &*engine.waterfall, &engine.waterfallSelection});
        }
        // After the two charts that share a page, so that the indicators' pair shares the next.
        for (const ReportIndicatorTrend& trend : engine.indicatorTrends) {
            add(Block::Heading,
                kReportIndicatorTrendTitle.arg(indicatorName(int(trend.indicator))));
            blocks.append({Block::Chart, {}, &trend.view, &trend.selection});
        }
        add(Block::Heading, kReportHealthTitle);
        add(Block::Line, engineHealthVerdict(engine.number, engine.health));
        if (engine.health.state == HealthState::NoLimits)
            add(Block::Line, kReportNoLimitsText.arg(engine.engineType));
        if (engine.health.flightsToAlarm)
            add(Block::Line, kReportFlightsToAlarmText.arg(*engine.health.flightsToAlarm));
        for (const IndicatorHealth& indicator : engine.health.indicators)
            add(Block::Line, indicatorHealthRow(indicator));
        if (const std::optional<ReportIndicatorTrend>& trend = engine.drivingTrend) {
            add(Block::Heading, kReportDrivingTrendTitle.arg(indicatorName(int(trend->indicator))));
            blocks.append({Block::Chart, {}, &trend->view, &trend->selection});
        }
    }
    return blocks;
}

// One printed line of a block (its text wrapped to the page's width), a chart, or a page break.
struct Piece {
    const Block* block = nullptr;
    QString text;
    double indent = 0; // the lines after the first of a wrapped row stand in a little
    double gap = 0;    // space above it
    double height = 0;
    bool keepWithNext = false; // on the same page as the piece after it
};

struct PlacedPiece {
    const Piece* piece;
    QRectF rect;
};

constexpr int kRowsKeptWithHeading = 2; // a heading never stands alone at a page's foot
constexpr double kWrapIndentEms = 2;    // the indent of a wrapped row's later lines

// `text` broken into lines that fit `width`: at spaces where it can, inside a word longer than a
// line (a long file name) where it must. The lines after the first are `indent` narrower.
QStringList wrappedLines(const QString& text, const QFont& font, const QPaintDevice* device,
                         double width, double indent) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lines.isEmpty() ? width : width - indent);
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

// The page body's bounds, in the painter's coordinates.
struct PageBody {
    double top;
    double bottom;
    double width;
    double chartHeight;         // the full height of a chart
    double smallestChartHeight; // the least a chart is made to share a page
};

// The pieces laid out on pages. A run of pieces kept together starts a new page when it does
// not fit below; only a run taller than a whole page is split. The charts' heights are set.
QList<QList<PlacedPiece>> layOutPages(QList<Piece>& pieces, const PageBody& body) {
    // What must share a page: a run of pieces each kept with the next.
    struct Run {
        qsizetype first;
        qsizetype last;
    };
    QList<Run> runs;
    for (qsizetype first = 0; first < pieces.size();) {
        qsizetype last = first;
        while (pieces[last].keepWithNext && last + 1 < pieces.size() &&
               pieces[last + 1].block->kind != Block::PageBreak)
            ++last;
        runs.append(Run{first, last});
        first = last + 1;
    }
    auto heightOf = [&](const Run& run) {
        double height = 0;
        for (qsizetype index = run.first; index <= run.last; ++index)
            height += pieces[index].gap + pieces[index].height;
        return height;
    };
    auto endsWithChart = [&](const Run& run) {
        return pieces[run.last].block->kind == Block::Chart;
    };

    QList<QList<PlacedPiece>> pages(1);
    double y = body.top;
    auto startPage = [&] {
        pages.append(QList<PlacedPiece>());
        y = body.top;
    };
    qsizetype fittedUntil = -1; // the last run of charts already given their height
    for (qsizetype runIndex = 0; runIndex < runs.size(); ++runIndex) {
        const Run& run = runs[runIndex];
        if (pieces[run.first].block->kind == Block::PageBreak) {
            startPage();
            continue;
        }
        if (endsWithChart(run) && runIndex > fittedUntil && !pages.last().isEmpty()) {
            // An engine's charts share a page: below its tables, made smaller to fit while
            // they stay readable, or at full height on the next page.
            qsizetype end = runIndex;
            while (end + 1 < runs.size() && endsWithChart(runs[end + 1]))
                ++end;
            fittedUntil = end;
            double headings = 0;
            for (qsizetype index = runIndex; index <= end; ++index)
                headings += heightOf(runs[index]) - pieces[runs[index].last].height;
            const int charts = int(end - runIndex + 1);
            const double fitted =
                std::min(body.chartHeight, std::floor((body.bottom - y - headings) / charts));
            if (fitted >= body.smallestChartHeight) {
                for (qsizetype index = runIndex; index <= end; ++index)
                    pieces[runs[index].last].height = fitted;
            } else {
                startPage();
            }
        }
        const double needed = heightOf(run);
        if (y + needed > body.bottom && !pages.last().isEmpty() && needed <= body.bottom - body.top)
            startPage();
        for (qsizetype index = run.first; index <= run.last; ++index) {
            const Piece& piece = pieces[index];
            if (y + piece.gap + piece.height > body.bottom && !pages.last().isEmpty())
                startPage();
            y += piece.gap;
            pages.last().append(PlacedPiece{
                &piece, QRectF(piece.indent, y, body.width - piece.indent, piece.height)});
            y += piece.height;
        }
    }
    return pages;
}

} // namespace

QPageSize reportPageSize(const QLocale& locale) {
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ||
                             locale.territory() == QLocale::Canada
                         ? QPageSize::Letter
                         : QPageSize::A4);
}

QString reportText(const ReportContent& content) {
    QString text;
    for (const Block& block : blocksOf(content))
        if (block.kind != Block::Chart && block.kind != Block::PageBreak)
            text += block.text + QLatin1Char('\n');
    return text;
}

bool writeMaintenanceReport(const ReportContent& content, const QPageSize& pageSize,
                            const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error != nullptr)
            *error = kReportWriteFailedReason.arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    // Drawn in memory first: the painter does not tell when a write falls short.
    QBuffer drawn;
    drawn.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&drawn);
        writer.setResolution(screenResolution());
        writer.setPageSize(pageSize);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(kReportHeaderText.arg(content.aircraftId));
        QCPPainter painter;
        if (!painter.begin(&writer))
            return fail(kDrawingNotStartedReason);
        const QRectF page(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
        QFont lineFont = painter.font();
        lineFont.setPointSizeF(9);
        // No ligatures: the text must come out of the PDF as it went in, for searching.
        lineFont.setStyleStrategy(QFont::PreferNoShaping);
        QFont headingFont = lineFont;
        headingFont.setPointSizeF(12);
        headingFont.setBold(true);
        QFont titleFont = headingFont;
        titleFont.setPointSizeF(18);
        auto fontOf = [&](Block::Kind kind) {
            return kind == Block::Title     ? titleFont
                   : kind == Block::Heading ? headingFont
                                            : lineFont;
        };
        // Each kind's line height and the baseline within it, measured once.
        struct Metrics {
            double height;
            double baseline;
        };
        auto metricsOf = [&](const QFont& font) {
            const QFontMetricsF metrics(font, &writer);
            return Metrics{metrics.height() * 1.25, metrics.height() * 0.125 + metrics.ascent()};
        };
        const Metrics lineMetrics = metricsOf(lineFont);
        const Metrics headingMetrics = metricsOf(headingFont);
        const Metrics titleMetrics = metricsOf(titleFont);
        auto metricsFor = [&](Block::Kind kind) {
            return kind == Block::Title     ? titleMetrics
                   : kind == Block::Heading ? headingMetrics
                                            : lineMetrics;
        };
        const double lineHeight = lineMetrics.height;
        const double top = 2.5 * lineHeight;                  // below the header line
        const double bottom = page.height() - 2 * lineHeight; // above the page number
        const double gap = 0.6 * lineHeight;                  // above a heading or a chart
        // Two charts with their headings fill a page's body at most, so that an engine's trend
        // and waterfall share a page whatever the paper and the faces.
        const double chartHeight =
            std::floor(std::min(page.height() * kChartHeightShare,
                                (bottom - top) / 2 - 2 * gap - headingMetrics.height));
        const double wrapIndent =
            kWrapIndentEms * QFontMetricsF(lineFont, &writer).averageCharWidth();

        // The blocks as printed lines: each text wrapped to the page, a heading kept with the
        // first rows below it or with its chart, a wrapped row kept whole.
        const QList<Block> blocks = blocksOf(content);
        QList<Piece> pieces;
        int rowsToKeep = 0;
        for (qsizetype i = 0; i < blocks.size(); ++i) {
            const Block& block = blocks[i];
            const bool nextIsLine = i + 1 < blocks.size() && blocks[i + 1].kind == Block::Line;
            if (block.kind == Block::PageBreak || block.kind == Block::Chart) {
                Piece piece;
                piece.block = &block;
                if (block.kind == Block::Chart) {
                    piece.gap = gap;
                    piece.height = chartHeight;
                }
                pieces.append(piece);
                rowsToKeep = 0;
                continue;
            }
            const bool isLine = block.kind == Block::Line;
            const QStringList lines = wrappedLines(block.text, fontOf(block.kind), &writer,
                                                   page.width(), isLine ? wrapIndent : 0);
            for (qsizetype line = 0; line < lines.size(); ++line)
                pieces.append(Piece{&block, lines[line], line > 0 && isLine ? wrapIndent : 0,
                                    line == 0 && !isLine ? gap : 0, metricsFor(block.kind).height,
                                    true});
            if (!isLine) {
                rowsToKeep = kRowsKeptWithHeading;
                continue;
            }
            rowsToKeep = std::max(rowsToKeep - 1, 0);
            pieces.last().keepWithNext = rowsToKeep > 0 && nextIsLine;
        }

        // Pages first, so that each footer can name the page count.
        const QList<QList<PlacedPiece>> pages =
            layOutPages(pieces, PageBody{top, bottom, page.width(), chartHeight,
                                         page.height() * kSmallestChartShare});
        for (int index = 0; index < pages.size(); ++index) {
            if (index > 0 && !writer.newPage())
                return fail(kDrawingNotStartedReason);
            painter.setFont(lineFont);
            painter.setPen(Qt::darkGray);
            painter.drawText(QRectF(0, 0, page.width(), lineHeight), Qt::AlignLeft,
                             kReportHeaderText.arg(content.aircraftId));
            painter.drawLine(QPointF(0, 1.2 * lineHeight), QPointF(page.width(), 1.2 * lineHeight));
            painter.drawText(QRectF(0, page.height() - lineHeight, page.width(), lineHeight),
                             Qt::AlignRight, kReportPageText.arg(index + 1).arg(pages.size()));
            painter.setPen(Qt::black);
            for (const PlacedPiece& placed : std::as_const(pages[index])) {
                const Block& block = *placed.piece->block;
                if (block.kind == Block::Chart) {
                    drawChart(painter, placed.rect, *block.view, *block.selection);
                    continue;
                }
                // Drawn at its baseline: no layout of a rectangle per line.
                const QFont& font = fontOf(block.kind);
                if (painter.font() != font)
                    painter.setFont(font);
                painter.drawText(QPointF(placed.rect.left(),
                                         placed.rect.top() + metricsFor(block.kind).baseline),
                                 placed.piece->text);
            }
        }
        if (!painter.end())
            return fail(kDrawingNotStartedReason);
    }
    if (const std::optional<QString> problem = saveOutputFile(path, drawn.data()))
        return fail(*problem);
    return true;
}
