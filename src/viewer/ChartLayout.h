#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Where the chart puts the things it draws over the plot, in pixels, kept apart from the chart
// so that it is worked out and tested without a window.

// The corners of the plot area the read-out box can sit in.
enum class ReadoutCorner { TopLeft, TopRight, BottomLeft, BottomRight };

// The box of size `box` flush with `corner` of `plot`, `margin` pixels in from both edges.
QRectF readoutBoxRect(const QRectF& plot, const QSizeF& box, ReadoutCorner corner, double margin);

// The corner of `plot` whose box lies farthest from `point` (the pixel of the point read out),
// so that the box never covers that point while another corner leaves it free. On a tie the
// first in the order top left, top right, bottom left, bottom right.
ReadoutCorner readoutCorner(const QRectF& plot, const QSizeF& box, const QPointF& point,
                            double margin);

// A vertical marker at pixel column `x` with a label of size `labelSize`.
struct MarkerLabel {
    double x = 0;
    QSizeF labelSize;
};

struct PlacedMarker {
    bool shown = false; // the column lies inside the plot area: the marker is drawn
    QRectF label;       // where its label goes; empty when no room is left for it
};

// Places the labels of `markers` in rows from `top` pixels below the plot's top edge down:
// each beside its line, right of it unless that would cross the plot's right edge, and in
// the first row where it covers no label placed before it. Every label lies inside `plot`, so
// that none covers an axis, and `gap` pixels from its line and from the next label. A marker
// whose column lies outside the plot area is not shown and gets no label.
QList<PlacedMarker> placeMarkerLabels(const QList<MarkerLabel>& markers, const QRectF& plot,
                                      double top, double gap);
