// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QObject;
class QPrinter;
class QWidget;

namespace printing {

// The fixed page set-up of every preview: landscape, margins 5, 5, 10, 10 mm.
void configurePrinter(QPrinter *printer);

// Opens the modal print preview of printer with window as parent (flags Qt::Window, at (100, 100),
// 800 by 600); page requests are connected to receiver's printSlot. Returns when the preview closes;
// the dialog is deleted then, so repeated previews do not pile up under the window.
void runPrintPreview(QPrinter *printer, QWidget *window, QObject *receiver, const char *printSlot);

// Draws workArea on one page: the window's rectangle fitted onto the printable area and centred on it.
void renderWorkArea(QPrinter *printer, const QWidget *window, QWidget *workArea);

} // namespace printing
