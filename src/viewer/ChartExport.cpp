#include "ChartExport.h"

#include "PlotWindow.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

#include <qcustomplot.h>

#include <algorithm>

namespace {

constexpr int kMinimumSide = 16;
constexpr int kMaximumSide = 10000;
// The PDF page is measured in points; the chart is laid out in pixels of 96 per inch.
constexpr int kLayoutResolution = 96;
constexpr double kPointsPerPixel = 72.0 / kLayoutResolution;

void useVectorModes(QCPPainter& painter) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setMode(QCPPainter::pmNonCosmetic);
}

std::optional<QString> writePng(QCustomPlot& chart, QIODevice& file, QSize size,
                                double pixelRatio) {
    const QPixmap image = chart.toPixmap(size.width(), size.height(), pixelRatio);
    if (image.isNull() || !image.save(&file, "PNG"))
        return kImageNotEncodedReason;
    return std::nullopt;
}

std::optional<QString> writeSvg(QCustomPlot& chart, QIODevice& file, QSize size) {
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(kLayoutResolution);
    QCPPainter painter;
    if (!painter.begin(&generator))
        return kDrawingNotStartedReason;
    useVectorModes(painter);
    chart.toPainter(&painter, size.width(), size.height());
    painter.end();
    return std::nullopt;
}

std::optional<QString> writePdf(QCustomPlot& chart, QIODevice& file, QSize size) {
    QPdfWriter writer(&file);
    writer.setResolution(kLayoutResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(size) * kPointsPerPixel, QPageSize::Point,
                                               QString(), QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF()));
    QCPPainter painter;
    if (!painter.begin(&writer))
        return kDrawingNotStartedReason;
    useVectorModes(painter);
    chart.toPainter(&painter, size.width(), size.height());
    painter.end();
    return std::nullopt;
}

// The viewer's chart of the view, laid out at `size` without being shown.
void loadOffscreen(PlotWindow& window, const PlotView& view, const PlotSelection& selection,
                   QSize size) {
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.resize(size);
    window.loadView(view, selection);
}

} // namespace

std::optional<ChartFormat> chartFormatFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ChartFormat::Png;
    if (suffix == QLatin1String("svg"))
        return ChartFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return ChartFormat::Pdf;
    return std::nullopt;
}

QString chartExtension(ChartFormat format) {
    switch (format) {
    case ChartFormat::Png:
        return QStringLiteral(".png");
    case ChartFormat::Svg:
        return QStringLiteral(".svg");
    case ChartFormat::Pdf:
        return QStringLiteral(".pdf");
    }
    return {};
}

std::optional<QSize> parseChartSize(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,5})\\s*[xX]\\s*(\\d{1,5})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    const auto inRange = [](int side) { return side >= kMinimumSide && side <= kMaximumSide; };
    if (!inRange(width) || !inRange(height))
        return std::nullopt;
    return QSize(width, height);
}

std::optional<QString> outputTargetProblem(const QString& path) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return kNotRegularFileReason;
    return std::nullopt;
}

std::optional<QString> saveOutputFile(const QString& path, const QByteArray& bytes) {
    if (const std::optional<QString> problem = outputTargetProblem(path))
        return problem;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A write that falls short (a full disk) is tried again for the rest, which then fails
    // with the reason.
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        written += count;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> writeChart(PlotWindow& window, const QString& path, QSize size,
                                  double pixelRatio) {
    const std::optional<ChartFormat> format = chartFormatFor(path);
    if (!format)
        return kUnknownFormatReason;
    // Drawn in memory first: the painters do not tell when a write falls short.
    QBuffer drawn;
    drawn.open(QIODevice::WriteOnly);
    std::optional<QString> failure;
    window.drawWithoutReadout([&](QCustomPlot& chart) {
        switch (*format) {
        case ChartFormat::Png:
            failure = writePng(chart, drawn, size, pixelRatio);
            break;
        case ChartFormat::Svg:
            failure = writeSvg(chart, drawn, size);
            break;
        case ChartFormat::Pdf:
            failure = writePdf(chart, drawn, size);
            break;
        }
    });
    if (failure)
        return failure;
    return saveOutputFile(path, drawn.data());
}

std::optional<QString> renderChart(const PlotView& view, const PlotSelection& selection,
                                   const QString& path, QSize size) {
    PlotWindow window;
    loadOffscreen(window, view, selection, size);
    return writeChart(window, path, size);
}

void drawChart(QCPPainter& painter, const QRectF& area, const PlotView& view,
               const PlotSelection& selection) {
    const QSize size(std::max(1, qRound(area.width())), std::max(1, qRound(area.height())));
    PlotWindow window;
    loadOffscreen(window, view, selection, size);
    painter.save();
    painter.translate(area.topLeft());
    window.chart()->toPainter(&painter, size.width(), size.height());
    painter.restore();
}
