// Where the chart puts its read-out box and its marker labels.
#include "ChartLayout.h"

#include <gtest/gtest.h>

namespace {

const QRectF kPlot(100, 50, 800, 400); // right edge 900, bottom edge 450
const QSizeF kBox(300, 20);
constexpr double kMargin = 5;

struct CornerCase {
    const char* name;
    QPointF point;
    ReadoutCorner corner;
};

class ReadoutPlacement : public ::testing::TestWithParam<CornerCase> {};

// The box goes to the corner away from the point, and never covers it.
TEST_P(ReadoutPlacement, TakesTheCornerAwayFromThePoint) {
    const CornerCase& c = GetParam();
    const ReadoutCorner corner = readoutCorner(kPlot, kBox, c.point, kMargin);
    EXPECT_EQ(corner, c.corner);
    const QRectF box = readoutBoxRect(kPlot, kBox, corner, kMargin);
    EXPECT_FALSE(box.contains(c.point));
    EXPECT_TRUE(kPlot.contains(box));
}

INSTANTIATE_TEST_SUITE_P(
    Points, ReadoutPlacement,
    ::testing::Values(CornerCase{"TopLeft", {110, 60}, ReadoutCorner::BottomRight},
                      CornerCase{"TopRight", {890, 60}, ReadoutCorner::BottomLeft},
                      CornerCase{"BottomLeft", {110, 440}, ReadoutCorner::TopRight},
                      CornerCase{"BottomRight", {890, 440}, ReadoutCorner::TopLeft},
                      // Under the top left box's place: that box would cover it.
                      CornerCase{"UnderTheTopLeftBox", {300, 65}, ReadoutCorner::BottomRight}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadoutPlacement, TheBoxSitsTheMarginInFromItsCorner) {
    EXPECT_EQ(readoutBoxRect(kPlot, kBox, ReadoutCorner::TopLeft, kMargin),
              QRectF(105, 55, 300, 20));
    EXPECT_EQ(readoutBoxRect(kPlot, kBox, ReadoutCorner::BottomRight, kMargin),
              QRectF(595, 425, 300, 20));
}

} // namespace
