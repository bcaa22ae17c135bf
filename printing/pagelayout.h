// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>

namespace printing {

// How the window's rectangle is fitted onto the printable area: the painter is translated to
// pageCentre, scaled by scale, then translated by windowOffset before the work area is drawn.
struct PageFit
{
    double scale = 1.0;
    QPointF pageCentre;
    QPointF windowOffset;
};

// The smaller of the two scales keeps the window's aspect ratio; halves are truncating integer halves.
// A window or page rectangle without width or height gives scale 0: there is nothing to draw.
PageFit fitWindowToPage(const QSize &window, const QRect &pageRect);

} // namespace printing
