// Clipping in pixels. The SVG clip path trims what is painted to the panel, but
// records may reach far beyond it (a curve over every bar of the data, a point at a
// wild value); cutting them to a box just outside the panel first keeps the file
// small and every coordinate in the range a viewer handles.
#pragma once

#include <vector>

#include "tools/qxindex/chart/PanelScale.h"

namespace qxindex {

// The parts of a polyline inside `box`, each with at least two points. A point
// that is not finite breaks the line.
std::vector<std::vector<PixelPoint>> ClipPolyline(const std::vector<PixelPoint>& points,
                                                  const PixelRect& box);

// A closed polygon cut to `box` (a convex clip of any polygon); points that are not
// finite are dropped. Fewer than three points means nothing is left.
std::vector<PixelPoint> ClipPolygon(const std::vector<PixelPoint>& points, const PixelRect& box);

// Where the ray that starts at `from` and runs in the direction from `back` to `from`
// leaves `box`. False when the direction is zero or the ray never crosses the box.
bool ExtendRay(PixelPoint back, PixelPoint from, const PixelRect& box, PixelPoint* exit);

// How far to move `box` so that it lies inside `bounds`: the least shift on each
// axis; a box larger than the bounds on an axis is aligned with their left or top
// edge. Zero for a box already inside.
PixelPoint ShiftInside(const PixelRect& box, const PixelRect& bounds);

}  // namespace qxindex
