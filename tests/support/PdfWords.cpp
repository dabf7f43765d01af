#include "PdfWords.h"

#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

constexpr int kPdfToTextWaitMs = 60000;

double attribute(const QXmlStreamReader& reader, const char* name, bool* ok) {
    bool read = false;
    const double value = reader.attributes().value(QLatin1String(name)).toDouble(&read);
    *ok = *ok && read;
    return value;
}

} // namespace

std::optional<QList<PdfPage>> readPdfWords(const QString& path, QString* error) {
    auto fail = [error](const QString& reason) -> std::optional<QList<PdfPage>> {
        if (error != nullptr)
            *error = reason;
        return std::nullopt;
    };
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty())
        return fail(QStringLiteral("pdftotext is not installed (poppler-utils)"));
    QProcess process;
    process.start(program, {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!process.waitForFinished(kPdfToTextWaitMs)) {
        process.kill();
        process.waitForFinished();
        return fail(QStringLiteral("pdftotext did not end on %1").arg(path));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return fail(QStringLiteral("pdftotext failed on %1: %2")
                        .arg(path, QString::fromLocal8Bit(process.readAllStandardError())));

    QList<PdfPage> pages;
    QXmlStreamReader reader(process.readAllStandardOutput());
    bool ok = true;
    while (!reader.atEnd() && ok) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("page")) {
            PdfPage page;
            page.width = attribute(reader, "width", &ok);
            page.height = attribute(reader, "height", &ok);
            pages.append(page);
        } else if (reader.name() == QLatin1String("word")) {
            if (pages.isEmpty())
                return fail(QStringLiteral("a word outside a page in %1").arg(path));
            PdfWord word;
            word.xMin = attribute(reader, "xMin", &ok);
            word.yMin = attribute(reader, "yMin", &ok);
            word.xMax = attribute(reader, "xMax", &ok);
            word.yMax = attribute(reader, "yMax", &ok);
            word.text = reader.readElementText();
            pages.last().words.append(word);
        }
    }
    if (!ok)
        return fail(QStringLiteral("a page or word without its size in %1").arg(path));
    if (reader.hasError())
        return fail(QStringLiteral("pdftotext's answer on %1 does not read: %2")
                        .arg(path, reader.errorString()));
    return pages;
}

QList<PdfLine> pdfLines(const PdfPage& page) {
    QList<PdfWord> words = page.words;
    std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.yMin + a.yMax < b.yMin + b.yMax;
    });
    QList<PdfLine> lines;
    for (const PdfWord& word : std::as_const(words)) {
        const double middle = (word.yMin + word.yMax) / 2;
        auto line = std::find_if(lines.begin(), lines.end(), [&](const PdfLine& candidate) {
            return middle >= candidate.yMin && middle <= candidate.yMax;
        });
        if (line == lines.end()) {
            lines.append(PdfLine{{}, word.xMin, word.yMin, word.xMax, word.yMax, {}});
            line = lines.end() - 1;
        }
        line->words.append(word);
        line->xMin = std::min(line->xMin, word.xMin);
        line->yMin = std::min(line->yMin, word.yMin);
        line->xMax = std::max(line->xMax, word.xMax);
        line->yMax = std::max(line->yMax, word.yMax);
    }
    for (PdfLine& line : lines) {
        std::stable_sort(line.words.begin(), line.words.end(),
                         [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
        QStringList texts;
        for (const PdfWord& word : std::as_const(line.words))
            texts.append(word.text);
        line.text = texts.join(QLatin1Char(' '));
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const PdfLine& a, const PdfLine& b) { return a.yMin < b.yMin; });
    return lines;
}
