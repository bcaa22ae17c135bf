// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace support;

namespace {

// The first page of a PDF as poppler's pdftotext reads it, or an empty text when it did not run.
QString firstPageText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

// A result as the plant writes it, with a decimal point or a decimal comma, is the same number for
// every command that computes with it; check names the comma, which other programs may not read.
class ResultNumbersTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    int folders = 0;

    // A folder holding one measurement whose "Temp" is `temperature`.
    QString archiveWithTemperature(const QString &temperature)
    {
        const QString dir = root.filePath(QStringLiteral("archive-%1").arg(++folders));
        QDir().mkpath(dir);
        const QByteArray keys = "\"Smelt\":\"00731\",\"Temp\":\"" + temperature.toUtf8() +
                                "\",\"Eds\":\"150.9\",\"OxActivity\":\"18.7\",\"MassAl\":\"13\","
                                "\"Carbon\":\"0.329\",\"Status\":\"8\"";
        writeFile(dir, QStringLiteral("steel_K1-2025_01_26-08_00_00.json"),
                  measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), keys),
                  QDateTime(QDate(2025, 1, 26), QTime(8, 0), Qt::LocalTime));
        return dir;
    }

private slots:
    void initTestCase() { QVERIFY(root.isValid()); }

    void everyCommandReadsAResultByOneRule_data()
    {
        QTest::addColumn<QString>("temperature"); // "Temp" as written
        QTest::addColumn<QString>("number");      // the number stats prints; empty when it is none
        QTest::addColumn<QString>("finding");     // what check says of it; empty for nothing

        const QString comma = QStringLiteral("written with a decimal comma: the viewer shows it as written, "
                                             "but other programs may not read it as a number");
        QTest::newRow("point") << "1598.5"
                               << "1598.5"
                               << "";
        QTest::newRow("comma") << "1598,5"
                               << "1598.5"
                               << "\"Temp\" is \"1598,5\", " + comma;
        QTest::newRow("comma, two decimals") << "1563,40"
                                             << "1563.4"
                                             << "\"Temp\" is \"1563,40\", " + comma;
        QTest::newRow("minus and comma") << "-12,5"
                                         << "-12.5"
                                         << "\"Temp\" is \"-12,5\", " + comma;
        QTest::newRow("plus and comma") << "+1600,25"
                                        << "1600.25"
                                        << "\"Temp\" is \"+1600,25\", " + comma;
        QTest::newRow("spaces around a comma") << " 1598,5 "
                                               << "1598.5"
                                               << "\"Temp\" is \" 1598,5 \", " + comma;
        QTest::newRow("comma and point") << "1,598.5"
                                         << ""
                                         << "";
        QTest::newRow("space inside") << "1 598,5"
                                      << ""
                                      << "";
        QTest::newRow("two commas") << "1,5,9"
                                    << ""
                                    << "";
        QTest::newRow("no value with a comma") << "32767,0"
                                               << "32767"
                                               << "\"Temp\" is \"32767,0\", which looks like a missing value";
    }

    void everyCommandReadsAResultByOneRule()
    {
        QFETCH(QString, temperature);
        QFETCH(QString, number);
        QFETCH(QString, finding);
        const QString dir = archiveWithTemperature(temperature);

        // find: an open range finds every number, a closed one exactly this number.
        const CommandResult open =
            runTool({QStringLiteral("find"), dir, QStringLiteral("--temp"), QStringLiteral(":")});
        QCOMPARE(open.exitCode, 0);
        QCOMPARE(open.out.count(QLatin1Char('\n')), number.isEmpty() ? 0 : 1);
        if (!number.isEmpty()) {
            const CommandResult exact = runTool(
                {QStringLiteral("find"), dir, QStringLiteral("--temp"), number + QLatin1Char(':') + number});
            QCOMPARE(exact.out.count(QLatin1Char('\n')), 1);
        }

        // stats: the number is the minimum, median and maximum, or there is none.
        const CommandResult stats = runTool({QStringLiteral("stats"), dir, QStringLiteral("--csv")});
        QCOMPARE(stats.exitCode, 0);
        const QStringList lines = stats.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QStringList header = lines[0].split(QLatin1Char(','));
        const QStringList row = lines[1].split(QLatin1Char(','));
        for (const char *column : {"temp_min", "temp_median", "temp_max"})
            QCOMPARE(row.value(header.indexOf(QLatin1String(column))), number);

        // check: a comma is named, other texts as before.
        const CommandResult check = runTool({QStringLiteral("check"), dir, QStringLiteral("--no-index")});
        if (finding.isEmpty()) {
            QVERIFY2(check.exitCode == 0, qPrintable(check.out));
        } else {
            QCOMPARE(check.exitCode, 1);
            QVERIFY2(check.out.contains(finding), qPrintable(check.out));
        }

        // report: the first page counts the number among the temperatures.
        const QString pdf = root.filePath(QStringLiteral("report.pdf"));
        const CommandResult report = runTool({QStringLiteral("report"), dir, QStringLiteral("-o"), pdf});
        QCOMPARE(report.exitCode, 0);
#ifdef Q_OS_WIN
        QSKIP("the page is read with poppler's pdftotext, a Linux program");
#endif
        const QString page = firstPageText(pdf);
        QVERIFY2(page.contains(QStringLiteral("Measurements: 1")), qPrintable(page));
        if (number.isEmpty())
            QVERIFY2(page.contains(QStringLiteral("No measurement holds a temperature.")), qPrintable(page));
        else
            QVERIFY2(page.contains(number), qPrintable(page));
    }
};

QTEST_MAIN(ResultNumbersTest)
#include "tst_resultnumbers.moc"
