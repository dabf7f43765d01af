#pragma once

#include "PlotSeries.h"

#include <QSize>
#include <QString>

#include <optional>

class PlotWindow;
class QCPPainter;
class QRectF;

inline const QString kExportChartTitle = QStringLiteral("Export Chart");
inline const QString kExportChartFilter =
    QStringLiteral("PNG Image (*.png);;SVG Image (*.svg);;PDF Document (*.pdf)");
// %1 = the file's path, %2 = the reason.
inline const QString kExportFailedText = QStringLiteral("Couldn't export the chart to %1: %2");
inline const QString kUnknownFormatReason =
    QStringLiteral("the file name must end in .png, .svg or .pdf");
inline const QString kImageNotEncodedReason = QStringLiteral("the image could not be encoded");
inline const QString kDrawingNotStartedReason = QStringLiteral("the file could not be drawn into");
inline const QString kNotRegularFileReason =
    QStringLiteral("it exists and is not a regular file, so it is not replaced");
// %1 = what was typed.
inline const QString kBadChartSizeText =
    QStringLiteral("The size \"%1\" is not WIDTHxHEIGHT with each from 16 to 10000 pixels");

enum class ChartFormat { Png, Svg, Pdf };

// The format named by the file's extension (any letter case), or nothing.
std::optional<ChartFormat> chartFormatFor(const QString& path);
// The extension of each format with its dot: ".png", ".svg", ".pdf".
QString chartExtension(ChartFormat format);

// "WxH" (or "WXH"), each side 16..10000 pixels.
std::optional<QSize> parseChartSize(const QString& text);

// Why `path` must not be written: it names something that is not a regular file (a folder,
// a FIFO, a device node), which writing would replace. Nothing when it is a regular file or
// nothing yet.
std::optional<QString> outputTargetProblem(const QString& path);

// Puts `bytes` at `path` through a temporary file renamed once every byte is written, so a
// full disk or a refused write leaves no file and an existing file intact. Refuses what
// outputTargetProblem() names. Returns the reason of a failure, or nothing.
std::optional<QString> saveOutputFile(const QString& path, const QByteArray& bytes);

// Writes the chart of `window` as it is shown — header, footer, legend, grids and markers,
// without the read-out and its cursors — laid out at `size` (device-independent pixels), to
// `path` in the format of its extension. A PNG has `pixelRatio` image pixels per layout pixel;
// SVG and PDF are drawn as vectors on one page of that size. The file is written under a
// temporary name and renamed when complete, so a failure leaves no partial file and an
// existing file intact. Returns the reason of a failure, or nothing.
std::optional<QString> writeChart(PlotWindow& window, const QString& path, QSize size,
                                  double pixelRatio = 1);

// The chart that the viewer shows for `view`, drawn offscreen (no window is shown) at `size`
// and written as writeChart() writes it. Needs a QApplication.
std::optional<QString> renderChart(const PlotView& view, const PlotSelection& selection,
                                   const QString& path, QSize size);

// Draws the chart that the viewer shows for `view`, laid out at the area's size in the
// painter's units, into `area` of the painter: a report draws its charts so, beside its text.
void drawChart(QCPPainter& painter, const QRectF& area, const PlotView& view,
               const PlotSelection& selection);
