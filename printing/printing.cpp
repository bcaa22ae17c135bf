// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing.h"

#include "pagelayout.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

namespace printing {

void configurePrinter(QPrinter *printer)
{
    if (!printer)
        return;
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setPageMargins(QMarginsF(5, 5, 10, 10), QPageLayout::Millimeter);
}

void runPrintPreview(QPrinter *printer, QWidget *window, QObject *receiver, const char *printSlot)
{
    // The window is the parent, so the dialog dies with it even if the window goes away while the
    // preview's own event loop is running; the guard then keeps us from deleting it a second time.
    QPointer<QPrintPreviewDialog> dialog = new QPrintPreviewDialog(printer, window, Qt::Window);
    if (receiver && printSlot)
        QObject::connect(dialog.data(), SIGNAL(paintRequested(QPrinter *)), receiver, printSlot);
    dialog->setGeometry(100, 100, 800, 600);
    dialog->exec();
    // Every press builds a new dialog; without this they would pile up under the window until it closes.
    delete dialog.data();
}

void renderWorkArea(QPrinter *printer, const QWidget *window, QWidget *workArea)
{
    if (!printer || !window || !workArea)
        return;

    // The printable area inside the margins, in device pixels (what QPrinter::pageRect() gave
    // before it was deprecated).
    const QRect pageRect = printer->pageLayout().paintRectPixels(printer->resolution());

    QPainter painter;
    if (!painter.begin(printer))
        return; // An unusable printer leaves the page empty; the print dialogs report their own errors.

    // The whole window is fitted, not just the work area, so the page keeps the proportions seen on
    // screen; the work area is then drawn from the top-left corner of that fitted rectangle.
    const PageFit fit = fitWindowToPage(window->size(), pageRect);
    if (fit.scale <= 0.0)
        return;
    painter.translate(fit.pageCentre);
    painter.scale(fit.scale, fit.scale);
    painter.translate(fit.windowOffset);
    workArea->render(&painter, QPoint(0, 0), QRegion(),
                     QWidget::DrawWindowBackground | QWidget::DrawChildren);
}

} // namespace printing
