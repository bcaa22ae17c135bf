// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing a time of measurement loads that file into the values panel and the plot.
#include "windowfixture.h"

#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QTest>
#include <qcustomplot.h>

#include <cmath>
#include <memory>

namespace {

const QString fileName = QStringLiteral("steel_K1-2019_03_07-14_05_09.json");

// A measurement whose keys are changed by a short edit list: "Key=text" sets a text, "Key" alone
// removes the key, "Key#" stores the JSON number 1600 instead of a text.
QJsonObject edited(const QStringList &edits)
{
    QJsonObject object = fixture::measurement(QStringLiteral("123456"));
    for (const QString &edit : edits) {
        if (edit.endsWith(QLatin1Char('#'))) {
            object.insert(edit.chopped(1), 1600);
        } else if (edit.contains(QLatin1Char('='))) {
            object.insert(edit.section(QLatin1Char('='), 0, 0), edit.section(QLatin1Char('='), 1));
        } else {
            object.remove(edit);
        }
    }
    return object;
}

} // namespace

class MeasurementLoadingTest : public QObject
{
    Q_OBJECT

private slots:
    void valuesShownAsStored_data();
    void valuesShownAsStored();
    void curvesGoToTheirOwnAxes();
    void multiLineFileShowsEmptyFieldsAndCurves();
    void placeholderTimeChangesNothing();
    void fileRemovedAfterListingEmptiesTheView();
    void levelChangeHidesRightAxisAndEmptiesTheView();
    void sameMomentUnderAnotherTechnologyIsAnotherFile();
};

void MeasurementLoadingTest::valuesShownAsStored_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("shown"); // melt, temperature, oxidation, EMF, aluminium, carbon, status

    const QString noData = fixture::noData;
    const QString present = QStringLiteral("ЕСТЬ ПЛ.");
    QTest::newRow("every key as stored") << QStringList()
                                         << QStringList{QStringLiteral("123456"),
                                                        QStringLiteral("1563.40"),
                                                        QStringLiteral("35"),
                                                        QStringLiteral("12.5"),
                                                        QStringLiteral("12"),
                                                        QStringLiteral("0.05"),
                                                        present};
    QTest::newRow("nan means no data")
        << QStringList{QStringLiteral("Temp=nan")} << QStringList{QStringLiteral("123456"),
                                                                  noData,
                                                                  QStringLiteral("35"),
                                                                  QStringLiteral("12.5"),
                                                                  QStringLiteral("12"),
                                                                  QStringLiteral("0.05"),
                                                                  present};
    QTest::newRow("32767 means no data")
        << QStringList{QStringLiteral("Carbon=32767"), QStringLiteral("Smelt=32767")}
        << QStringList{noData,
                       QStringLiteral("1563.40"),
                       QStringLiteral("35"),
                       QStringLiteral("12.5"),
                       QStringLiteral("12"),
                       noData,
                       present};
    QTest::newRow("NaN in capitals is an ordinary text") << QStringList{QStringLiteral("Eds=NaN")}
                                                         << QStringList{QStringLiteral("123456"),
                                                                        QStringLiteral("1563.40"),
                                                                        QStringLiteral("35"),
                                                                        QStringLiteral("NaN"),
                                                                        QStringLiteral("12"),
                                                                        QStringLiteral("0.05"),
                                                                        present};
    QTest::newRow("missing key leaves its field empty")
        << QStringList{QStringLiteral("Smelt"), QStringLiteral("OxActivity")}
        << QStringList{QString(),
                       QStringLiteral("1563.40"),
                       QString(),
                       QStringLiteral("12.5"),
                       QStringLiteral("12"),
                       QStringLiteral("0.05"),
                       present};
    QTest::newRow("number instead of text leaves its field empty")
        << QStringList{QStringLiteral("Temp#")} << QStringList{QStringLiteral("123456"),
                                                               QString(),
                                                               QStringLiteral("35"),
                                                               QStringLiteral("12.5"),
                                                               QStringLiteral("12"),
                                                               QStringLiteral("0.05"),
                                                               present};
    QTest::newRow("status 7") << QStringList{QStringLiteral("Status=7")}
                              << QStringList{QStringLiteral("123456"), QStringLiteral("1563.40"),
                                             QStringLiteral("35"),     QStringLiteral("12.5"),
                                             QStringLiteral("12"),     QStringLiteral("0.05"),
                                             QStringLiteral("НЕТ ПЛ.")};
    QTest::newRow("status outside the table")
        << QStringList{QStringLiteral("Status=10")}
        << QStringList{QStringLiteral("123456"), QStringLiteral("1563.40"), QStringLiteral("35"),
                       QStringLiteral("12.5"),   QStringLiteral("12"),      QStringLiteral("0.05"),
                       QStringLiteral("ОШИБКА")};
    QTest::newRow("no status leaves the status empty") << QStringList{QStringLiteral("Status")}
                                                       << QStringList{QStringLiteral("123456"),
                                                                      QStringLiteral("1563.40"),
                                                                      QStringLiteral("35"),
                                                                      QStringLiteral("12.5"),
                                                                      QStringLiteral("12"),
                                                                      QStringLiteral("0.05"),
                                                                      QString()};
}

void MeasurementLoadingTest::valuesShownAsStored()
{
    QFETCH(QStringList, edits);
    QFETCH(QStringList, shown);
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(fileName, fixture::line(edited(edits)), fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCOMPARE(fixture::shownValues(window.get()), shown);
}

void MeasurementLoadingTest::curvesGoToTheirOwnAxes()
{
    // GIVEN a file whose EMF (first curve) and temperature (second curve) are easy to tell apart
    QJsonObject object = fixture::measurement(QStringLiteral("1"));
    object.insert(QStringLiteral("Archives"),
                  QJsonArray{QJsonObject{{QStringLiteral("values"),
                                          QJsonArray{QStringLiteral("0.5"), QStringLiteral("7")}}},
                             QJsonObject{{QStringLiteral("values"),
                                          QJsonArray{QStringLiteral("1500"), QStringLiteral("1510.5")}}}});
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(fileName, fixture::line(object), fixture::at(0)));

    // WHEN it is loaded
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    // THEN the temperature is drawn against the left axis and the EMF against the right one
    QCustomPlot *plot = fixture::plot(window.get());
    QCOMPARE(plot->graphCount(), 2);
    QCPGraph *temperature = plot->graph(0);
    QCPGraph *emf = plot->graph(1);
    QCOMPARE(temperature->valueAxis(), plot->yAxis);
    QCOMPARE(emf->valueAxis(), plot->yAxis2);
    QCOMPARE(temperature->data()->size(), 160);
    QCOMPARE(temperature->data()->at(1)->value, 1510.5);
    QCOMPARE(emf->data()->at(1)->value, 7.0);
    QVERIFY(std::isnan(emf->data()->at(2)->value));
    QVERIFY(plot->yAxis2->visible());
}

void MeasurementLoadingTest::multiLineFileShowsEmptyFieldsAndCurves()
{
    fixture::WorkingFolder folder;
    const QByteArray spread =
        QJsonDocument(fixture::measurement(QStringLiteral("1"))).toJson(QJsonDocument::Indented);
    QVERIFY(spread.count('\n') > 1);
    QVERIFY(folder.addFile(fileName, spread, fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();

    QCOMPARE(fixture::list(window.get(), "timeSteel")->currentText(), QStringLiteral("14:05:09"));
    QCOMPARE(fixture::shownValues(window.get()),
             (QStringList{QString(), QString(), QString(), QString(), QString(), QString(), QString()}));
    QCustomPlot *plot = fixture::plot(window.get());
    QCOMPARE(plot->graphCount(), 2);
    for (int i = 0; i < 2; ++i) {
        for (auto point = plot->graph(i)->data()->constBegin(); point != plot->graph(i)->data()->constEnd();
             ++point)
            QVERIFY(std::isnan(point->value));
    }
}

void MeasurementLoadingTest::placeholderTimeChangesNothing()
{
    fixture::WorkingFolder folder;
    QVERIFY(
        folder.addFile(fileName, fixture::line(fixture::measurement(QStringLiteral("1"))), fixture::at(0)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    const QStringList shown = fixture::shownValues(window.get());
    QCustomPlot *plot = fixture::plot(window.get());

    fixture::list(window.get(), "timeSteel")->setCurrentIndex(0);

    QCOMPARE(fixture::shownValues(window.get()), shown);
    QCOMPARE(plot->graphCount(), 2);
    QVERIFY(plot->yAxis2->visible());
}

void MeasurementLoadingTest::fileRemovedAfterListingEmptiesTheView()
{
    // GIVEN two measurements of one day, the newer one shown
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(fileName, fixture::line(fixture::measurement(QStringLiteral("shown"))),
                           fixture::at(50)));
    const QString removed = QStringLiteral("steel_K1-2019_03_07-09_00_00.json");
    QVERIFY(folder.addFile(removed, fixture::line(fixture::measurement(QStringLiteral("removed"))),
                           fixture::at(10)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("shown"));
    const QStringList shown = fixture::shownValues(window.get());

    // WHEN the day is chosen again (clearing the plot), the other file disappears and its time is chosen
    QComboBox *days = fixture::list(window.get(), "dayCombobox");
    days->setCurrentIndex(0);
    days->setCurrentIndex(1);
    QCustomPlot *plot = fixture::plot(window.get());
    QVERIFY(!plot->yAxis2->visible());
    QVERIFY(QFile::remove(folder.archivePath() + QLatin1Char('/') + removed));
    QComboBox *times = fixture::list(window.get(), "timeSteel");
    QCOMPARE(times->itemText(2), QStringLiteral("09:00:00"));
    times->setCurrentIndex(2);

    // THEN nothing of the other measurement stays beside the chosen time: the view is empty
    QVERIFY(shown != fixture::emptyValues());
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());
    QCOMPARE(plot->graphCount(), 0);
    QVERIFY(!plot->yAxis2->visible());
}

void MeasurementLoadingTest::levelChangeHidesRightAxisAndEmptiesTheView()
{
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(fileName, fixture::line(fixture::measurement(QStringLiteral("march"))),
                           fixture::at(50)));
    QVERIFY(folder.addFile(QStringLiteral("steel_K1-2019_02_01-10_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("february"))), fixture::at(10)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCustomPlot *plot = fixture::plot(window.get());
    QVERIFY(plot->yAxis2->visible());
    const QStringList shown = fixture::shownValues(window.get());

    fixture::list(window.get(), "yearMonthCombobox")->setCurrentIndex(2);

    QCOMPARE(plot->graphCount(), 0);
    QVERIFY(!plot->yAxis2->visible());
    QVERIFY(!plot->yAxis2->tickLabels());
    QVERIFY(shown != fixture::emptyValues());
    QCOMPARE(fixture::shownValues(window.get()), fixture::emptyValues());
}

void MeasurementLoadingTest::sameMomentUnderAnotherTechnologyIsAnotherFile()
{
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(fileName, fixture::line(fixture::measurement(QStringLiteral("K1 melt"))),
                           fixture::at(50)));
    QVERIFY(folder.addFile(QStringLiteral("steel_K2-2019_03_07-14_05_09.json"),
                           fixture::line(fixture::measurement(QStringLiteral("K2 melt"))), fixture::at(10)));
    const std::unique_ptr<MainWindow> window = folder.openWindow();
    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("K1 melt"));

    fixture::list(window.get(), "comboSteelTech")->setCurrentIndex(2);
    fixture::list(window.get(), "yearMonthCombobox")->setCurrentIndex(1);
    fixture::list(window.get(), "dayCombobox")->setCurrentIndex(1);
    fixture::list(window.get(), "timeSteel")->setCurrentIndex(1);

    QCOMPARE(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("K2 melt"));
}

QTEST_MAIN(MeasurementLoadingTest)
#include "tst_measurementloading.moc"
