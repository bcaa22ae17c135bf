// SPDX-License-Identifier: GPL-3.0-or-later
#include "printcheck.h"
#include "printing/printing.h"
#include "windowfixture.h"

#include <QFrame>
#include <QLabel>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QColor topBarColour(255, 0, 255);
const QColor oxidationFieldColour(21, 159, 133);
const QColor temperatureFieldColour(232, 76, 61);

} // namespace

class TestPrintWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printButtonOpensFreshLandscapePreviewEachTime();
    void printsWorkAreaWithoutTopBar();

private:
    std::unique_ptr<fixture::WorkingFolder> folder;
    std::unique_ptr<MainWindow> window;
};

void TestPrintWindow::initTestCase()
{
    folder = std::make_unique<fixture::WorkingFolder>();
    QVERIFY(folder->isValid());
    QVERIFY(folder->addImages());
    QVERIFY(folder->addFile(QStringLiteral("steel_Converter-2021_01_01-00_01_40.json"),
                            fixture::line(fixture::measurement(QStringLiteral("4711"))), fixture::at(100)));
    window = folder->openWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("4711"));
}

void TestPrintWindow::printButtonOpensFreshLandscapePreviewEachTime()
{
    QPushButton *print = fixture::button(window.get(), "print");
    int opened = 0;
    ModalAnswerer *answerer = nullptr;
    const auto inspect = [&](QWidget *modal) {
        ++opened;
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->geometry(), QRect(100, 100, 800, 600));
        QCOMPARE(dialog->windowType(), Qt::Window);
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->parentWidget(), window.get());
        QVERIFY(hasLandscapeMargins(dialog->printer()));
        // What an operator might choose in the preview; the next press must not inherit it.
        dialog->printer()->setPageOrientation(QPageLayout::Portrait);
        dialog->printer()->setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    };

    for (int press = 1; press <= 2; ++press) {
        answerer = new ModalAnswerer(inspect, this);
        QTest::mouseClick(print, Qt::LeftButton);
        QVERIFY2(answerer->answered(), "no modal preview came up");
        delete answerer;
        QCOMPARE(opened, press);
    }
    QVERIFY(window->findChildren<QPrintPreviewDialog *>().isEmpty());
}

void TestPrintWindow::printsWorkAreaWithoutTopBar()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("window.pdf"));
    window->findChild<QFrame *>(QStringLiteral("frame"))
        ->setStyleSheet(QStringLiteral("background-color: rgb(255, 0, 255);"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printing::configurePrinter(&printer);
        QVERIFY(QMetaObject::invokeMethod(window.get(), "printArch", Q_ARG(QPrinter *, &printer)));
    }

#ifdef Q_OS_WIN
    QSKIP("the page is checked with poppler's pdfinfo and pdftoppm, Linux programs");
#endif
    const PdfFacts facts = pdfFacts(pdf);
    QCOMPARE(facts.pages, 1);
    QVERIFY(facts.pageSizePoints.width() > facts.pageSizePoints.height());
    const QImage page = rasterisePdf(pdf, 50);
    QVERIFY(!page.isNull());
    QVERIFY2(colourBounds(page, topBarColour).isEmpty(), "the top bar is printed");

    // A4 landscape at 1200 dpi: printable area (233, 233) 13333 x 9217 device pixels, painter origin at
    // its top-left; the window is fitted into it and centred, then the work area is drawn from the
    // window's corner. One image pixel at 50 dpi is 24 device pixels.
    const QSize size = window->size();
    const double s = qMin(13333.0 / size.width(), 9217.0 / size.height());
    const QPointF windowOrigin(233 + 233 + 6666 - (size.width() / 2) * s,
                               233 + 233 + 4608 - (size.height() / 2) * s);
    const QWidget *workArea = window->findChild<QWidget *>(QStringLiteral("frame_2"));
    const QLabel *oxidation = fixture::label(window.get(), "steelAO");
    const QRectF expected((windowOrigin + QPointF(oxidation->mapTo(workArea, QPoint(0, 0))) * s) / 24,
                          QSizeF(oxidation->size()) * s / 24);
    const QRect found = colourBounds(page, oxidationFieldColour);
    QVERIFY2(isNear(found, expected),
             qPrintable(describe(found) + QStringLiteral(", expected ") + describe(expected)));
    // The temperature field sits two rows above it in the same column.
    const QRect temperature =
        colourBounds(page.copy(found.left(), 0, found.width(), found.top()), temperatureFieldColour);
    QVERIFY2(!temperature.isEmpty(), "no temperature field above the oxidation field");
}

QTEST_MAIN(TestPrintWindow)
#include "tst_printwindow.moc"
