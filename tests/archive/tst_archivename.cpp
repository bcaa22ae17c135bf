// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivename.h"

#include <QObject>
#include <QTest>

using namespace archive;

Q_DECLARE_METATYPE(archive::Moment)

namespace {

Moment moment(int year, int month, int day, int hour, int minute, int second)
{
    return Moment{QDate(year, month, day), QTime(hour, minute, second)};
}

} // namespace

namespace QTest {
template <> char *toString(const archive::Moment &m)
{
    if (!m.isValid())
        return qstrdup("invalid moment");
    return qstrdup(
        qPrintable(m.date.toString(Qt::ISODate) + QLatin1Char(' ') + m.time.toString(Qt::ISODate)));
}
} // namespace QTest

// File names, moments and the list texts. Runs in UTC and again in Europe/Berlin: no result may
// depend on the time zone.
class ArchiveNameTest : public QObject
{
    Q_OBJECT

private slots:
    void parseNameMoment_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Moment>("expected");

        const auto valid = [](const char *text, Moment expected) {
            QTest::newRow(text) << QString::fromUtf8(text) << expected;
        };
        const auto invalid = [](const char *text) {
            QTest::newRow(text) << QString::fromUtf8(text) << Moment();
        };
        valid("2019_03_07-14_05_09", moment(2019, 3, 7, 14, 5, 9));
        valid("2024_03_31-02_30_00", moment(2024, 3, 31, 2, 30, 0));  // daylight-saving gap in Berlin
        valid("2023_10_29-02_30_00", moment(2023, 10, 29, 2, 30, 0)); // repeated hour in Berlin
        valid("2000_02_29-23_59_59", moment(2000, 2, 29, 23, 59, 59));
        valid("0001_01_01-00_00_00", moment(1, 1, 1, 0, 0, 0));
        valid("9999_12_31-23_59_59", moment(9999, 12, 31, 23, 59, 59));
        for (const char *text :
             {"2019_02_30-10_00_00",     "1900_02_29-10_00_00",  "0000_01_01-00_00_00", "2019_13_01-00_00_00",
              "2019_00_01-00_00_00",     "2019_01_00-00_00_00",  "2019_03_07-24_00_00", "2019_03_07-14_60_00",
              "2016_12_31-23_59_60",     "2019-03-07-14-05-09",  "2019_03_07_14_05_09", "2019_3_07-14_05_09",
              "2019_3_07-14_05_09x",     "2019_ 3_07-14_05_09",  " 019_03_07-14_05_09", "+019_03_07-14_05_09",
              "-019_03_07-14_05_09",     "2019_+3_07-14_05_09",  "2019_03_07-+4_05_09", "٢٠١٩_03_07-14_05_09",
              "２０１９_03_07-14_05_09", "2019_03_07-14_05_099", "2019_03_07-14_05_0",  ""})
            invalid(text);
    }

    void parseNameMoment()
    {
        QFETCH(QString, text);
        QFETCH(Moment, expected);
        const Moment parsed = archive::parseNameMoment(text);
        QCOMPARE(parsed.isValid(), expected.isValid());
        if (expected.isValid()) {
            QCOMPARE(parsed, expected);
            QCOMPARE(nameMomentText(parsed), text);
        }
    }

    void fileNameParts_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("technology");
        QTest::addColumn<QString>("momentText");

        const auto row = [](const char *fileName, const char *baseName, const char *technology,
                            const char *moment) {
            QTest::newRow(fileName) << QString::fromUtf8(fileName) << QString::fromUtf8(baseName)
                                    << QString::fromUtf8(technology) << QString::fromUtf8(moment);
        };
        const char *const m = "2019_03_07-14_05_09";
        row("steel_K1-2019_03_07-14_05_09.json", "steel_K1-2019_03_07-14_05_09", "K1", m);
        row("/data/a_b-c.d/steel_K1-2019_03_07-14_05_09.json", "steel_K1-2019_03_07-14_05_09", "K1", m);
        row("steel_K1-2019_03_07-14_05_09.old.json", "steel_K1-2019_03_07-14_05_09", "K1", m);
        row("STEEL_K1-2019_03_07-14_05_09.JSON", "STEEL_K1-2019_03_07-14_05_09", "K1", m);
        row("steel_A_B-2019_03_07-14_05_09.json", "steel_A_B-2019_03_07-14_05_09", "A", m);
        row("steel_A-B-2019_03_07-14_05_09.json", "steel_A-B-2019_03_07-14_05_09", "A", m);
        row("steel_A.B-2019_03_07-14_05_09.json", "steel_A", "A", "");
        row("steel_x.json", "steel_x", "x", "");
        row("steel_-2019_03_07-14_05_09.json", "steel_-2019_03_07-14_05_09", "", m);
        row("steel__K-2019_03_07-14_05_09.json", "steel__K-2019_03_07-14_05_09", "", m);
        row("steel.json", "steel", "", "");
        row("2019_03_07-14_05_09.json", "2019_03_07-14_05_09", "03", m);
        row(".json", "", "", "");
        row("steel_Ковш-2019_03_07-14_05_09.json", "steel_Ковш-2019_03_07-14_05_09", "Ковш", m);
    }

    void fileNameParts()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, baseName);
        QFETCH(QString, technology);
        QFETCH(QString, momentText);
        QCOMPARE(baseNameOf(fileName), baseName);
        QCOMPARE(technologyOfFile(fileName), technology);
        QCOMPARE(nameMomentText(momentOfFile(fileName)), momentText);
        QCOMPARE(momentOfFile(fileName).isValid(), !momentText.isEmpty());
    }

    void listTexts_data()
    {
        QTest::addColumn<Moment>("moment");
        QTest::addColumn<QString>("yearMonth");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("time");

        QTest::newRow("leading zeros") << moment(2019, 3, 7, 4, 5, 9) << QStringLiteral("2019.03")
                                       << QStringLiteral("07") << QStringLiteral("04:05:09");
        QTest::newRow("two-digit fields") << moment(2024, 12, 31, 23, 59, 59) << QStringLiteral("2024.12")
                                          << QStringLiteral("31") << QStringLiteral("23:59:59");
        QTest::newRow("year below 1000") << moment(812, 1, 1, 0, 0, 0) << QStringLiteral("0812.01")
                                         << QStringLiteral("01") << QStringLiteral("00:00:00");
        QTest::newRow("invalid") << Moment() << QString() << QString() << QString();
        QTest::newRow("date without time")
            << Moment{QDate(2019, 3, 7), QTime()} << QString() << QString() << QString();
    }

    void listTexts()
    {
        QFETCH(Moment, moment);
        QFETCH(QString, yearMonth);
        QFETCH(QString, day);
        QFETCH(QString, time);
        QCOMPARE(yearMonthText(moment), yearMonth);
        QCOMPARE(dayText(moment), day);
        QCOMPARE(timeText(moment), time);
        // The loader rebuilds the moment from exactly these texts.
        const Moment rebuilt = archive::momentFromListTexts(day, yearMonth, time);
        QCOMPARE(rebuilt.isValid(), moment.isValid());
        if (moment.isValid())
            QCOMPARE(rebuilt, moment);
    }

    void momentFromListTexts_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("yearMonth");
        QTest::addColumn<QString>("time");
        QTest::addColumn<Moment>("expected");

        const Moment invalid;
        QTest::newRow("ordinary") << QStringLiteral("07") << QStringLiteral("2019.03")
                                  << QStringLiteral("14:05:09") << moment(2019, 3, 7, 14, 5, 9);
        QTest::newRow("daylight-saving gap") << QStringLiteral("31") << QStringLiteral("2024.03")
                                             << QStringLiteral("02:30:00") << moment(2024, 3, 31, 2, 30, 0);
        QTest::newRow("placeholder as day") << QStringLiteral("Выбрать") << QStringLiteral("2019.03")
                                            << QStringLiteral("14:05:09") << invalid;
        QTest::newRow("empty day") << QString() << QStringLiteral("2019.03") << QStringLiteral("14:05:09")
                                   << invalid;
        QTest::newRow("empty year.month")
            << QStringLiteral("07") << QString() << QStringLiteral("14:05:09") << invalid;
        QTest::newRow("no such day") << QStringLiteral("30") << QStringLiteral("2019.02")
                                     << QStringLiteral("10:00:00") << invalid;
        QTest::newRow("one-digit day")
            << QStringLiteral("7") << QStringLiteral("2019.03") << QStringLiteral("14:05:09") << invalid;
        QTest::newRow("time without seconds")
            << QStringLiteral("07") << QStringLiteral("2019.03") << QStringLiteral("14:05") << invalid;
        QTest::newRow("hour 24") << QStringLiteral("07") << QStringLiteral("2019.03")
                                 << QStringLiteral("24:00:00") << invalid;
        QTest::newRow("name form of year.month")
            << QStringLiteral("07") << QStringLiteral("2019_03") << QStringLiteral("14:05:09") << invalid;
    }

    void momentFromListTexts()
    {
        QFETCH(QString, day);
        QFETCH(QString, yearMonth);
        QFETCH(QString, time);
        QFETCH(Moment, expected);
        const Moment rebuilt = archive::momentFromListTexts(day, yearMonth, time);
        QCOMPARE(rebuilt.isValid(), expected.isValid());
        if (expected.isValid())
            QCOMPARE(rebuilt, expected);
    }

    void archiveFileNameAndPath_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("technology");
        QTest::addColumn<Moment>("moment");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("path");

        QTest::newRow("ordinary") << QStringLiteral("/srv/archive") << QStringLiteral("K1")
                                  << moment(2019, 3, 7, 14, 5, 9)
                                  << QStringLiteral("steel_K1-2019_03_07-14_05_09.json")
                                  << QStringLiteral("/srv/archive/steel_K1-2019_03_07-14_05_09.json");
        QTest::newRow("no normalisation of the directory")
            << QStringLiteral("C:\\archive/") << QStringLiteral("K1") << moment(2019, 3, 7, 14, 5, 9)
            << QStringLiteral("steel_K1-2019_03_07-14_05_09.json")
            << QStringLiteral("C:\\archive//steel_K1-2019_03_07-14_05_09.json");
        QTest::newRow("invalid moment writes nothing")
            << QString() << QStringLiteral("x") << Moment() << QStringLiteral("steel_x-.json")
            << QStringLiteral("/steel_x-.json");
    }

    void archiveFileNameAndPath()
    {
        QFETCH(QString, directory);
        QFETCH(QString, technology);
        QFETCH(Moment, moment);
        QFETCH(QString, fileName);
        QFETCH(QString, path);
        QCOMPARE(archiveFileName(technology, moment), fileName);
        QCOMPARE(archiveFilePath(directory, technology, moment), path);
        if (moment.isValid()) {
            QCOMPARE(technologyOfFile(fileName), technology);
            QCOMPARE(momentOfFile(fileName), moment);
        }
    }
};

QTEST_APPLESS_MAIN(ArchiveNameTest)
#include "tst_archivename.moc"
