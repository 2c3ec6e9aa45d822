// Which tool is under the mouse. The library hit-tests anchors only; a person
// also grabs a line in its middle, so the picker measures the distance from the
// mouse to the lines, outlines and boxes of each tool's records, in pixels.
#pragma once

#include "IQXGraphCoordinate.h"
#include "tools/qxindex/serve/ToolBoard.h"

namespace qxindex {

// How close, in pixels, the mouse must come to a line to grab it: the anchors'
// own hit box is 5 pixels each way, a line gets a little more.
constexpr double kPickPixels = 6.0;

struct ToolPick {
    int nId = 0;       // 0: nothing under the mouse
    int nAnchor = -1;  // the anchor under the mouse, -1 for the body
};

// The newest tool at (x, y): one whose anchor is hit first, else one whose records
// pass within kPickPixels.
ToolPick PickTool(const CToolBoard& board, IQXGraphCoordinate& coordinate, float x, float y);

}  // namespace qxindex
