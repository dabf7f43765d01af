#pragma once

#include <QString>

// A message that repeats a setting, a file line or a list taken from a file shows at most
// this many characters of it, so that a hostile or damaged value cannot flood a message box
// or a terminal.
inline constexpr int kEchoedTextLength = 200;
// Marks an echoed text that was cut.
inline const QString kEchoCutMark = QStringLiteral("...");

// The text as a message repeats it: unchanged up to kEchoedTextLength characters, otherwise
// its first kEchoedTextLength characters followed by kEchoCutMark.
QString echoedText(const QString& text);
