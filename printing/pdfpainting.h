// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCPPainter;
class QPdfWriter;

namespace printing {

// Starts `painter` on a PDF writer as QCustomPlot's own savePdf does: at the screen's resolution, so
// that the plot's pixel sizes keep their proportions on the page, and drawing vectors, not a picture.
// False when the writer cannot begin (its device failed).
bool beginPlotPainting(QCPPainter &painter, QPdfWriter &writer);

} // namespace printing
