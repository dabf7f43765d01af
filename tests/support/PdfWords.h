#pragma once

#include <QList>
#include <QString>

#include <optional>

// A PDF read back as poppler's `pdftotext -bbox` sees it: per page its size and its words,
// each with its box. Coordinates are in points, from the page's top left corner, so a word is
// inside a margin of m points when xMin >= m, yMin >= m, xMax <= width - m and
// yMax <= height - m.

struct PdfWord {
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

// The words of one printed line, left to right, and the box around them all.
struct PdfLine {
    QString text; // the words joined by single spaces
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    QList<PdfWord> words;
};

struct PdfPage {
    double width = 0;
    double height = 0;
    QList<PdfWord> words; // in poppler's reading order
};

// Runs pdftotext on `path` and reads its answer. Nothing, with the reason in `error`, when
// pdftotext is missing, fails or does not end within a minute, or its answer does not read.
std::optional<QList<PdfPage>> readPdfWords(const QString& path, QString* error = nullptr);

// The page's words gathered into lines, top to bottom: a word joins the line whose vertical
// middle lies within its height.
QList<PdfLine> pdfLines(const PdfPage& page);
