// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdfpainting.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QScreen>

#include <qcustomplot.h>

namespace printing {

bool beginPlotPainting(QCPPainter &painter, QPdfWriter &writer)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    writer.setResolution(screen ? qRound(screen->logicalDotsPerInchY()) : 96);
    if (!painter.begin(&writer))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    return true;
}

} // namespace printing
