#pragma once

#include <QRect>
#include <QSize>

// Where a scan page puts its picture view inside the scrollable area around it, and how
// large: the picture's natural size, the area's outer size and the display mode in, the
// view's rectangle in the area's canvas out.
//
// Fitted, a picture larger than the area less a 10-pixel margin on each side shrinks,
// keeping its proportions, until its longer side (relative to the area) fills that room,
// and sits centred; a smaller one is never enlarged. At actual size, and in an area too
// small to leave any room inside the margin, the picture keeps its natural size: centred
// along a side where it is smaller than the area, at the edge where it is not, so that the
// area scrolls over it.
QRect scanViewGeometry(const QSize& picture, const QSize& area, bool fit);
