// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <functional>

class QPrinter;
class QTimer;
class QWidget;

// What poppler's tools see in a printed file: the printed result is checked as a reader would see it.
struct PdfFacts
{
    int pages = -1;
    QSizeF pageSizePoints;
};

PdfFacts pdfFacts(const QString &pdfPath);

// The first page as an image at the given resolution in dots per inch.
QImage rasterisePdf(const QString &pdfPath, int dpi);

// The bounding box of the pixels within tolerance of colour on every channel; empty if there are none.
QRect colourBounds(const QImage &image, const QColor &colour, int tolerance = 10);

// Within two image pixels on every side: room for the smoothing of the rasteriser.
bool isNear(const QRect &actual, const QRectF &expected);
QString describe(const QRectF &rect);

// The page set-up every preview starts with: landscape, margins 5, 5, 10, 10 mm.
bool hasLandscapeMargins(QPrinter *printer);

// Answers the next modal window without a person: once one is up, inspect is called with it and the
// window is then closed, so the nested event loop that opened it always ends.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(std::function<void(QWidget *)> inspect, QObject *parent = nullptr);

    bool answered() const { return answeredFlag; }

private:
    void poll();

    std::function<void(QWidget *)> inspect;
    QTimer *timer;
    bool answeredFlag = false;
};
