#include "SourceTexts.h"

#include <QDirIterator>
#include <QFile>

namespace {

// A placeholder stands for a name, a number or a path: at most this many characters.
constexpr int kPlaceholderWidth = 120;

QString unescaped(const QString& literal) {
    QString value;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] != QLatin1Char('\\') || i + 1 == literal.size()) {
            value += literal[i];
            continue;
        }
        const QChar next = literal[++i];
        if (next == QLatin1Char('n') || next == QLatin1Char('r') || next == QLatin1Char('t'))
            value += QLatin1Char(' ');
        else if (next == QLatin1Char('x'))
            i += 2; // "\x1b" and the like show as nothing printable
        else if (next == QLatin1Char('u') && i + 4 < literal.size()) {
            value += QChar(literal.mid(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
        } else
            value += next;
    }
    return value;
}

} // namespace

QList<SourceText> sourceTextsOf(const QString& content, const QString& file) {
    static const QRegularExpression definition(
        QStringLiteral("\\b(k[A-Z]\\w*(?:Text|Title|Reason))\\s*=\\s*(?:QStringLiteral|QString)\\s*"
                       "\\(((?:\\s*\"(?:[^\"\\\\]|\\\\.)*\")+)\\s*\\)"));
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    QList<SourceText> texts;
    for (const QRegularExpressionMatch& match : definition.globalMatch(content)) {
        QString value;
        for (const QRegularExpressionMatch& part : literal.globalMatch(match.captured(2)))
            value += unescaped(part.captured(1));
        texts.append({match.captured(1), file, value});
    }
    return texts;
}

QList<SourceText> sourceTextsUnder(const QString& root, const QStringList& folders) {
    QList<SourceText> texts;
    for (const QString& folder : folders) {
        QDirIterator files(root + QLatin1Char('/') + folder,
                           {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile source(files.next());
            if (source.open(QIODevice::ReadOnly))
                texts += sourceTextsOf(QString::fromUtf8(source.readAll()), source.fileName());
        }
    }
    return texts;
}

QRegularExpression printedPattern(const QString& text) {
    static const QRegularExpression pieces(QStringLiteral("(%[1-9])|(\\s+)"));
    const QString trimmed = text.trimmed();
    QString pattern;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : pieces.globalMatch(trimmed)) {
        pattern += QRegularExpression::escape(trimmed.mid(done, match.capturedStart() - done));
        pattern += match.capturedLength(1) > 0 ? QStringLiteral(".{0,%1}?").arg(kPlaceholderWidth)
                                               : QStringLiteral("\\s+");
        done = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(trimmed.mid(done));
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption);
}
