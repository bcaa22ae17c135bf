// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace support;

namespace {

QByteArray measurement(const char *temp, const char *eds, const char *status)
{
    QByteArray keys = QByteArray("\"Smelt\":\"M-1\",\"Temp\":\"") + temp + "\",\"Eds\":\"" + eds + '"';
    if (status)
        keys += QByteArray(",\"Status\":\"") + status + '"';
    return measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5), keys);
}

// Output of a poppler tool, or an empty text when it did not run.
QString popplerOutput(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The first page's text as poppler reads it.
QString firstPageText(const QString &pdf)
{
    return popplerOutput(QStringLiteral("pdftotext"),
                         {QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
}

} // namespace

class StatsReportTest : public QObject
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
        // Worked out by hand below. "32767" and "nan" count as measurements but give no value.
        writeFile(archiveDir, QStringLiteral("steel_K1-2024_01_10-08_00_00.json"),
                  measurement("1600", "100", "8"));
        writeFile(archiveDir, QStringLiteral("steel_K1-2024_01_10-09_00_00.json"),
                  measurement("1620", "nan", "8"));
        writeFile(archiveDir, QStringLiteral("steel_K1-2024_01_17-10_00_00.json"),
                  measurement("1580", "120", "7"));
        writeFile(archiveDir, QStringLiteral("steel_K1-2024_02_01-10_00_00.json"),
                  measurement("32767", "90", nullptr));
        writeFile(archiveDir, QStringLiteral("steel_K2-2024_01_10-11_00_00.json"),
                  measurement("1500", "80.5", "10"));
        writeFile(archiveDir, QStringLiteral("steel_K2-2024_02_02-12_00_00.json"),
                  measurement("1510", "81", "8"));
        writeFile(archiveDir, QStringLiteral("steel_K2-2024_03_05-07_00_00.json"),
                  measurement("nan", "nan", "8"));
    }

    void statisticsPerGroup_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("expected");

        const QStringList byTechnology;
        const QStringList byWeek{QStringLiteral("--by"), QStringLiteral("week")};
        const QStringList byStatus{QStringLiteral("--by"), QStringLiteral("status")};
        QTest::newRow("count K1") << byTechnology << "K1"
                                  << "measurements"
                                  << "4";
        QTest::newRow("count K2") << byTechnology << "K2"
                                  << "measurements"
                                  << "3";
        QTest::newRow("ok count K1") << byTechnology << "K1"
                                     << "ЕСТЬ ПЛ."
                                     << "2";
        QTest::newRow("code 10 is ОШИБКА") << byTechnology << "K2"
                                           << "ОШИБКА"
                                           << "1";
        QTest::newRow("no status") << byTechnology << "K1"
                                   << "none"
                                   << "1";
        QTest::newRow("ok share K2") << byTechnology << "K2"
                                     << "ok_share"
                                     << "0.6666666667";
        QTest::newRow("odd median") << byTechnology << "K1"
                                    << "temp_median"
                                    << "1600";
        QTest::newRow("32767 left out") << byTechnology << "K1"
                                        << "temp_max"
                                        << "1620";
        QTest::newRow("even median") << byTechnology << "K2"
                                     << "emf_median"
                                     << "80.75";
        QTest::newRow("minimum") << byTechnology << "K2"
                                 << "temp_min"
                                 << "1500";
        QTest::newRow("ISO week") << byWeek << "2024-W02"
                                  << "measurements"
                                  << "3";
        QTest::newRow("week median over two") << byWeek << "2024-W02"
                                              << "emf_median"
                                              << "90.25";
        QTest::newRow("week across months") << byWeek << "2024-W05"
                                            << "measurements"
                                            << "2";
        QTest::newRow("week without values") << byWeek << "2024-W10"
                                             << "temp_median"
                                             << "";
        QTest::newRow("by month, filtered")
            << QStringList{QStringLiteral("--by"), QStringLiteral("month"), QStringLiteral("--technology"),
                           QStringLiteral("k1")}
            << "2024-01"
            << "measurements"
            << "3";
        QTest::newRow("by day") << QStringList{QStringLiteral("--by"), QStringLiteral("day")} << "2024-01-10"
                                << "temp_median"
                                << "1600";
        QTest::newRow("by status") << byStatus << "ЕСТЬ ПЛ."
                                   << "measurements"
                                   << "4";
        QTest::newRow("by status, none") << byStatus << "none"
                                         << "emf_max"
                                         << "90";
    }
    void statisticsPerGroup()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, group);
        QFETCH(QString, column);
        QFETCH(QString, expected);

        const CommandResult result =
            runTool(QStringList{QStringLiteral("stats"), archiveDir, QStringLiteral("--csv")} + options);
        QCOMPARE(result.exitCode, 0);
        const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QStringList header = lines.constFirst().split(QLatin1Char(','));
        const int index = header.indexOf(column);
        QVERIFY2(index >= 0, qPrintable(column));
        QString found = QStringLiteral("<no row>");
        for (const QString &line : lines) {
            const QStringList cells = line.split(QLatin1Char(','));
            if (cells.constFirst() == group)
                found = cells.value(index);
        }
        QCOMPARE(found, expected);
    }

    void reportPagesAndText_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("textsInOrder");
        QTest::addColumn<QString>("absent");

        QTest::newRow("one technology")
            << QStringList{QStringLiteral("--technology"), QStringLiteral("K1")} << 2
            << QStringList{QStringLiteral("Page 1 of 2"),
                           QStringLiteral("technology K1"),
                           QStringLiteral("Measurements: 4"),
                           QStringLiteral("Page 2 of 2"),
                           QStringLiteral("steel_K1-2024_02_01-10_00_00.json"),
                           QStringLiteral("steel_K1-2024_01_17-10_00_00.json"),
                           QStringLiteral("Нет данных"),
                           QStringLiteral("НЕТ ПЛ."),
                           QStringLiteral("steel_K1-2024_01_10-09_00_00.json"),
                           QStringLiteral("steel_K1-2024_01_10-08_00_00.json"),
                           QStringLiteral("1600 °C")}
            << "steel_K2";
        QTest::newRow("one day") << QStringList{QStringLiteral("--from"), QStringLiteral("10.01.2024"),
                                                QStringLiteral("--to"), QStringLiteral("10.01.2024")}
                                 << 2
                                 << QStringList{QStringLiteral("2024-01-10 00:00:00 — 2024-01-10 23:59:59"),
                                                QStringLiteral("Total"),
                                                QStringLiteral("steel_K2-2024_01_10-11_00_00.json"),
                                                QStringLiteral("steel_K1-2024_01_10-09_00_00.json"),
                                                QStringLiteral("ОШИБКА")}
                                 << "2024_01_17";
        QTest::newRow("a second page of measurements")
            << QStringList() << 3
            << QStringList{QStringLiteral("Measurements: 7"), QStringLiteral("Page 2 of 3"),
                           QStringLiteral("steel_K2-2024_03_05-07_00_00.json"), QStringLiteral("Page 3 of 3"),
                           QStringLiteral("steel_K1-2024_01_10-08_00_00.json")}
            << "No measurement";
        QTest::newRow("empty selection")
            << QStringList{QStringLiteral("--technology"), QStringLiteral("K9")} << 1
            << QStringList{QStringLiteral("Page 1 of 1"), QStringLiteral("Measurements: 0"),
                           QStringLiteral("No measurement meets the conditions of the selection.")}
            << "steel_";
    }
    void reportPagesAndText()
    {
        QFETCH(QStringList, options);
        QFETCH(int, pages);
        QFETCH(QStringList, textsInOrder);
        QFETCH(QString, absent);

        const QString pdf = root.filePath(QStringLiteral("report.pdf"));
        QFile::remove(pdf);
        const CommandResult result =
            runTool(QStringList{QStringLiteral("report"), archiveDir, QStringLiteral("-o"), pdf} + options);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());

#ifdef Q_OS_WIN
        QSKIP("the pages are checked with poppler's pdfinfo and pdftotext, Linux programs");
#endif
        const QRegularExpression pageCount(QStringLiteral("Pages:\\s+(\\d+)"));
        const QString info = popplerOutput(QStringLiteral("pdfinfo"), {pdf});
        QCOMPARE(pageCount.match(info).captured(1).toInt(), pages);
        const QString text =
            popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        int from = 0;
        for (const QString &expected : textsInOrder) {
            const int at = text.indexOf(expected, from);
            QVERIFY2(at >= 0, qPrintable(expected + QStringLiteral(" missing after: ") + text.left(from)));
            from = at + expected.size();
        }
        QVERIFY(!text.contains(absent));
    }

    void reportFollowsTheLanguageOfTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("Russian") << QStringLiteral("ru_RU.UTF-8")
                                 << QStringList{QStringLiteral("Страница 1 из 3"),
                                                QStringLiteral("Результаты по технологиям"),
                                                QStringLiteral("66,7 %"), QStringLiteral("80,75"),
                                                // The plant's own form of a moment.
                                                QStringLiteral("05.03.2024 07:00:00")};
        QTest::newRow("English") << QStringLiteral("C.UTF-8")
                                 << QStringList{QStringLiteral("Page 1 of 3"),
                                                QStringLiteral("Results by technology"),
                                                QStringLiteral("66.7 %"), QStringLiteral("80.75"),
                                                QStringLiteral("2024-03-05 07:00:00")};
        QTest::newRow("another language is English")
            << QStringLiteral("de_DE.UTF-8")
            << QStringList{QStringLiteral("Page 1 of 3"), QStringLiteral("66.7 %")};
    }

    void reportFollowsTheLanguageOfTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, texts);
        const QString pdf = root.filePath(QStringLiteral("language.pdf"));
        const CommandResult result = runProgram(
            {QStringLiteral("report"), archiveDir, QStringLiteral("-o"), pdf},
            {QStringLiteral("LANG=") + locale, QStringLiteral("LC_ALL="), QStringLiteral("LC_MESSAGES=")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
#ifdef Q_OS_WIN
        QSKIP("the page is read with poppler's pdftotext, a Linux program");
#endif
        const QString firstPage = firstPageText(pdf);
        for (const QString &text : texts)
            QVERIFY2(firstPage.contains(text),
                     qPrintable(text + QStringLiteral(" missing in: ") + firstPage));
    }

    void reportKeepsTheChartOnTheFirstPage_data()
    {
        QTest::addColumn<int>("technologies");
        for (const int count : {1, 4, 8})
            QTest::addRow("%d technologies", count) << count;
    }

    void reportKeepsTheChartOnTheFirstPage()
    {
        QFETCH(int, technologies);
        const QString dir = root.filePath(QStringLiteral("technologies-%1").arg(technologies));
        QVERIFY(QDir().mkpath(dir));
        // Every status in the table occurs, so that the status table is as wide and long as it gets.
        const char *statuses[] = {"3", "4", "5", "6", "7", "8", "9", "11", "12", "1", nullptr};
        for (int t = 0; t < technologies; ++t) {
            int minute = 0;
            for (const char *status : statuses)
                writeFile(dir,
                          QStringLiteral("steel_T%1-2024_01_10-1%1_%2_00.json")
                              .arg(t)
                              .arg(minute++, 2, 10, QLatin1Char('0')),
                          measurement("1600", "100", status));
        }
        const QString pdf = root.filePath(QStringLiteral("chart.pdf"));
        QCOMPARE(runTool({QStringLiteral("report"), dir, QStringLiteral("-o"), pdf}).exitCode, 0);
#ifdef Q_OS_WIN
        QSKIP("the page is read with poppler's pdftotext, a Linux program");
#endif
        const QString firstPage = firstPageText(pdf);
        QVERIFY2(firstPage.contains(QStringLiteral("Temperature by time")), qPrintable(firstPage));
        QVERIFY2(firstPage.contains(QStringLiteral("T%1").arg(technologies - 1)), qPrintable(firstPage));
    }

    void reportEmbedsEveryFont()
    {
        const QString pdf = root.filePath(QStringLiteral("fonts.pdf"));
        QCOMPARE(runTool({QStringLiteral("report"), archiveDir, QStringLiteral("-o"), pdf}).exitCode, 0);
#ifdef Q_OS_WIN
        QSKIP("the fonts are checked with poppler's pdffonts, a Linux program");
#endif
        const QStringList rows =
            popplerOutput(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(rows.size() > 2); // a header of two lines, then one line per font
        for (const QString &row : rows.mid(2))
            QVERIFY2(row.contains(QRegularExpression(QStringLiteral("\\syes\\s"))), qPrintable(row));
    }
};

QTEST_MAIN(StatsReportTest)
#include "tst_statsreport.moc"
