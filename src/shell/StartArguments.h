#pragma once

#include <QString>
#include <QStringList>

class Notifier;

inline constexpr int kDefaultStartLevel = 2;
// The password field of the start arguments holds at most this many characters.
inline constexpr int kMaxStartPasswordLength = 16;

// %1 = the longest password accepted. The password itself is never shown.
inline const QString kStartPasswordTooLongText =
    QStringLiteral("The password given with \"-p\" is longer than %1 characters and is ignored.");

// The four positional start arguments: "-x<left> -y<top> -l<level> -p<password>".
struct StartArguments {
    bool present = false; // at least one argument was given
    int x = 0;
    int y = 0;
    int level = kDefaultStartLevel;
    QString password;
    bool passwordGiven = false;   // position 4 matched "-p" followed by a text
    bool passwordRefused = false; // it did, but the text was too long
};

// Reads the arguments (without the program name) by position, each as its form would be
// scanned by "-x%d", "-y%d", "-l%d" and "-p%s": the prefix must match exactly; a number
// may follow blanks and a sign, and anything after its digits is ignored; the password is
// the text up to the first blank. A position that is missing or does not match its form,
// or a number out of the int range, leaves the default. Arguments after the fourth are
// ignored. A password longer than kMaxStartPasswordLength is reported and treated as
// not given.
StartArguments scanStartArguments(const QStringList& arguments, Notifier& notifier);
