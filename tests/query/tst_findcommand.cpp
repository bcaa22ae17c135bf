// SPDX-License-Identifier: GPL-3.0-or-later
// find: the conditions, the moment bounds of consecutive shifts, newest first, one line per measurement.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "measurement/measurementfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace support;

class FindCommandTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString searchDir;

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        searchDir = freshFolder(root, QStringLiteral("search"));
        writeSearchArchive(searchDir);
    }

    // ---- find

    void findListsMatchesLatestFirst_data()
    {
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<QStringList>("expected");
        const QString k1a = QStringLiteral("steel_K1-2024_01_10-08_00_00.json");
        const QString k1b = QStringLiteral("steel_K1-2024_01_11-09_00_00.json");
        const QString k1lower = QStringLiteral("steel_k1-2024_01_12-10_00_00.json");
        const QString ukpA = QStringLiteral("steel_UKP-2024_01_12-23_59_59.json");
        const QString ukpB = QStringLiteral("steel_UKP-2024_02_01-00_00_00.json");
        const QString noMoment = QStringLiteral("steel_x.json");
        const auto args = [](std::initializer_list<const char *> list) {
            QStringList out;
            for (const char *a : list)
                out << QString::fromUtf8(a);
            return out;
        };
        QTest::newRow("everything; no moment last")
            << QStringList{} << QStringList{ukpB, ukpA, k1lower, k1b, k1a, noMoment};
        QTest::newRow("melt part, case ignored") << args({"--melt", "a-10"}) << QStringList{k1b, k1a};
        QTest::newRow("technology, case ignored")
            << args({"--technology", "k1"}) << QStringList{k1lower, k1b, k1a};
        QTest::newRow("from, inclusive")
            << args({"--from", "2024-01-12"}) << QStringList{ukpB, ukpA, k1lower};
        QTest::newRow("to, inclusive") << args({"--to", "2024-01-11"}) << QStringList{k1b, k1a};
        QTest::newRow("one day") << args({"--from", "2024-01-12", "--to", "2024-01-12"})
                                 << QStringList{ukpA, k1lower};
        QTest::newRow("dotted date with a one-digit hour")
            << args({"--from", "11.01.2024 9:00", "--to", "12.01.2024 10:00:01"})
            << QStringList{k1lower, k1b};
        QTest::newRow("a time of day as --to leaves that moment out")
            << args({"--to", "2024-01-12 10:00"}) << QStringList{k1b, k1a};
        QTest::newRow("seconds exact") << args({"--from", "2024-01-12 23:59:59"}) << QStringList{ukpB, ukpA};
        QTest::newRow("status code") << args({"--status", "8"}) << QStringList{k1a, noMoment};
        QTest::newRow("verdict without case, spaces, stops")
            << args({"--status", "нет пл"}) << QStringList{k1lower};
        QTest::newRow("status none") << args({"--status", "none"}) << QStringList{ukpA};
        QTest::newRow("status bad") << args({"--status", "bad"}) << QStringList{ukpB, ukpA, k1lower, k1b};
        QTest::newRow("code outside the table") << args({"--status", "10"}) << QStringList{k1b};
        QTest::newRow("verdict text") << args({"--status", "ОШИБКА"}) << QStringList{ukpB, k1b};
        QTest::newRow("verdict with spaces") << args({"--status", "НЕТ ПЛ."}) << QStringList{k1lower};
        QTest::newRow("temperature range, inclusive")
            << args({"--temp", "1600:1650.5"}) << QStringList{k1lower, k1a, noMoment};
        QTest::newRow("temperature, open upper bound") << args({"--temp", "1640:"}) << QStringList{k1lower};
        QTest::newRow("no-value marks and words never match")
            << args({"--temp", ":"}) << QStringList{ukpB, k1lower, k1a, noMoment};
        QTest::newRow("negative EMF") << args({"--emf", "-50:0"}) << QStringList{k1lower};
        QTest::newRow("decimal comma") << args({"--temp", "1650,5:1650,5"}) << QStringList{k1lower};
        QTest::newRow("32767 is no EMF") << args({"--emf", "100:"}) << QStringList{ukpB, ukpA, k1a};
        QTest::newRow("all conditions together")
            << args({"--technology", "UKP", "--emf", "190:", "--from", "2024-01-01"}) << QStringList{ukpA};
        QTest::newRow("nothing matches") << args({"--melt", "Z"}) << QStringList{};
    }

    void findListsMatchesLatestFirst()
    {
        QFETCH(QStringList, conditions);
        QFETCH(QStringList, expected);
        const CommandResult result =
            runTool(QStringList{QStringLiteral("find"), searchDir, QStringLiteral("--json")} + conditions);
        QCOMPARE(result.exitCode, 0);
        QStringList found;
        for (const QJsonValue &value : QJsonDocument::fromJson(result.out.toUtf8()).array())
            found.append(value.toObject().value(QStringLiteral("file")).toString());
        QCOMPARE(found, expected);
    }

    void consecutiveShiftsCountEveryMeasurementOnce_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("period");
        QTest::addColumn<int>("count");
        const auto period = [](const char *from, const char *to) {
            QStringList arguments;
            if (from)
                arguments << QStringLiteral("--from") << QString::fromUtf8(from);
            if (to)
                arguments << QStringLiteral("--to") << QString::fromUtf8(to);
            return arguments;
        };
        for (const char *command : {"find", "stats"}) {
            const QString name = QString::fromLatin1(command);
            QTest::addRow("%s: day shift", command)
                << name << period("26.01.2025 8:00", "26.01.2025 20:00") << 2;
            QTest::addRow("%s: night shift", command)
                << name << period("26.01.2025 20:00", "27.01.2025 08:00") << 4;
            QTest::addRow("%s: a date alone as --to covers its day", command)
                << name << period(nullptr, "2025-01-26") << 6;
            QTest::addRow("%s: seconds as --to", command)
                << name << period(nullptr, "2025-01-26 20:00:01") << 4;
            QTest::addRow("%s: from the moment of a melt on", command)
                << name << period("2025-01-27 07:59:59", nullptr) << 2;
        }
    }

    void consecutiveShiftsCountEveryMeasurementOnce()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, period);
        QFETCH(int, count);
        const QString dir = freshFolder(root, QStringLiteral("shifts"));
        for (const char *moment :
             {"2025_01_26-07_59_59", "2025_01_26-08_00_00", "2025_01_26-19_59_59", "2025_01_26-20_00_00",
              "2025_01_26-20_00_01", "2025_01_26-23_59_59", "2025_01_27-07_59_59", "2025_01_27-08_00_00"})
            writeFile(dir, QStringLiteral("steel_K1-%1.json").arg(QLatin1String(moment)), goodMeasurement());
        const CommandResult result = runTool(
            QStringList{command, dir, QStringLiteral("--json"), QStringLiteral("--no-index")} + period);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QJsonDocument json = QJsonDocument::fromJson(result.out.toUtf8());
        QCOMPARE(command == QLatin1String("find") ? json.array().size()
                                                  : json.object()
                                                        .value(QStringLiteral("total"))
                                                        .toObject()
                                                        .value(QStringLiteral("measurements"))
                                                        .toInt(),
                 count);
    }

    void findWritesOneLinePerMeasurement()
    {
        const CommandResult result =
            runTool({QStringLiteral("find"), searchDir, QStringLiteral("--melt"), QStringLiteral("101")});
        QCOMPARE(result.out, QStringLiteral("2024-01-11 09:00:00\tK1\ta-101\t") + measurement::noDataText() +
                                 QLatin1Char('\t') + measurement::statusText(10) +
                                 QStringLiteral("\tsteel_K1-2024_01_11-09_00_00.json\n"));
    }

    // A name may hold any byte but "/": plain text shows it on one line that cannot steer a terminal,
    // the machine formats keep it exactly.
    void findEscapesControlCharactersOnlyInPlainText_data()
    {
        QTest::addColumn<QString>("technology");
        QTest::addColumn<QString>("shown");
#ifndef Q_OS_WIN // control characters and "\\" cannot be part of a file name on Windows
        QTest::newRow("line break") << QStringLiteral("K\n1") << QStringLiteral("K\\n1");
        QTest::newRow("tab") << QStringLiteral("K\t1") << QStringLiteral("K\\t1");
        QTest::newRow("terminal escape") << QStringLiteral("K\x1b[2J1") << QStringLiteral("K\\x1b[2J1");
        QTest::newRow("backslash") << QStringLiteral("K\\1") << QStringLiteral("K\\\\1");
#endif
        QTest::newRow("Cyrillic stays") << QStringLiteral("УКП") << QStringLiteral("УКП");
    }
    void findEscapesControlCharactersOnlyInPlainText()
    {
        QFETCH(QString, technology);
        QFETCH(QString, shown);
        const QString dir = freshFolder(root, QStringLiteral("find-names"));
        const QString fileName = QStringLiteral("steel_%1-2019_03_07-09_00_00.json").arg(technology);
        writeFile(dir, fileName, goodMeasurement());

        const CommandResult plain = runTool({QStringLiteral("find"), dir});
        QCOMPARE(plain.exitCode, 0);
        QCOMPARE(plain.out.count(QLatin1Char('\n')), 1);
        QCOMPARE(plain.out.count(QLatin1Char('\t')), 5);
        QVERIFY(!plain.out.contains(QChar(0x1b)));
        QCOMPARE(plain.out.section(QLatin1Char('\t'), 1, 1), shown);
        QVERIFY2(plain.out.endsWith(QStringLiteral("steel_%1-2019_03_07-09_00_00.json\n").arg(shown)),
                 qPrintable(plain.out));

        const CommandResult json = runTool({QStringLiteral("find"), dir, QStringLiteral("--json")});
        QCOMPARE(
            QJsonDocument::fromJson(json.out.toUtf8()).array().at(0).toObject().value(QStringLiteral("file")),
            QJsonValue(fileName));
        const CommandResult csv = runTool({QStringLiteral("find"), dir, QStringLiteral("--csv")});
        QVERIFY2(csv.out.contains(fileName), qPrintable(csv.out));
    }

    void findRejectsBadConditions_data()
    {
        QTest::addColumn<QStringList>("conditions");
        QTest::newRow("month 13") << QStringList{QStringLiteral("--from"), QStringLiteral("2024-13-01")};
        QTest::newRow("short date") << QStringList{QStringLiteral("--to"), QStringLiteral("2024-1-5")};
        QTest::newRow("day that does not exist")
            << QStringList{QStringLiteral("--to"), QStringLiteral("30.02.2024")};
        QTest::newRow("hour 24") << QStringList{QStringLiteral("--from"), QStringLiteral("2024-01-05 24:00")};
        QTest::newRow("from after to") << QStringList{QStringLiteral("--from"), QStringLiteral("2024-01-06"),
                                                      QStringLiteral("--to"), QStringLiteral("2024-01-05")};
        QTest::newRow("empty period")
            << QStringList{QStringLiteral("--from"), QStringLiteral("2024-01-05 8:00"),
                           QStringLiteral("--to"), QStringLiteral("05.01.2024 08:00")};
        QTest::newRow("hour without minutes")
            << QStringList{QStringLiteral("--to"), QStringLiteral("2024-01-05 8")};
        QTest::newRow("repeated option") << QStringList{QStringLiteral("--melt"), QStringLiteral("1"),
                                                        QStringLiteral("--melt"), QStringLiteral("2")};
        QTest::newRow("unknown verdict") << QStringList{QStringLiteral("--status"), QStringLiteral("fine")};
        QTest::newRow("one number") << QStringList{QStringLiteral("--temp"), QStringLiteral("1600")};
        QTest::newRow("reversed range") << QStringList{QStringLiteral("--temp"), QStringLiteral("1700:1600")};
        QTest::newRow("words") << QStringList{QStringLiteral("--emf"), QStringLiteral("low:high")};
        QTest::newRow("three bounds") << QStringList{QStringLiteral("--emf"), QStringLiteral("1:2:3")};
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--smelt"), QStringLiteral("1")};
    }

    void findRejectsBadConditions()
    {
        QFETCH(QStringList, conditions);
        const CommandResult result = runTool(QStringList{QStringLiteral("find"), searchDir} + conditions);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
    }

    void findSkipsAnUnreadableFile()
    {
        if (support::readsUnreadableFiles())
            QSKIP("root reads every file");
        const QString dir = freshFolder(root, QStringLiteral("find-locked"));
        writeFile(dir, QStringLiteral("steel_K1-2019_03_07-09_00_00.json"), goodMeasurement());
        const QString locked =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-10_00_00.json"), goodMeasurement());
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        const CommandResult result = runTool({QStringLiteral("find"), dir});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.out.endsWith(QLatin1String("\tsteel_K1-2019_03_07-09_00_00.json\n")));
        QCOMPARE(result.out.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(locked), qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(FindCommandTest)
#include "tst_findcommand.moc"
