// SPDX-License-Identifier: GPL-3.0-or-later
#include "printcheck.h"

#include <QApplication>
#include <QDialog>
#include <QPageLayout>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    // No deadline of our own: the test runner's time-out ends a tool that hangs.
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning("%s did not run (it comes with poppler-utils): %s", qPrintable(program),
                 qPrintable(process.errorString()));
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

PdfFacts pdfFacts(const QString &pdfPath)
{
    PdfFacts facts;
    const QString text = runTool(QStringLiteral("pdfinfo"), {pdfPath});
    const auto pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(text);
    if (pages.hasMatch())
        facts.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                                         QRegularExpression::MultilineOption)
                          .match(text);
    if (size.hasMatch())
        facts.pageSizePoints = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    return facts;
}

QImage rasterisePdf(const QString &pdfPath, int dpi)
{
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"),
             QStringLiteral("1"), QStringLiteral("-singlefile"), pdfPath, stem});
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QRect colourBounds(const QImage &image, const QColor &colour, int tolerance)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (std::abs(qRed(line[x]) - colour.red()) <= tolerance &&
                std::abs(qGreen(line[x]) - colour.green()) <= tolerance &&
                std::abs(qBlue(line[x]) - colour.blue()) <= tolerance)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool isNear(const QRect &actual, const QRectF &expected)
{
    return qAbs(actual.left() - expected.left()) <= 2 && qAbs(actual.top() - expected.top()) <= 2 &&
           qAbs(actual.right() + 1 - expected.right()) <= 2 &&
           qAbs(actual.bottom() + 1 - expected.bottom()) <= 2;
}

QString describe(const QRectF &rect)
{
    return QStringLiteral("(%1, %2) %3 x %4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

bool hasLandscapeMargins(QPrinter *printer)
{
    const QPageLayout layout = printer->pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    return layout.orientation() == QPageLayout::Landscape && qFuzzyCompare(margins.left(), 5.0) &&
           qFuzzyCompare(margins.top(), 5.0) && qFuzzyCompare(margins.right(), 10.0) &&
           qFuzzyCompare(margins.bottom(), 10.0);
}

ModalAnswerer::ModalAnswerer(std::function<void(QWidget *)> inspect, QObject *parent)
    : QObject(parent), inspect(std::move(inspect)), timer(new QTimer(this))
{
    // Polling rather than a single shot: it does not matter how long the window takes to come up.
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer->start();
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    timer->stop();
    answeredFlag = true;
    // The inspection may take the window down with its parent; only a survivor is closed.
    const QPointer<QWidget> guard(modal);
    inspect(modal);
    if (!guard)
        return;
    if (auto *dialog = qobject_cast<QDialog *>(guard.data()))
        dialog->reject();
    else
        guard->close();
}
