#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class Notifier;

struct PlotSelection;
struct PlotView;

// The numbers behind the chart as text: the tabulation window's lines and the file it saves,
// and the waterfall's comma-separated export. Built from a PlotView without a window, so the
// window, brix-cli and the tests share one formatting.

struct TabulationRow {
    int point = 0; // the point's index in the series
    QString text;
};

struct Tabulation {
    QString tag;     // "Selected Flight: %1" with the series name
    QString header1; // header line 1 + "  " + header line 2
    QString header2; // footer line 1 + "  " + footer line 2 (footer line 2 is always empty)
    QString header3; // "Parameter: %1" with the Y-axis title
    QList<TabulationRow> rows; // exactly the points with xMin <= X <= xMax, in point order
    // Lines listed below the rows (the shaft-order table, the trend's alert list and its
    // skipped-files note); the owner of the view adds them.
    QStringList notes;

    // The row that shows `point`, or -1 (the read-out selects it). A zoomed tabulation does
    // not start at point 0, so the row is looked up rather than taken as the point's index.
    int rowOfPoint(int point) const;
};

inline const QString kTabulationTagFormat = QStringLiteral("Selected Flight: %1");
inline const QString kTabulationParameterFormat = QStringLiteral("Parameter: %1");
inline const QString kWaterfallCsvFlightFormat = QStringLiteral("Flight Number: %1");

// Rows: spectrum (Fft) "%5d  %8.2f (Hz)  %8.3f (G)" (i, X, Y), "(dB)" in place of "(G)" in
// a view converted to dB; all others "%s  %8.4g  %8.5g"
// (X-axis title, X, Y). The headers take the view's texts as they stand: an aircraft ID that
// holds "%1" is shown as typed. A series index outside the view gives the headers and no rows.
Tabulation buildTabulation(const PlotView& view, const PlotSelection& selection, int seriesIndex,
                           double xMin, double xMax);

// What the tabulation window saves: tag, header1, header2, header3 each + "\n", one more
// "\n", then every row + "\n"; then, when there are notes, one more "\n" and every note
// line + "\n".
QString tabulationFileText(const Tabulation& tabulation);

// The waterfall's export: "Flight Number: %d\n", the non-empty header and footer lines each
// + "\n", then per point in [xMin, xMax]: X "%.5g", per trace ",%.5g" of the value without
// the trace offset (in dB for a view converted to dB), "\n". Hidden traces are written too.
QString waterfallCsvText(const PlotView& view, qint32 flightNumber, double xMin, double xMax);

// `name` with `extension` (".txt", ".csv") appended unless it already ends in it; letter case
// counts, so "A.TXT" becomes "A.TXT.txt".
QString withExtension(const QString& name, const QString& extension);

// Writes `text` (UTF-8) to `path` through a temporary name in the same folder and a rename,
// so a failure leaves no partial file and an existing file intact. False on any failure.
bool saveTextFile(const QString& path, const QString& text);

// Saves `text` as the file the user chose, as the tabulation and the waterfall export do:
// `extension` added as withExtension() adds it, the overwrite question ("Save To File", No
// the default) when that file exists, then saveTextFile(); a failure is told as "Couldn't
// save tabulation data". A declined overwrite writes nothing.
void saveChosenTextFile(const QString& chosen, const QString& extension, const QString& text,
                        Notifier& notifier);

inline const QString kTabulationExtension = QStringLiteral(".txt");
inline const QString kWaterfallCsvExtension = QStringLiteral(".csv");
inline const QString kSaveToFileTitle = QStringLiteral("Save To File");
inline const QString kOverwriteQuestionText =
    QStringLiteral("File already exists. Do you want to overwrite it?");
inline const QString kSaveFailedText = QStringLiteral("Couldn't save tabulation data");
