// SPDX-License-Identifier: GPL-3.0-or-later
// steel-archive chart: the numbers it writes are the computation's, which the viewer draws; its
// period and result options choose the melts; its outputs keep out of the archive.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "output/jsontext.h"
#include "statistics/archivestatistics.h"
#include "statistics/controlchart.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace support;

namespace {

QByteArray melt(const QString &number, const char *temp, const char *carbon)
{
    const QByteArray keys = "\"Smelt\":\"" + number.toUtf8() + "\",\"Temp\":\"" + temp + "\",\"Carbon\":\"" +
                            carbon + "\",\"Status\":\"8\"";
    return measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), keys);
}

QJsonObject chartJson(const QStringList &arguments)
{
    const CommandResult result =
        runTool(QStringList{QStringLiteral("chart")} << arguments << QStringLiteral("--json"));
    if (result.exitCode != 0)
        qWarning() << result.err;
    return QJsonDocument::fromJson(result.out.toUtf8()).object();
}

QJsonValue number(const std::optional<double> &value)
{
    return value ? QJsonValue(statistics::statisticText(*value).toDouble()) : QJsonValue(QJsonValue::Null);
}

} // namespace

class ChartCommandTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archiveDir;

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archiveDir = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(archiveDir));
        // Temperatures 1600, 1620, (nan), 1610, 1598,5 (a decimal comma) of K1; carbon of the same melts.
        const char *const temps[] = {"1600", "1620", "nan", "1610", "1598,5"};
        const char *const carbons[] = {"0.05", "0.07", "0.06", "32767", "0.04"};
        for (int i = 0; i < 5; ++i)
            writeFile(archiveDir,
                      QStringLiteral("steel_K1-2024_01_10-%1_00_00.json").arg(8 + i, 2, 10, QLatin1Char('0')),
                      melt(QString::number(41500 + i), temps[i], carbons[i]));
        // Another technology, and one in another letter case: neither belongs to K1's chart.
        writeFile(archiveDir, QStringLiteral("steel_K2-2024_01_10-08_30_00.json"),
                  melt(QStringLiteral("9"), "1500", "0.1"));
        writeFile(archiveDir, QStringLiteral("steel_k1-2024_01_10-08_30_00.json"),
                  melt(QStringLiteral("8"), "1500", "0.1"));
    }

    // Hand-computed: 1600, 1620, 1610, 1598.5: mean 1607.125; moving ranges 20, 10, 11.5: MR-bar 13.8333...
    void numbersByHand()
    {
        const QJsonObject chart =
            chartJson({archiveDir, QStringLiteral("--technology"), QStringLiteral("K1")});
        QCOMPARE(chart.value(QStringLiteral("points")).toArray().size(), 4);
        QCOMPARE(chart.value(QStringLiteral("meltsWithoutValue")).toInt(), 1);
        QCOMPARE(chart.value(QStringLiteral("mean")).toDouble(), 1607.125);
        QCOMPARE(chart.value(QStringLiteral("movingRangeMean")).toDouble(), 13.83333333);
        QCOMPARE(chart.value(QStringLiteral("upperLimit")).toDouble(), 1643.921667);
        QCOMPARE(chart.value(QStringLiteral("points"))
                     .toArray()
                     .at(3)
                     .toObject()
                     .value(QStringLiteral("value"))
                     .toDouble(),
                 1598.5);
    }

    // What the command writes is what the viewer's computation gives, number for number.
    void equalsTheComputation_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("lastMelts"); // 0: none
        QTest::addColumn<QString>("from");  // as parseMomentBound reads it; empty: none
        QTest::addColumn<QString>("to");

        QTest::newRow("all melts") << QStringList() << int(statistics::ChartResult::temperature) << 0
                                   << QString() << QString();
        QTest::newRow("the last three")
            << QStringList{QStringLiteral("--last"), QStringLiteral("3")}
            << int(statistics::ChartResult::temperature) << 3 << QString() << QString();
        QTest::newRow("carbon, a shift")
            << QStringList{QStringLiteral("--result"), QStringLiteral("carbon"),
                           QStringLiteral("--from"),   QStringLiteral("2024-01-10 09:00"),
                           QStringLiteral("--to"),     QStringLiteral("2024-01-10 12:00")}
            << int(statistics::ChartResult::carbon) << 0 << QStringLiteral("2024-01-10 09:00")
            << QStringLiteral("2024-01-10 12:00");
    }
    void equalsTheComputation()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, result);
        QFETCH(int, lastMelts);
        QFETCH(QString, from);
        QFETCH(QString, to);
        statistics::ChartSelection selection;
        selection.technology = QStringLiteral("K1");
        selection.result = statistics::ChartResult(result);
        if (lastMelts > 0)
            selection.lastMelts = lastMelts;
        QString why;
        if (!from.isEmpty())
            selection.from = query::parseMomentBound(from, query::BoundSide::from, &why);
        if (!to.isEmpty())
            selection.to = query::parseMomentBound(to, query::BoundSide::to, &why);
        selection.tolerance = {1599, 1615};
        const statistics::ControlChart expected = statistics::readControlChart(archiveDir, selection);
        QVERIFY(!expected.points.isEmpty());

        const QJsonObject chart =
            chartJson(QStringList{archiveDir, QStringLiteral("--technology"), QStringLiteral("K1"),
                                  QStringLiteral("--lsl"), QStringLiteral("1599"), QStringLiteral("--usl"),
                                  QStringLiteral("1615")}
                      << arguments);
        QCOMPARE(chart.value(QStringLiteral("mean")), number(expected.mean));
        QCOMPARE(chart.value(QStringLiteral("lowerLimit")), number(expected.lowerLimit));
        QCOMPARE(chart.value(QStringLiteral("upperLimit")), number(expected.upperLimit));
        QCOMPARE(chart.value(QStringLiteral("movingRangeUpperLimit")),
                 number(expected.movingRangeUpperLimit));
        QCOMPARE(chart.value(QStringLiteral("cpk")), number(expected.cpk));
        QCOMPARE(chart.value(QStringLiteral("meltsWithoutValue")).toInt(), expected.meltsWithoutValue);
        const QJsonArray points = chart.value(QStringLiteral("points")).toArray();
        QCOMPARE(points.size(), expected.points.size());
        for (int i = 0; i < points.size(); ++i) {
            const QJsonObject point = points.at(i).toObject();
            QCOMPARE(point.value(QStringLiteral("file")).toString(), expected.points[i].melt.fileName);
            QCOMPARE(point.value(QStringLiteral("value")), number(expected.points[i].melt.value));
            QCOMPARE(point.value(QStringLiteral("beyondLimits")).toBool(), expected.points[i].beyondLimits);
            QCOMPARE(point.value(QStringLiteral("outsideTolerance")).toBool(),
                     expected.points[i].outsideTolerance);
        }
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no technology") << QStringList() << QStringLiteral("--technology T is required");
        QTest::newRow("an unknown result")
            << QStringList{QStringLiteral("--technology"), QStringLiteral("K1"), QStringLiteral("--result"),
                           QStringLiteral("nickel")}
            << QStringLiteral("--result \"nickel\" is none of");
        QTest::newRow("no number of melts")
            << QStringList{QStringLiteral("--technology"), QStringLiteral("K1"), QStringLiteral("--last"),
                           QStringLiteral("0")}
            << QStringLiteral("--last \"0\"");
        QTest::newRow("limits the wrong way round")
            << QStringList{QStringLiteral("--technology"), QStringLiteral("K1"),    QStringLiteral("--lsl"),
                           QStringLiteral("1700"),         QStringLiteral("--usl"), QStringLiteral("1600")}
            << QStringLiteral("--lsl must lie below --usl");
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const CommandResult result = runTool(QStringList{QStringLiteral("chart"), archiveDir} << arguments);
        QCOMPARE(result.exitCode, 2);
        QFETCH(QString, message);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
    }

    // Every file format refuses a place inside the archive it reads, and leaves nothing there.
    void refusesTheArchive_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"chart.xlsx", "chart.pdf", "chart.csv", "chart.txt"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void refusesTheArchive()
    {
        QFETCH(QString, name);
        const QStringList before = QDir(archiveDir).entryList(QDir::Files);
        const CommandResult result = runTool(
            {QStringLiteral("chart"), archiveDir, QStringLiteral("--technology"), QStringLiteral("K1"),
             QStringLiteral("-o"), archiveDir + QStringLiteral("/../archive/") + name});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(QDir(archiveDir).entryList(QDir::Files), before);
    }

    void writesFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("a spreadsheet") << QStringLiteral("c.xlsx") << QByteArray("PK");
        QTest::newRow("a PDF page") << QStringLiteral("c.pdf") << QByteArray("%PDF");
    }
    void writesFiles()
    {
        QFETCH(QString, name);
        const QString path = root.filePath(name);
        const CommandResult result =
            runTool({QStringLiteral("chart"), archiveDir, QStringLiteral("--technology"),
                     QStringLiteral("K1"), QStringLiteral("-o"), path});
        QCOMPARE(result.exitCode, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QFETCH(QByteArray, start);
        QVERIFY(file.readAll().startsWith(start));
    }
};

QTEST_MAIN(ChartCommandTest)
#include "tst_chartcommand.moc"
