#include "Tabulation.h"

#include "Notifier.h"
#include "PlotSeries.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

const QString kTwoColumns = QStringLiteral("%1  %2");

QString rowText(const PlotView& view, const PlotSelection& selection, int point, double x,
                double y) {
    if (isRecordSpectrum(selection.parameterType))
        return view.decibels ? QString::asprintf("%5d  %8.2f (Hz)  %8.3f (dB)", point, x, y)
                             : QString::asprintf("%5d  %8.2f (Hz)  %8.3f (G)", point, x, y);
    // The title is put in front rather than formatted, so that no text of ours is ever read
    // as a format.
    return view.xAxisTitle + QString::asprintf("  %8.4g  %8.5g", x, y);
}

bool inRange(double x, double xMin, double xMax) {
    return xMin <= x && x <= xMax;
}

} // namespace

int Tabulation::rowOfPoint(int point) const {
    const auto row = std::lower_bound(
        rows.cbegin(), rows.cend(), point,
        [](const TabulationRow& candidate, int wanted) { return candidate.point < wanted; });
    if (row == rows.cend() || row->point != point)
        return -1;
    return int(row - rows.cbegin());
}

Tabulation buildTabulation(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                           double xMin, double xMax) {
    Tabulation tabulation;
    // Each line is built with one arg call: the header holds the register's aircraft ID,
    // and a second pass would read a "%1" in it as a place to fill.
    tabulation.header1 = kTwoColumns.arg(view.headerLine1, view.headerLine2);
    tabulation.header2 = kTwoColumns.arg(view.footer, QString());
    tabulation.header3 = kTabulationParameterFormat.arg(view.yAxisTitle);
    if (seriesIndex < 0 || seriesIndex >= view.series.size()) {
        tabulation.tag = kTabulationTagFormat.arg(QString());
        return tabulation;
    }
    const PlotSeries& series = view.series[seriesIndex];
    tabulation.tag = kTabulationTagFormat.arg(series.name);
    const qsizetype points = std::min(series.x.size(), series.y.size());
    for (qsizetype point = 0; point < points; ++point) {
        const double x = series.x[point];
        if (inRange(x, xMin, xMax))
            tabulation.rows.append(
                {int(point), rowText(view, selection, int(point), x, series.y[point])});
    }
    return tabulation;
}

QString tabulationFileText(const Tabulation& tabulation) {
    QString text;
    for (const QString* line :
         {&tabulation.tag, &tabulation.header1, &tabulation.header2, &tabulation.header3})
        text += *line + QLatin1Char('\n');
    text += QLatin1Char('\n');
    for (const TabulationRow& row : tabulation.rows)
        text += row.text + QLatin1Char('\n');
    if (!tabulation.notes.isEmpty())
        text += QLatin1Char('\n');
    for (const QString& note : tabulation.notes)
        text += note + QLatin1Char('\n');
    return text;
}

QString waterfallCsvText(const PlotView& view, qint32 flightNumber, double xMin, double xMax) {
    QString text = kWaterfallCsvFlightFormat.arg(flightNumber) + QLatin1Char('\n');
    // The viewer's footer line 2 is always empty, so it never has a line of its own.
    for (const QString* line : {&view.headerLine1, &view.headerLine2, &view.footer}) {
        if (!line->isEmpty())
            text += *line + QLatin1Char('\n');
    }
    if (view.series.isEmpty())
        return text;
    QList<QList<double>> amplitudes;
    for (int trace = 0; trace < view.series.size(); ++trace)
        amplitudes.append(withoutWaterfallOffset(view, view.series[trace].y, trace));
    // Every trace of a view has the same X values.
    const QList<double>& x = view.series.first().x;
    for (qsizetype point = 0; point < x.size(); ++point) {
        if (!inRange(x[point], xMin, xMax))
            continue;
        text += QString::asprintf("%.5g", x[point]);
        for (const QList<double>& trace : amplitudes)
            text += QString::asprintf(",%.5g", point < trace.size() ? trace[point] : 0.0);
        text += QLatin1Char('\n');
    }
    return text;
}

QString withExtension(const QString& name, const QString& extension) {
    return name.endsWith(extension, Qt::CaseSensitive) ? name : name + extension;
}

bool saveTextFile(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void saveChosenTextFile(const QString& chosen, const QString& extension, const QString& text,
                        Notifier& notifier) {
    const QString path = withExtension(chosen, extension);
    if (QFileInfo::exists(path) &&
        !notifier.question(kSaveToFileTitle, kOverwriteQuestionText, Notifier::DefaultAnswer::No))
        return;
    if (!saveTextFile(path, text))
        notifier.critical(kSaveToFileTitle, kSaveFailedText);
}
