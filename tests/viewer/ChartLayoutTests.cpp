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

// Markers outside the plot area get nothing; close labels take rows of their own; a label
// that would cross the right edge goes left of its line.
TEST(MarkerLabels, KeepInsideThePlotAndOffEachOther) {
    const QSizeF label(100, 16);
    const QList<PlacedMarker> placed = placeMarkerLabels(
        {{99, label}, {300, label}, {310, label}, {880, label}, {901, label}}, kPlot, 30, 4);
    ASSERT_EQ(placed.size(), 5);
    EXPECT_FALSE(placed[0].shown);
    EXPECT_TRUE(placed[0].label.isEmpty());
    EXPECT_EQ(placed[1].label, QRectF(304, 80, 100, 16));
    EXPECT_EQ(placed[2].label, QRectF(314, 100, 100, 16)); // the next row down
    EXPECT_EQ(placed[3].label, QRectF(776, 80, 100, 16));  // left of its line
    EXPECT_FALSE(placed[4].shown);
    EXPECT_TRUE(placed[4].label.isEmpty());
}

// When the rows are full, a label is left out rather than drawn over another.
TEST(MarkerLabels, ALabelWithoutRoomIsLeftOut) {
    const QRectF shallow(0, 0, 400, 60);
    const QList<PlacedMarker> placed =
        placeMarkerLabels({{100, {80, 20}}, {110, {80, 20}}, {120, {80, 20}}}, shallow, 4, 4);
    EXPECT_FALSE(placed[0].label.isEmpty());
    EXPECT_FALSE(placed[1].label.isEmpty());
    EXPECT_TRUE(placed[2].shown);
    EXPECT_TRUE(placed[2].label.isEmpty());
}

} // namespace
