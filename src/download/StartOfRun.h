#pragma once

#include <QString>

// What the program and brix-cli do before any download or conversion: a write beyond the
// file-size limit (ulimit -f) then fails and is reported as data not saved instead of
// killing the process without a word, and the files that killed runs left behind in `home`
// and below `dataDirectory` are removed. Returns how many such files were removed.
int prepareForDataWork(const QString& home, const QString& dataDirectory);
