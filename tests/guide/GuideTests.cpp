// The user guide as the build renders it: a PDF that opens on its title page, lists its
// chapters with the pages they start on, numbers its pages, shows every picture of its source
// and documents every text that the program and brix-cli can show.
#include "FormPictures.h"
#include "GuideDocument.h"
#include "PdfWords.h"
#include "SourceTexts.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

const QString kSourceDir = QStringLiteral(BRIX_SOURCE_DIR);
const QString kGuidePdf = QStringLiteral(BRIX_GUIDE_PDF);
const QString kGuideSource = QStringLiteral(BRIX_GUIDE_SOURCE);

// Constants that are not messages: brix-cli's help screens (k...UsageText), which its chapter
// sums up, and the layout that puts a message above such a help (kUsageErrorText).
bool isUsageText(const QString& name) {
    return name.contains(QStringLiteral("Usage"));
}

// The output of one of the PDF tools on the guide; a missing tool fails the test.
QString runPdfTool(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString()
                      << " did not run: " << process.errorString().toStdString()
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of the pages `first` to `last` (0: to the end), as read in order or as laid out.
QString pageText(int first, int last = 0, bool layout = false) {
    QStringList arguments = {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"),
                             QString::number(first)};
    if (last > 0)
        arguments << QStringLiteral("-l") << QString::number(last);
    if (layout)
        arguments << QStringLiteral("-layout");
    return runPdfTool(QStringLiteral("pdftotext"), arguments << kGuidePdf << QStringLiteral("-"));
}

int pageCount() {
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                          QRegularExpression::MultilineOption);
    return pages.match(runPdfTool(QStringLiteral("pdfinfo"), {kGuidePdf})).captured(1).toInt();
}

// The text on one line: a word broken after its hyphen at a line end ("613-045-" "HHh") is
// joined again; a free-standing dash keeps its blanks.
QString joinedAtHyphens(const QString& text) {
    static const QRegularExpression brokenAfterHyphen(QStringLiteral("(\\S-)\\s+"));
    return QString(text).replace(brokenAfterHyphen, QStringLiteral("\\1")).simplified();
}

QString guideSource() {
    QFile source(kGuideSource);
    return source.open(QIODevice::ReadOnly) ? QString::fromUtf8(source.readAll()) : QString();
}

// The chapter titles of the source, in order, as plain text.
QStringList chapterTitles() {
    static const QRegularExpression chapter(QStringLiteral("<h1>(.*?)</h1>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList titles;
    for (const QRegularExpressionMatch& match : chapter.globalMatch(guideSource()))
        titles.append(QString(match.captured(1)).remove(tag).simplified());
    return titles;
}

TEST(GuideFile, IsAnA4PdfThatOpensOnItsTitlePage) {
    QFile pdf(kGuidePdf);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << kGuidePdf.toStdString();
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(
        runPdfTool(QStringLiteral("pdfinfo"), {kGuidePdf}).contains(QStringLiteral("(A4)")));
    const QString title = pageText(1, 1).simplified();
    EXPECT_TRUE(title.contains(QStringLiteral("DOC-814 Rev 1"))) << title.toStdString();
    EXPECT_TRUE(title.contains(QStringLiteral("brix User Guide"))) << title.toStdString();
    EXPECT_FALSE(title.contains(QStringLiteral("Page 1 of"))) << "the title page carries no footer";
}

TEST(GuideFile, IsDatedByTheLastCommitOfItsSources) {
    const QString epoch =
        runPdfTool(QStringLiteral("git"), {QStringLiteral("-C"), kSourceDir, QStringLiteral("log"),
                                           QStringLiteral("-1"), QStringLiteral("--format=%ct")})
            .trimmed();
    ASSERT_FALSE(epoch.isEmpty()) << "the sources are not a git checkout";
    const QString stamp = QDateTime::fromSecsSinceEpoch(epoch.toLongLong(), QTimeZone::utc())
                              .toString(QStringLiteral("yyyyMMddhhmmss"));
    QFile pdf(kGuidePdf);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << kGuidePdf.toStdString();
    EXPECT_TRUE(pdf.readAll().contains("/CreationDate (D:" + stamp.toLatin1() + "Z)"))
        << "expected the date of the last commit, " << stamp.toStdString();
}

TEST(GuideFile, ContentsListEveryChapterWithThePageItStartsOn) {
    const QStringList titles = chapterTitles();
    ASSERT_GE(titles.size(), 10);
    const QString contents = pageText(2, 3, true);
    ASSERT_TRUE(contents.contains(QStringLiteral("Contents")));
    for (int chapter = 1; chapter <= titles.size(); ++chapter) {
        const QString title = titles[chapter - 1];
        const QRegularExpression line(QStringLiteral("^\\s*%1\\s+%2\\s+(\\d+)\\s*$")
                                          .arg(chapter)
                                          .arg(QRegularExpression::escape(title)),
                                      QRegularExpression::MultilineOption);
        const QRegularExpressionMatch entry = line.match(contents);
        ASSERT_TRUE(entry.hasMatch()) << "no contents line for " << title.toStdString();
        const int page = entry.captured(1).toInt();
        const QString firstLine = pageText(page, page).simplified();
        EXPECT_TRUE(firstLine.startsWith(QStringLiteral("%1 %2").arg(chapter).arg(title)))
            << title.toStdString() << " is not at the top of page " << page;
    }
}

TEST(GuideFile, NumbersEveryPageAfterTheTitlePage) {
    const int pages = pageCount();
    ASSERT_GT(pages, 10);
    for (int page = 2; page <= pages; ++page)
        EXPECT_TRUE(
            pageText(page, page).contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)))
            << "page " << page;
}

TEST(GuideFile, ShowsEveryPictureOfItsSource) {
    const QStringList pictures = pictureReferences(guideSource());
    ASSERT_GE(pictures.size(), 8);
    for (const QString& reference : pictures)
        EXPECT_TRUE(parseFormReference(reference).has_value()) << reference.toStdString();
    // "page num type width height ..." after two header lines, one line per image drawn.
    const QStringList lines =
        runPdfTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), kGuidePdf})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .mid(2);
    EXPECT_GE(lines.size(), pictures.size());
    for (const QString& line : lines) {
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        ASSERT_GT(columns.size(), 4) << line.toStdString();
        EXPECT_GE(columns[3].toInt(), 300)
            << "a picture narrower than a dialog: " << line.toStdString();
        EXPECT_GE(columns[4].toInt(), 100) << line.toStdString();
    }
}

TEST(GuideFile, DocumentsEveryUserTextOfTheProgram) {
    const QList<SourceText> texts =
        sourceTextsUnder(kSourceDir, {QStringLiteral("src"), QStringLiteral("tools")});
    ASSERT_GT(texts.size(), 150) << "the source scan found too few texts";
    // Read in order and as laid out: a table's cells may come apart in one of them. A
    // paragraph that goes on over a page break is read without the footer between its parts.
    static const QRegularExpression footer(
        QStringLiteral("DOC-814 Rev 1\\s+\u2014\\s+brix User Guide\\s+Page \\d+ of \\d+"));
    const QString inOrder = joinedAtHyphens(pageText(1).remove(footer));
    const QString laidOut = joinedAtHyphens(pageText(1, 0, true).remove(footer));
    QStringList missing;
    for (const SourceText& text : texts) {
        // The footer is the guide's own, on every page, and taken out of the text above.
        if (isUsageText(text.name) || text.name == QStringLiteral("kFooterTitle"))
            continue;
        const QRegularExpression printed = printedPattern(text.value);
        if (!printed.match(inOrder).hasMatch() && !printed.match(laidOut).hasMatch())
            missing.append(QStringLiteral("%1 (%2): \"%3\"").arg(text.name, text.file, text.value));
    }
    EXPECT_TRUE(missing.isEmpty()) << "not in the guide:\n"
                                   << missing.join(QLatin1Char('\n')).toStdString();
}

// The guide's pages as poppler reads them, read once for the checks of the printed pages.
const QList<PdfPage>& guidePages() {
    static const QList<PdfPage> pages = [] {
        QString error;
        const std::optional<QList<PdfPage>> read = readPdfWords(kGuidePdf, &error);
        EXPECT_TRUE(read.has_value()) << error.toStdString();
        return read.value_or(QList<PdfPage>());
    }();
    return pages;
}

constexpr double kPointsPerMillimetre = 72 / 25.4;
// Half a point: poppler's boxes and the layout's rounding.
constexpr double kBoxTolerance = 0.5;

// Where the text of a page may go, and the band below it that holds the footer (points).
struct PageAreas {
    QRectF inside;
    double bodyBottom = 0;
};

PageAreas pageAreas(const PdfPage& page) {
    const QMarginsF margins = kGuidePageMargins * kPointsPerMillimetre;
    const QRectF inside = QRectF(0, 0, page.width, page.height).marginsRemoved(margins);
    return {inside, inside.bottom() - kGuideFooterHeight * 72 / kGuideResolution};
}

// The lines of a page's text above the footer.
QList<PdfLine> bodyLines(const PdfPage& page) {
    const double bottom = pageAreas(page).bodyBottom + kBoxTolerance;
    QList<PdfLine> lines = pdfLines(page);
    lines.removeIf([bottom](const PdfLine& line) { return line.yMax > bottom; });
    return lines;
}

// "15.4 Download" and the page of its contents line, from the contents pages: those between
// the title page and the page of the first chapter.
QList<std::pair<QString, int>> contentsEntries() {
    static const QRegularExpression entry(QStringLiteral("^(\\d+(?:\\.\\d+)? .+) (\\d+)$"));
    QList<std::pair<QString, int>> entries;
    const QList<PdfPage>& pages = guidePages();
    for (qsizetype number = 2; number <= pages.size(); ++number) {
        if (!entries.isEmpty() && number >= entries.first().second)
            break;
        for (const PdfLine& line : bodyLines(pages[number - 1])) {
            const QRegularExpressionMatch match = entry.match(line.text);
            if (match.hasMatch())
                entries.append({match.captured(1), match.captured(2).toInt()});
        }
    }
    return entries;
}

// The numbered headings of the source and its unnumbered ones (h3), as printed.
QStringList sourceHeadings(const char* level) {
    const QRegularExpression heading(QStringLiteral("<h%1>(.*?)</h%1>").arg(QLatin1String(level)),
                                     QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList headings;
    for (const QRegularExpressionMatch& match : heading.globalMatch(guideSource()))
        headings.append(QString(match.captured(1))
                            .remove(tag)
                            .replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                            .simplified());
    return headings;
}

TEST(GuidePages, EveryWordLiesInsideThePageMarginsAndOnlyTheFooterBelowTheText) {
    const QList<PdfPage>& pages = guidePages();
    ASSERT_GT(pages.size(), 10);
    for (qsizetype number = 1; number <= pages.size(); ++number) {
        const PdfPage& page = pages[number - 1];
        const PageAreas areas = pageAreas(page);
        const QRectF allowed =
            areas.inside.adjusted(-kBoxTolerance, -kBoxTolerance, kBoxTolerance, kBoxTolerance);
        for (const PdfWord& word : page.words)
            EXPECT_TRUE(allowed.contains(
                QRectF(QPointF(word.xMin, word.yMin), QPointF(word.xMax, word.yMax))))
                << "page " << number << ": \"" << word.text.toStdString() << "\" at " << word.xMin
                << "," << word.yMin << " - " << word.xMax << "," << word.yMax;
        QStringList belowText;
        for (const PdfLine& line : pdfLines(page))
            if (line.yMax > areas.bodyBottom + kBoxTolerance)
                belowText.append(line.text);
        const QString footer =
            number == 1 ? QString()
                        : QStringLiteral("DOC-814 Rev 1 \u2014 brix User Guide Page %1 of %2")
                              .arg(number)
                              .arg(pages.size());
        EXPECT_EQ(belowText.join(QStringLiteral(" | ")).toStdString(), footer.toStdString())
            << "page " << number;
    }
}

TEST(GuidePages, EveryContentsEntryStartsOnItsPageAndNowhereElse) {
    const QList<std::pair<QString, int>> entries = contentsEntries();
    ASSERT_EQ(entries.size(), sourceHeadings("1").size() + sourceHeadings("2").size());
    const QList<PdfPage>& pages = guidePages();
    for (const auto& [heading, page] : entries) {
        QList<int> printedOn;
        for (qsizetype number = 4; number <= pages.size(); ++number)
            for (const PdfLine& line : pdfLines(pages[number - 1]))
                if (line.text == heading)
                    printedOn.append(int(number));
        EXPECT_EQ(printedOn, QList<int>{page}) << heading.toStdString();
    }
}

TEST(GuidePages, NoHeadingEndsAPageAndNoTextIsRepeatedAcrossAPageBreak) {
    QStringList headings = sourceHeadings("3");
    for (const auto& entry : contentsEntries())
        headings.append(entry.first);
    ASSERT_GT(headings.size(), 60);
    // A line seen at the foot of one page and again at the head of the next is a paragraph
    // drawn on both; a few words ("Yes No") may well come twice.
    constexpr int kLinesCompared = 4;
    constexpr int kWordsOfAParagraphLine = 4;
    const QList<PdfPage>& pages = guidePages();
    for (qsizetype number = 2; number < pages.size(); ++number) {
        const QList<PdfLine> foot = bodyLines(pages[number - 1]);
        const QList<PdfLine> head = bodyLines(pages[number]);
        if (foot.isEmpty() || head.isEmpty())
            continue;
        EXPECT_FALSE(headings.contains(foot.last().text))
            << "page " << number << " ends on the heading \"" << foot.last().text.toStdString()
            << "\"";
        for (const PdfLine& footLine : foot.mid(foot.size() - kLinesCompared))
            for (const PdfLine& headLine : head.mid(0, kLinesCompared))
                EXPECT_FALSE(footLine.words.size() >= kWordsOfAParagraphLine &&
                             footLine.text == headLine.text)
                    << "pages " << number << " and " << number + 1 << " both show \""
                    << footLine.text.toStdString() << "\"";
    }
}

namespace {

QString sourceFile(const QString& path) {
    QFile file(kSourceDir + QLatin1Char('/') + path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A menu of the main window's form: its title and its items' texts, in order, without the
// mnemonic marks.
struct FormMenu {
    QString title;
    QStringList items;
};

QString withoutMnemonic(QString text) {
    return text.replace(QStringLiteral("&amp;&amp;"), QStringLiteral("&"))
        .remove(QStringLiteral("&amp;"));
}

QList<FormMenu> mainWindowMenus() {
    const QString form = sourceFile(QStringLiteral("resources/zelk/forms/KORAWindow.ui"));
    static const QRegularExpression menu(
        QStringLiteral("<widget class=\"QMenu\" name=\"\\w+\">\\s*<property name=\"title\">\\s*"
                       "<string>([^<]*)</string>\\s*</property>((?:\\s*<addaction [^>]*/>)*)"));
    static const QRegularExpression item(QStringLiteral("<addaction name=\"(\\w+)\"/>"));
    QList<FormMenu> menus;
    for (const QRegularExpressionMatch& found : menu.globalMatch(form)) {
        FormMenu entry{withoutMnemonic(found.captured(1)), {}};
        for (const QRegularExpressionMatch& action : item.globalMatch(found.captured(2))) {
            const QRegularExpression text(
                QStringLiteral("<action name=\"%1\">\\s*<property name=\"text\">\\s*"
                               "<string>([^<]*)</string>")
                    .arg(action.captured(1)));
            const QRegularExpressionMatch label = text.match(form);
            if (label.hasMatch())
                entry.items.append(withoutMnemonic(label.captured(1)));
        }
        menus.append(entry);
    }
    return menus;
}

// Whether `text` names every one of `items`, in their order.
bool namesInOrder(const QString& text, const QStringList& items) {
    qsizetype from = 0;
    for (const QString& item : items) {
        from = text.indexOf(item, from);
        if (from < 0)
            return false;
        from += item.size();
    }
    return true;
}

} // namespace

TEST(GuideSource, MenuTableAndHelpPageListTheMenuItemsOfTheMainWindow) {
    const QList<FormMenu> menus = mainWindowMenus();
    ASSERT_EQ(menus.size(), 4) << "the form's menus were not found";
    const QString guide = guideSource();
    const QString help = sourceFile(QStringLiteral("resources/help/pages/HelpKORA.html"));
    for (const FormMenu& menu : menus) {
        ASSERT_FALSE(menu.items.isEmpty()) << menu.title.toStdString();
        const QRegularExpression row(
            QStringLiteral("<tr><td>%1</td><td>(.*?)</td></tr>").arg(menu.title));
        EXPECT_TRUE(namesInOrder(row.match(guide).captured(1), menu.items))
            << "guide, menu " << menu.title.toStdString() << ": "
            << menu.items.join(QStringLiteral("; ")).toStdString();
    }
    // The help page names the items of the File and Help menus one by one.
    for (const FormMenu& menu : menus) {
        if (menu.title != QStringLiteral("File") && menu.title != QStringLiteral("Help"))
            continue;
        const QRegularExpression entry(QStringLiteral("<li><b>%1</b> - (.*?)</li>").arg(menu.title),
                                       QRegularExpression::DotMatchesEverythingOption);
        QString named = entry.match(help).captured(1);
        EXPECT_TRUE(namesInOrder(named.simplified(), menu.items))
            << "help page, menu " << menu.title.toStdString();
    }
}

TEST(SourceTexts, ReadsConstantsAsTheProgramSeesThem) {
    const QString source =
        QStringLiteral("inline const QString kOneText = QStringLiteral(\"Aircraft \\\"%1\\\" \"\n"
                       "    \"not found\\n\\nRetry\");\n"
                       "const QString kSomeTitle = QStringLiteral(\"Upload \\u2014 Error\");\n"
                       "const QString kWhyReason = QString(\"it holds \\\"..\\\"\");\n"
                       "inline const QString kDataDirKey = QStringLiteral(\"DataDir\");\n");
    const QList<SourceText> texts = sourceTextsOf(source, QStringLiteral("x.h"));
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0].name, QStringLiteral("kOneText"));
    EXPECT_EQ(texts[0].value, QStringLiteral("Aircraft \"%1\" not found  Retry"));
    EXPECT_EQ(texts[1].value, QStringLiteral("Upload \u2014 Error"));
    EXPECT_EQ(texts[2].value, QStringLiteral("it holds \"..\""));
}

TEST(SourceTexts, PlaceholdersStandForWordsAndTheRestMustBeExact) {
    const QRegularExpression pattern =
        printedPattern(QStringLiteral("Aircraft ID \"%1\" not  found."));
    EXPECT_TRUE(
        pattern.match(QStringLiteral("Error Aircraft ID \"F-GZLK\" not found.")).hasMatch());
    EXPECT_TRUE(pattern.match(QStringLiteral("Aircraft ID \"ID\"\nnot found.")).hasMatch());
    EXPECT_FALSE(pattern.match(QStringLiteral("Aircraft ID \"F-GZLK\" not found")).hasMatch());
    EXPECT_FALSE(pattern.match(QStringLiteral("Aircraft ID F-GZLK not found.")).hasMatch());
    EXPECT_FALSE(printedPattern(QStringLiteral("Line %1: no aircraft ID"))
                     .match(QStringLiteral("Line 3 no aircraft ID"))
                     .hasMatch());
}

TEST(GuideSource, TheCreationDateIsStampedInPlace) {
    QByteArray pdf("%PDF-1.4\n<<\n/Producer (x)\n/CreationDate (D:20261207154707Z)\n>>\n");
    const qsizetype size = pdf.size();
    ASSERT_TRUE(
        stampCreationDate(pdf, QDateTime(QDate(2024, 3, 12), QTime(9, 30), QTimeZone::utc())));
    EXPECT_TRUE(pdf.contains("/CreationDate (D:20240312093000Z)\n>>")) << pdf.toStdString();
    EXPECT_EQ(pdf.size(), size) << "the offsets of the objects behind it would be wrong";
    QByteArray undated("%PDF-1.4\n<<\n/Producer (x)\n>>\n");
    EXPECT_FALSE(stampCreationDate(undated, QDateTime::fromSecsSinceEpoch(0, QTimeZone::utc())));
}

TEST(GuideSource, PictureReferencesAreListedOnceAndMustNameAForm) {
    EXPECT_EQ(pictureReferences(
                  QStringLiteral("<img src=\"form:MenuWindow\"><img src=\"x.png\">"
                                 "<img src=\"form:Utilities#2\"><img src=\"form:MenuWindow\">")),
              (QStringList{QStringLiteral("MenuWindow"), QStringLiteral("Utilities#2")}));
    const auto page = parseFormReference(QStringLiteral("Utilities#2"));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->form, QStringLiteral("Utilities"));
    EXPECT_EQ(page->page, 2);
    EXPECT_EQ(parseFormReference(QStringLiteral("MenuWindow"))->page, 0);
    for (const char* malformed : {"", "Menu Window", "Utilities#", "../forms/KORAWindow", "A#12"})
        EXPECT_FALSE(parseFormReference(QString::fromLatin1(malformed)).has_value()) << malformed;
}

} // namespace
