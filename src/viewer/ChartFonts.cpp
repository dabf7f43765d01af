#include "ChartFonts.h"

namespace {

const QString kChartFontFamily = QStringLiteral("Times");
constexpr int kChartTextPoints = 10;
constexpr int kChartLegendPoints = 9;
const QString kReadoutFontFamily = QStringLiteral("Courier New");
constexpr int kReadoutPixels = 12;

QFont chartFont(int points) {
    QFont font(kChartFontFamily, points);
    font.setStyleHint(QFont::Serif);
    return font;
}

} // namespace

QFont chartTextFont() {
    return chartFont(kChartTextPoints);
}

QFont chartLegendFont() {
    return chartFont(kChartLegendPoints);
}

QFont readoutFont() {
    QFont font(kReadoutFontFamily);
    font.setPixelSize(kReadoutPixels);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}
