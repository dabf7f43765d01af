#include "GuideDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <memory>
#include <optional>
#include <utility>

namespace {

// Pixels at the foot of a page where nothing of the text starts.
constexpr qreal kPageEdgeTolerance = 2;
// Pictures never run wider than this (pixels), so that they keep a margin of white.
constexpr qreal kMaxPictureWidth = 600;
// More passes than any contents needs: a pass only changes page numbers.
constexpr int kMaxLayoutPasses = 4;
// More passes than the guide needs to move its headings and split its paragraphs at the
// page breaks: a pass mends one break.
constexpr int kMaxPaginationPasses = 200;
const QString kBodyFont = QStringLiteral("Liberation Sans");
const QString kPageNumberText = QStringLiteral("Page %1 of %2");

const QRegularExpression& pictureElement() {
    static const QRegularExpression element(QStringLiteral("<img\\s+src=\"form:([^\"]+)\""));
    return element;
}

// Every picture gets its size in the source, scaled down to the page when it is wider.
QString withPictureSizes(const QString& html, const QMap<QString, QImage>& pictures) {
    QString sized;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : pictureElement().globalMatch(html)) {
        sized += html.mid(done, match.capturedEnd() - done);
        done = match.capturedEnd();
        const QImage picture = pictures.value(match.captured(1));
        if (picture.isNull())
            continue;
        const QSizeF natural = picture.deviceIndependentSize();
        const QSizeF shown = natural.width() > kMaxPictureWidth
                                 ? natural * (kMaxPictureWidth / natural.width())
                                 : natural;
        sized += QStringLiteral(" width=\"%1\" height=\"%2\"")
                     .arg(qRound(shown.width()))
                     .arg(qRound(shown.height()));
    }
    return sized + html.mid(done);
}

struct Layout {
    std::unique_ptr<QTextDocument> document;
    QList<ContentsEntry> headings;
};

// Where the lines of a block lie in the laid-out document, in pixels from its top. A block in
// a table cell is placed through the frames that hold it.
QPointF layoutOrigin(const QTextDocument& document, const QTextBlock& block) {
    const QRectF placed = document.documentLayout()->blockBoundingRect(block);
    return placed.topLeft() - block.layout()->boundingRect().topLeft();
}

// The page (from 0) that shows a line: the one that holds its middle, as the layout may place
// a line that it moved to the next page a pixel or two above that page's top.
int pageOf(const QTextLine& line, qreal origin, qreal pageHeight) {
    return static_cast<int>((origin + line.y() + line.height() / 2) / pageHeight);
}

// The pages (from 0) of a block's first and last lines; nullopt for a block with no line.
std::optional<std::pair<int, int>> blockPages(const QTextDocument& document,
                                              const QTextBlock& block, qreal pageHeight) {
    const QTextLayout* lines = block.layout();
    if (lines == nullptr || lines->lineCount() == 0)
        return std::nullopt;
    const qreal origin = layoutOrigin(document, block).y();
    return std::pair{pageOf(lines->lineAt(0), origin, pageHeight),
                     pageOf(lines->lineAt(lines->lineCount() - 1), origin, pageHeight)};
}

// A heading, or a picture, which its caption follows.
bool keptWithNext(const QTextBlock& block) {
    if (block.blockFormat().headingLevel() > 0)
        return true;
    return block.length() == 2 && block.begin() != block.end() &&
           block.begin().fragment().charFormat().isImageFormat();
}

bool startsPage(const QTextBlock& block) {
    return block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
}

// A heading or picture whose next block starts on a later page.
bool standsAloneAtPageFoot(const QTextDocument& document, const QTextBlock& block,
                           qreal pageHeight) {
    const QTextBlock next = block.next();
    if (!next.isValid() || !keptWithNext(block) || startsPage(block))
        return false;
    const auto here = blockPages(document, block, pageHeight);
    const auto there = blockPages(document, next, pageHeight);
    return here && there && there->first > here->second;
}

// The position of the first line of `block` that starts a later page than the line before
// it; nullopt when all its lines are on one page.
std::optional<int> pageBreakInside(const QTextDocument& document, const QTextBlock& block,
                                   qreal pageHeight) {
    const QTextLayout* lines = block.layout();
    if (lines == nullptr)
        return std::nullopt;
    const qreal origin = layoutOrigin(document, block).y();
    for (int line = 1; line < lines->lineCount(); ++line) {
        const QTextLine current = lines->lineAt(line);
        if (pageOf(current, origin, pageHeight) !=
            pageOf(lines->lineAt(line - 1), origin, pageHeight))
            return block.position() + current.textStart();
    }
    return std::nullopt;
}

// Splits the block at `position`; the part that follows starts its page without a bullet
// or a top margin of its own.
void splitBlock(QTextDocument& document, int position) {
    QTextCursor cursor(&document);
    cursor.setPosition(position);
    // A line of code ends at a line separator, which would give the first part an empty last
    // line.
    if (document.characterAt(position - 1) == QChar::LineSeparator)
        cursor.deletePreviousChar();
    QTextBlockFormat format = cursor.blockFormat();
    format.setTopMargin(0);
    cursor.insertBlock(format);
    if (QTextList* list = cursor.currentList())
        list->remove(cursor.block());
}

// Mends the first page break that needs it, in the order of the text, and says whether
// there was one; what follows it moves, so the document is laid out again before the next.
// - A heading or picture alone at a page's foot starts the next page instead.
// - The layout draws every line of each block that touches a page, so a paragraph that goes
//   on over a page break would be drawn on both pages, its overflow hidden under the clip but
//   still found by a search. Such a block is split in two at the first line of the later
//   page.
bool mendFirstPageBreak(QTextDocument& document, qreal pageHeight) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (standsAloneAtPageFoot(document, block, pageHeight)) {
            // A heading over the picture goes with it.
            QTextBlock first = block;
            while (first.previous().isValid() && keptWithNext(first.previous()) &&
                   !startsPage(first) &&
                   blockPages(document, first.previous(), pageHeight) ==
                       blockPages(document, first, pageHeight))
                first = first.previous();
            QTextBlockFormat format;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(first).mergeBlockFormat(format);
            return true;
        }
        if (const std::optional<int> position = pageBreakInside(document, block, pageHeight)) {
            splitBlock(document, *position);
            return true;
        }
    }
    return false;
}

Layout layOut(const QString& html, const QMap<QString, QImage>& pictures, QPdfWriter& writer,
              const QSizeF& pageSize) {
    Layout layout{std::make_unique<QTextDocument>(), {}};
    QTextDocument& document = *layout.document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setDocumentMargin(0);
    document.setDefaultFont(QFont(kBodyFont, 10));
    document.setHtml(html);
    for (auto picture = pictures.cbegin(); picture != pictures.cend(); ++picture)
        document.addResource(QTextDocument::ImageResource,
                             QUrl(QStringLiteral("form:") + picture.key()), picture.value());
    // Code wraps at the margin rather than running past it.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().nonBreakableLines()) {
            QTextBlockFormat format;
            format.setNonBreakableLines(false);
            QTextCursor(block).mergeBlockFormat(format);
        }
    }
    document.setPageSize(pageSize);
    // Each change moves what follows it: lay out again until nothing more changes.
    for (int pass = 0; pass < kMaxPaginationPasses; ++pass) {
        document.pageCount();
        if (!mendFirstPageBreak(document, pageSize.height()))
            break;
    }
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != 1 && level != 2)
            continue;
        const QString text = block.text().simplified();
        const qsizetype space = text.indexOf(QLatin1Char(' '));
        const auto pages = blockPages(document, block, pageSize.height());
        layout.headings.append(
            {level, text.left(space), text.mid(space + 1), pages ? pages->first + 1 : 0});
    }
    return layout;
}

void drawFooter(QPainter& painter, const QRectF& area, const QString& title, int page, int pages) {
    painter.save();
    painter.setPen(QPen(QColor(0xcf, 0xd6, 0xdd), 0.8));
    painter.drawLine(area.topLeft(), area.topRight());
    QFont font(kBodyFont, 8);
    painter.setFont(font);
    painter.setPen(QColor(0x52, 0x60, 0x6d));
    const QRectF text = area.adjusted(0, 6, 0, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, title);
    painter.drawText(text, Qt::AlignRight | Qt::AlignTop, kPageNumberText.arg(page).arg(pages));
    painter.restore();
}

} // namespace

QString numberHeadings(const QString& html) {
    static const QRegularExpression heading(QStringLiteral("<h([12])(\\s[^>]*)?>"));
    QString numbered;
    qsizetype done = 0;
    int chapter = 0;
    int section = 0;
    for (const QRegularExpressionMatch& match : heading.globalMatch(html)) {
        numbered += html.mid(done, match.capturedEnd() - done);
        done = match.capturedEnd();
        if (match.captured(1) == QLatin1String("1")) {
            ++chapter;
            section = 0;
            numbered += QStringLiteral("%1&nbsp;&nbsp;").arg(chapter);
        } else {
            numbered += QStringLiteral("%1.%2&nbsp;&nbsp;").arg(chapter).arg(++section);
        }
    }
    return numbered + html.mid(done);
}

QString contentsHtml(const QList<ContentsEntry>& entries) {
    QString rows;
    for (const ContentsEntry& entry : entries) {
        const bool chapter = entry.level == 1;
        rows += QStringLiteral("<tr><td width=\"44\" class=\"%1\">%2</td><td class=\"%1\">%3</td>"
                               "<td align=\"right\" class=\"%1\">%4</td></tr>\n")
                    .arg(chapter ? QStringLiteral("contents-chapter")
                                 : QStringLiteral("contents-section"),
                         entry.number, entry.title.toHtmlEscaped(), QString::number(entry.page));
    }
    return QStringLiteral("<table class=\"contents\" width=\"100%\" cellspacing=\"0\" "
                          "cellpadding=\"1\">\n%1</table>")
        .arg(rows);
}

bool stampCreationDate(QByteArray& pdf, const QDateTime& stamp) {
    // The writer's own form, "/CreationDate (D:YYYYMMDDhhmmssZ)": the same length either way,
    // so the file's table of object offsets stays right.
    static const QRegularExpression written(QStringLiteral("/CreationDate \\(D:\\d{14}Z\\)"));
    const QString text = QString::fromLatin1(pdf);
    const QRegularExpressionMatch match = written.match(text);
    if (!match.hasMatch())
        return false;
    const QByteArray fixed =
        "/CreationDate (D:" + stamp.toUTC().toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1() +
        "Z)";
    pdf.replace(match.capturedStart(), match.capturedLength(), fixed);
    return true;
}

QStringList pictureReferences(const QString& html) {
    QStringList references;
    for (const QRegularExpressionMatch& match : pictureElement().globalMatch(html))
        if (!references.contains(match.captured(1)))
            references.append(match.captured(1));
    return references;
}

GuideDocument::GuideDocument(const QString& html, const QMap<QString, QImage>& pictures)
    : html_(withPictureSizes(numberHeadings(html), pictures)), pictures_(pictures) {}

bool GuideDocument::writePdf(const QString& path, const QString& footerTitle) {
    const qsizetype marker = html_.indexOf(kContentsMarker);
    if (marker < 0) {
        errorText_ =
            QStringLiteral("The guide has no place for its contents (%1)").arg(kContentsMarker);
        return false;
    }
    QPdfWriter writer(path);
    writer.setResolution(kGuideResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(kGuidePageMargins, QPageLayout::Millimeter);
    writer.setTitle(footerTitle);
    writer.setCreator(QStringLiteral("brix-guide"));
    const QRectF paintRect = writer.pageLayout().paintRectPixels(kGuideResolution);
    const QSizeF pageSize(paintRect.width(), paintRect.height() - kGuideFooterHeight);

    // The contents take room themselves: lay out again until their page numbers hold.
    const auto withContents = [&](const QList<ContentsEntry>& entries) {
        QString html = html_;
        return html.replace(marker, kContentsMarker.size(), contentsHtml(entries));
    };
    Layout layout = layOut(withContents({}), pictures_, writer, pageSize);
    for (int pass = 0; pass < kMaxLayoutPasses; ++pass) {
        Layout next = layOut(withContents(layout.headings), pictures_, writer, pageSize);
        const bool settled = next.headings == layout.headings;
        layout = std::move(next);
        if (settled)
            break;
    }
    contents_ = layout.headings;

    QPainter painter;
    if (!painter.begin(&writer)) {
        errorText_ = QStringLiteral("%1 cannot be written").arg(path);
        return false;
    }
    QTextDocument& document = *layout.document;
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page * pageSize.height());
        QAbstractTextDocumentLayout::PaintContext context;
        const QRectF area(QPointF(0, page * pageSize.height()), pageSize);
        // The layout draws whole blocks: a block that starts on the next page must not show
        // in this page's footer, not even the first pixel row of a picture that the layout
        // rounds onto this page's last row; nor may a block that ends where this page starts
        // be drawn again above it.
        context.clip = area.adjusted(0, kPageEdgeTolerance, 0, -kPageEdgeTolerance);
        painter.setClipRect(area.adjusted(0, 0, 0, -kPageEdgeTolerance));
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        if (page > 0)
            drawFooter(painter,
                       QRectF(0, pageSize.height() + 8, pageSize.width(), kGuideFooterHeight - 8),
                       footerTitle, page + 1, pages);
    }
    if (!painter.end()) {
        errorText_ = QStringLiteral("%1 cannot be written").arg(path);
        return false;
    }
    return true;
}
