#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// A user text of the program as its source defines it: a constant named k...Text, k...Title
// or k...Reason, with the value of its string literals.
struct SourceText {
    QString name;
    QString file;
    QString value;
};

// The user-text constants of one source file's content, literals joined and unescaped.
QList<SourceText> sourceTextsOf(const QString& content, const QString& file);

// The user-text constants of every .h and .cpp file under `folders` of `root`.
QList<SourceText> sourceTextsUnder(const QString& root, const QStringList& folders);

// Matches the text as a reader sees it printed: any run of white space for white space, a few
// words for each placeholder %1 to %9, everything else exactly.
QRegularExpression printedPattern(const QString& text);
