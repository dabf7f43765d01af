#include "ChartLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The distance from `point` to the nearest point of `rect`; 0 inside it.
double distance(const QRectF& rect, const QPointF& point) {
    const double dx = std::max({rect.left() - point.x(), 0.0, point.x() - rect.right()});
    const double dy = std::max({rect.top() - point.y(), 0.0, point.y() - rect.bottom()});
    return std::hypot(dx, dy);
}

} // namespace

QRectF readoutBoxRect(const QRectF& plot, const QSizeF& box, ReadoutCorner corner, double margin) {
    const bool right = corner == ReadoutCorner::TopRight || corner == ReadoutCorner::BottomRight;
    const bool bottom = corner == ReadoutCorner::BottomLeft || corner == ReadoutCorner::BottomRight;
    const double left = right ? plot.right() - margin - box.width() : plot.left() + margin;
    const double top = bottom ? plot.bottom() - margin - box.height() : plot.top() + margin;
    return QRectF(QPointF(left, top), box);
}

ReadoutCorner readoutCorner(const QRectF& plot, const QSizeF& box, const QPointF& point,
                            double margin) {
    constexpr std::array<ReadoutCorner, 4> kCorners = {
        ReadoutCorner::TopLeft, ReadoutCorner::TopRight, ReadoutCorner::BottomLeft,
        ReadoutCorner::BottomRight};
    ReadoutCorner best = kCorners.front();
    double bestDistance = -1;
    for (ReadoutCorner corner : kCorners) {
        const double d = distance(readoutBoxRect(plot, box, corner, margin), point);
        if (d > bestDistance) {
            best = corner;
            bestDistance = d;
        }
    }
    return best;
}

QList<PlacedMarker> placeMarkerLabels(const QList<MarkerLabel>& markers, const QRectF& plot,
                                      double top, double gap) {
    QList<PlacedMarker> placed;
    QList<QRectF> taken;
    for (const MarkerLabel& marker : markers) {
        PlacedMarker result;
        // NaN fails both comparisons.
        result.shown = marker.x >= plot.left() && marker.x <= plot.right();
        const QSizeF size = marker.labelSize;
        if (!result.shown || size.width() + 2 * gap > plot.width()) {
            placed.append(result);
            continue;
        }
        double left = marker.x + gap;
        if (left + size.width() > plot.right() - gap)
            left = marker.x - gap - size.width();
        left = std::clamp(left, plot.left() + gap, plot.right() - gap - size.width());
        for (double y = plot.top() + top; y + size.height() <= plot.bottom() - gap;
             y += size.height() + gap) {
            const QRectF label(QPointF(left, y), size);
            // The gap keeps neighbouring labels apart, not only off each other.
            const QRectF clearance = label.adjusted(-gap, -gap, gap, gap);
            if (std::none_of(taken.cbegin(), taken.cend(),
                             [&](const QRectF& other) { return other.intersects(clearance); })) {
                result.label = label;
                taken.append(label);
                break;
            }
        }
        placed.append(result);
    }
    return placed;
}
