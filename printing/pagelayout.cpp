// SPDX-License-Identifier: GPL-3.0-or-later
#include "pagelayout.h"

#include <algorithm>

namespace printing {

PageFit fitWindowToPage(const QSize &window, const QRect &pageRect)
{
    PageFit fit;
    fit.pageCentre = QPointF(pageRect.x() + pageRect.width() / 2, pageRect.y() + pageRect.height() / 2);
    fit.windowOffset = QPointF(-(window.width() / 2), -(window.height() / 2));

    // A window or a printable area without extent has nothing to fit: a scale of zero tells the
    // caller to leave the page empty instead of scaling by infinity or not-a-number.
    if (window.width() <= 0 || window.height() <= 0 || pageRect.width() <= 0 || pageRect.height() <= 0) {
        fit.scale = 0.0;
        return fit;
    }

    const double xScale = double(pageRect.width()) / window.width();
    const double yScale = double(pageRect.height()) / window.height();
    fit.scale = xScale < yScale ? xScale : yScale;
    return fit;
}

} // namespace printing
