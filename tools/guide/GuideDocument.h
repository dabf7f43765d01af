#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMap>
#include <QMarginsF>
#include <QString>

// One line of the contents: a numbered heading and the page it starts on (1 is the title page).
struct ContentsEntry {
    int level = 1;
    QString number;
    QString title;
    int page = 0;

    bool operator==(const ContentsEntry&) const = default;
};

// The page: A4 with these margins (millimetres). The text stops kGuideFooterHeight pixels (at
// kGuideResolution) above the bottom margin; the footer sits in that band.
inline const QMarginsF kGuidePageMargins(22, 20, 22, 14);
inline constexpr int kGuideResolution = 96;
inline constexpr qreal kGuideFooterHeight = 34;

// Where the generated contents go in the guide's source.
inline const QString kContentsMarker = QStringLiteral("<!-- contents -->");

// The guide's source with its chapters (h1) and sections (h2) numbered "1", "1.1", ...
QString numberHeadings(const QString& html);

// The contents as an HTML table, one row per entry.
QString contentsHtml(const QList<ContentsEntry>& entries);

// The picture references of the source: the names after "form:" in the img elements' src.
QStringList pictureReferences(const QString& html);

// Gives the PDF's creation date the time `stamp` in place of the time it was written, so that
// the same sources make the same file. False when `pdf` carries no creation date.
bool stampCreationDate(QByteArray& pdf, const QDateTime& stamp);

// Lays the guide out on A4 pages and writes it as a PDF: a title page, the contents with page
// numbers in place of kContentsMarker, every picture of `pictures` at its reference, and a
// footer with `footerTitle` and the page number on every page after the title page.
class GuideDocument {
public:
    GuideDocument(const QString& html, const QMap<QString, QImage>& pictures);

    // False with errorText() when the source has no contents marker or the file cannot be
    // written.
    bool writePdf(const QString& path, const QString& footerTitle);
    QString errorText() const { return errorText_; }

    // The contents as written by the last writePdf().
    QList<ContentsEntry> contents() const { return contents_; }

private:
    QString html_;
    QMap<QString, QImage> pictures_;
    QList<ContentsEntry> contents_;
    QString errorText_;
};
