#pragma once

#include <QString>

// The most characters of a setting or a file line that a message repeats.
inline constexpr int kMessageEchoLimit = 200;

// `text` as a message repeats it: whole up to kMessageEchoLimit characters, else its first
// kMessageEchoLimit characters followed by "...", so that a value of any size makes a
// message of a readable size.
QString cutForMessage(const QString& text);
