#include "ImportReport.h"

#include "AircraftMessages.h"
#include "EchoedText.h"

namespace {

// "1, 3 and 7".
QString lineList(const QList<int>& lines) {
    QStringList numbers;
    for (const int line : lines)
        numbers.append(QString::number(line));
    const QString last = numbers.takeLast();
    return numbers.join(kImportListSeparator) + kImportLastItemSeparator + last;
}

} // namespace

void ImportReport::imported(const QString& id, bool registeredBefore, int lineNumber) {
    QList<int>& lines = lines_[id];
    if (lines.isEmpty()) {
        ids_.append(id);
        if (registeredBefore)
            replaced_.append(id);
    }
    lines.append(lineNumber);
}

QString ImportReport::text() const {
    const qsizetype replacedCount = replaced_.size();
    QStringList sentences{kImportSummaryText.arg(QString::number(importedCount()),
                                                 QString::number(ids_.size() - replacedCount),
                                                 QString::number(replacedCount))};
    if (replacedCount > 0)
        sentences.append(kImportReplacedPrefix + echoedText(replaced_.join(kImportListSeparator)));
    for (const QString& id : ids_) {
        const QList<int> lines = lines_.value(id);
        if (lines.size() > 1)
            sentences.append(kImportDuplicateText.arg(id, echoedText(lineList(lines))));
    }
    return sentences.join(QLatin1Char('\n'));
}
