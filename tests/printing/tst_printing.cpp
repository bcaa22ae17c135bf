// SPDX-License-Identifier: GPL-3.0-or-later
#include "printcheck.h"
#include "printing/printing.h"

#include <QFrame>
#include <QLabel>
#include <QPageLayout>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(QMarginsF)

namespace {

const QColor topBarColour(255, 0, 255);
const QColor workAreaColour(255, 220, 0);
const QColor valueFieldColour(232, 76, 61);

// A stand-in for the main window: a top bar above the work area, each in a colour of its own so that
// the parts can be told apart on the printed page.
struct StandInWindow
{
    StandInWindow()
    {
        window.resize(1000, 800);
        topBar = new QFrame(&window);
        topBar->setGeometry(11, 11, 978, 60);
        topBar->setStyleSheet(QStringLiteral("background-color: rgb(255, 0, 255);"));
        workArea = new QFrame(&window);
        workArea->setGeometry(11, 71, 978, 718);
        QPalette palette = workArea->palette();
        palette.setColor(QPalette::Window, workAreaColour);
        workArea->setPalette(palette);
        valueField = new QLabel(QStringLiteral("1540"), workArea);
        valueField->setGeometry(742, 60, 150, 38);
        valueField->setStyleSheet(
            QStringLiteral("background-color: rgb(232, 76, 61); color: rgb(232, 76, 61);"));
    }

    QWidget window;
    QFrame *topBar;
    QFrame *workArea;
    QLabel *valueField;
};

// The window's print slot: page requests of the preview land here.
class PageRequests : public QObject
{
    Q_OBJECT

public:
    explicit PageRequests(StandInWindow &standIn) : standIn(standIn) {}
    int count = 0;

public slots:
    void printArch(QPrinter *printer)
    {
        ++count;
        printing::renderWorkArea(printer, &standIn.window, standIn.workArea);
    }

private:
    StandInWindow &standIn;
};

QString printToPdf(const QTemporaryDir &dir, const StandInWindow &standIn)
{
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printing::configurePrinter(&printer);
    printing::renderWorkArea(&printer, &standIn.window, standIn.workArea);
    return path;
}

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void configureOverridesEarlierPageSetup_data();
    void configureOverridesEarlierPageSetup();
    void printsWorkAreaAloneScaledAndCentred();
    void windowWithoutExtentLeavesPageBlank_data();
    void windowWithoutExtentLeavesPageBlank();
    void previewIsModalWindowAndGoneAfterwards();
    void windowDestroyedDuringPreviewIsNoDoubleDelete();
};

void TestPrinting::configureOverridesEarlierPageSetup_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<int>("unit");

    QTest::newRow("fresh printer") << int(QPageLayout::Portrait) << QMarginsF()
                                   << int(QPageLayout::Millimeter);
    QTest::newRow("portrait with wide margins")
        << int(QPageLayout::Portrait) << QMarginsF(30, 40, 20, 25) << int(QPageLayout::Millimeter);
    QTest::newRow("landscape in points")
        << int(QPageLayout::Landscape) << QMarginsF(72, 0, 0, 72) << int(QPageLayout::Point);
}

void TestPrinting::configureOverridesEarlierPageSetup()
{
    QFETCH(int, orientation);
    QFETCH(QMarginsF, margins);
    QFETCH(int, unit);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Orientation(orientation));
    if (!margins.isNull())
        printer.setPageMargins(margins, QPageLayout::Unit(unit));

    printing::configurePrinter(&printer);

    QVERIFY(hasLandscapeMargins(&printer));
    QVERIFY(printer.pageLayout().fullRectPoints().width() > printer.pageLayout().fullRectPoints().height());
}

void TestPrinting::printsWorkAreaAloneScaledAndCentred()
{
    QTemporaryDir dir;
    StandInWindow standIn;

    const QString pdf = printToPdf(dir, standIn);

#ifdef Q_OS_WIN
    QSKIP("the page is checked with poppler's pdfinfo and pdftoppm, Linux programs");
#endif
    const PdfFacts facts = pdfFacts(pdf);
    QCOMPARE(facts.pages, 1);
    QVERIFY(facts.pageSizePoints.width() > facts.pageSizePoints.height());

    // A4 landscape at 1200 dpi: the printable area is (233, 233) 13333 x 9217 device pixels and the
    // painter's origin is at its top-left. The 1000 x 800 window is height-limited, s = 9217 / 800, and
    // centred on (233 + 6666, 233 + 4608) in painter coordinates, so its top-left corner lands on
    // (233 + 6899 - 500 s, 233 + 4841 - 400 s) on paper; at 50 dpi one image pixel is 24 device pixels.
    const double s = 9217.0 / 800;
    const QPointF windowOrigin(233 + 6899 - 500 * s, 233 + 4841 - 400 * s);
    const auto onPage = [&](const QRect &inWindow) {
        return QRectF(windowOrigin + QPointF(inWindow.topLeft()) * s, QSizeF(inWindow.size()) * s);
    };
    const auto toImage = [](const QRectF &device) {
        return QRectF(device.topLeft() / 24, device.size() / 24);
    };
    const QImage page = rasterisePdf(pdf, 50);
    QVERIFY(!page.isNull());

    QVERIFY2(colourBounds(page, topBarColour).isEmpty(), "the top bar is printed");
    // The work area is drawn from the window's corner, not from its own place below the top bar.
    const QRect workArea = colourBounds(page, workAreaColour);
    QVERIFY2(isNear(workArea, toImage(onPage(QRect(QPoint(0, 0), standIn.workArea->size())))),
             qPrintable(describe(workArea)));
    const QRect field = colourBounds(page, valueFieldColour);
    QVERIFY2(isNear(field, toImage(onPage(standIn.valueField->geometry()))), qPrintable(describe(field)));
}

void TestPrinting::windowWithoutExtentLeavesPageBlank_data()
{
    QTest::addColumn<QSize>("windowSize");

    // With one side zero the other scale is still finite: the work area would be drawn at the page's
    // centre, half off the page, at a size that has nothing to do with the window.
    QTest::newRow("no height") << QSize(1000, 0);
    QTest::newRow("no width") << QSize(0, 800);
    QTest::newRow("no size") << QSize(0, 0);
}

void TestPrinting::windowWithoutExtentLeavesPageBlank()
{
    QFETCH(QSize, windowSize);
    QTemporaryDir dir;
    StandInWindow standIn;
    standIn.window.resize(windowSize);
    QCOMPARE(standIn.window.size(), windowSize);

    const QString pdf = printToPdf(dir, standIn);

#ifdef Q_OS_WIN
    QSKIP("the page is checked with poppler's pdfinfo and pdftoppm, Linux programs");
#endif
    QCOMPARE(pdfFacts(pdf).pages, 1);
    const QImage page = rasterisePdf(pdf, 50);
    QVERIFY(!page.isNull());
    QCOMPARE(colourBounds(page, Qt::white, 2), page.rect());
}

void TestPrinting::previewIsModalWindowAndGoneAfterwards()
{
    StandInWindow standIn;
    PageRequests requests(standIn);
    QPrinter printer(QPrinter::HighResolution);
    printing::configurePrinter(&printer);
    int requestsWhileOpen = 0;
    ModalAnswerer answerer([&](QWidget *modal) {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(modal);
        QVERIFY(dialog);
        requestsWhileOpen = requests.count;
        QCOMPARE(dialog->geometry(), QRect(100, 100, 800, 600));
        QCOMPARE(dialog->windowType(), Qt::Window);
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->parentWidget(), &standIn.window);
        QCOMPARE(dialog->printer(), &printer);
        QVERIFY(hasLandscapeMargins(dialog->printer()));
    });

    printing::runPrintPreview(&printer, &standIn.window, &requests, SLOT(printArch(QPrinter *)));

    QVERIFY2(answerer.answered(), "no modal preview came up");
    QVERIFY2(requestsWhileOpen >= 1, "the preview did not ask for the page");
    // One dialog per press would otherwise stay alive under the window until it closes.
    QVERIFY(standIn.window.findChildren<QPrintPreviewDialog *>().isEmpty());
}

void TestPrinting::windowDestroyedDuringPreviewIsNoDoubleDelete()
{
    auto standIn = std::make_unique<StandInWindow>();
    PageRequests requests(*standIn);
    QPrinter printer(QPrinter::HighResolution);
    QPointer<QWidget> dialog;
    ModalAnswerer answerer([&](QWidget *modal) {
        dialog = modal;
        standIn.reset(); // takes the preview, its child, with it
    });

    printing::runPrintPreview(&printer, &standIn->window, &requests, SLOT(printArch(QPrinter *)));

    QVERIFY(answerer.answered());
    QVERIFY(!standIn);
    QVERIFY(dialog.isNull());
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
