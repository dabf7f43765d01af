#pragma once

#include <QFont>

struct FontSetting;

// The three fonts of the windows, from the font settings: the normal font (nearly every
// control), the small font (the status bar) and the mid font (help panes).
struct DisplayFonts {
    QFont normal;
    QFont small;
    QFont mid;
};

QFont fontFromSetting(const FontSetting& setting);
DisplayFonts readDisplayFonts();
