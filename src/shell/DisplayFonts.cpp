#include "DisplayFonts.h"

#include "ApplicationSettings.h"

QFont fontFromSetting(const FontSetting& setting) {
    QFont font(setting.family);
    if (setting.pointSize > 0)
        font.setPointSize(setting.pointSize);
    font.setWeight(setting.weight == 1 ? QFont::Bold : QFont::Normal);
    font.setItalic(setting.slant == 1);
    return font;
}

DisplayFonts readDisplayFonts() {
    const auto read = [](FontKind kind) {
        FontSetting setting;
        readFontSetting(kind, setting);
        return fontFromSetting(setting);
    };
    return {read(NormalFont), read(SmallFont), read(MidFont)};
}
