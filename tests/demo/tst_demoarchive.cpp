// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/demoarchive.h"
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "archive/archivename.h"
#include "measurement/measurementfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

using namespace support;

namespace {

struct FileState
{
    QByteArray content;
    qint64 modifiedMsecs = 0;
    bool operator==(const FileState &other) const
    {
        return content == other.content && modifiedMsecs == other.modifiedMsecs;
    }
};

// The files a demo run leaves, to read and to compare with the demo archive of another run: every entry
// of the folder (hidden ones and folders included) by name, with its bytes and modification time.
QMap<QString, FileState> demoFiles(const QString &directory)
{
    QMap<QString, FileState> state;
    const QFileInfoList entries =
        QDir(directory).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        QFile file(entry.filePath());
        FileState fileState;
        if (entry.isFile() && file.open(QIODevice::ReadOnly))
            fileState.content = file.readAll();
        fileState.modifiedMsecs = entry.lastModified().toMSecsSinceEpoch();
        state.insert(entry.fileName(), fileState);
    }
    return state;
}

QDateTime momentAsLocalTime(const archive::Moment &moment)
{
    return QDateTime(moment.date, moment.time, Qt::LocalTime);
}

QJsonObject documentOf(const QByteArray &content)
{
    return QJsonDocument::fromJson(content).object();
}

QStringList curveTexts(const QJsonObject &document, int index)
{
    QStringList texts;
    for (const QJsonValue &value : document.value(QStringLiteral("Archives"))
                                       .toArray()
                                       .at(index)
                                       .toObject()
                                       .value(QStringLiteral("values"))
                                       .toArray())
        texts.append(value.toString());
    return texts;
}

const QStringList resultKeys = {QStringLiteral("Smelt"),  QStringLiteral("Temp"),
                                QStringLiteral("Eds"),    QStringLiteral("OxActivity"),
                                QStringLiteral("MassAl"), QStringLiteral("Carbon")};

} // namespace

class DemoArchiveTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archiveDir;
    QMap<QString, FileState> files;

    QString freshFolder(const QString &name)
    {
        const QString path = root.filePath(name);
        QDir(path).removeRecursively();
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archiveDir = root.filePath(QStringLiteral("archive"));
        const CommandResult result =
            runTool({QStringLiteral("demo"), archiveDir, QStringLiteral("--seed"), QStringLiteral("7")});
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        files = demoFiles(archiveDir);
    }

    void writesEnoughFilesOfSeveralTechnologiesOverMoreThanAYear()
    {
        QVERIFY2(files.size() >= 300, qPrintable(QString::number(files.size())));
        QSet<QString> technologies;
        QDate first, last;
        QSet<QDate> days;
        for (const QString &name : files.keys()) {
            technologies.insert(archive::technologyOfFile(name));
            const QDate date = archive::momentOfFile(name).date;
            first = first.isValid() ? std::min(first, date) : date;
            last = last.isValid() ? std::max(last, date) : date;
            days.insert(date);
        }
        QVERIFY(technologies.size() >= 3);
        QVERIFY2(first.daysTo(last) > 365, qPrintable(first.toString() + last.toString()));
        QVERIFY2(files.size() >= 3 * days.size(), "several measurements a day");
    }

    void everyNameFollowsTheArchiveGrammar()
    {
        for (const QString &name : files.keys()) {
            const archive::Moment moment = archive::momentOfFile(name);
            QVERIFY2(moment.isValid(), qPrintable(name));
            QCOMPARE(archive::archiveFileName(archive::technologyOfFile(name), moment), name);
            const QString technology = archive::technologyOfFile(name);
            QVERIFY2(!technology.isEmpty() &&
                         !technology.contains(QRegularExpression(QStringLiteral("[-_.*?\\[]"))),
                     qPrintable(name));
        }
    }

    void modificationTimesAreTheMoments()
    {
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            const QDateTime expected = momentAsLocalTime(archive::momentOfFile(it.key()));
            QCOMPARE(it->modifiedMsecs, expected.toMSecsSinceEpoch());
        }
    }

    void everyFileIsOneLineOfStringValues()
    {
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            const QByteArray &content = it.value().content;
            QVERIFY2(content.endsWith('\n') && content.count('\n') == 1, qPrintable(it.key()));
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(content, &error);
            QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), qPrintable(it.key()));
            const QJsonObject object = document.object();
            for (const QString &key : object.keys()) {
                if (key == QLatin1String("Archives"))
                    continue;
                // DemoSeed: the seed that makes the file again, by which a later run knows its own files.
                QVERIFY2(resultKeys.contains(key) || key == QLatin1String("Status") ||
                             key == QLatin1String("DemoSeed"),
                         qPrintable(key));
                QVERIFY2(object.value(key).isString(), qPrintable(it.key() + QLatin1Char(' ') + key));
            }
            const QJsonArray archives = object.value(QStringLiteral("Archives")).toArray();
            QCOMPARE(archives.size(), 2);
            for (const QJsonValue &curve : archives) {
                const QJsonArray values = curve.toObject().value(QStringLiteral("values")).toArray();
                QVERIFY(!values.isEmpty() && values.size() <= measurement::samplesPerCurve);
                for (const QJsonValue &sample : values)
                    QVERIFY2(sample.isString(), qPrintable(it.key()));
            }
            const measurement::Measurement read = measurement::parseMeasurement(content);
            QVERIFY2(!read.findings.documentNotParsed && !read.findings.nonStringSamples &&
                         !read.findings.nonStringResults,
                     qPrintable(it.key()));
        }
    }

    void curvesRiseToARealisticPlateau()
    {
        int ordinary = 0;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            const QJsonObject document = documentOf(it->content);
            const QStringList temperature = curveTexts(document, 1);
            const QStringList emf = curveTexts(document, 0);
            if (document.value(QStringLiteral("Status")).toString() != QLatin1String("8") ||
                temperature.size() != 160 || emf.size() != 160)
                continue;
            ++ordinary;
            const measurement::Measurement read = measurement::parseMeasurement(it->content);
            // Well below the melt when the probe goes in, at the plateau within a few seconds.
            QVERIFY2(read.temperature.first() < 1000.0, qPrintable(it.key()));
            const auto plateauFrom = [](const QVector<double> &curve, int from) {
                const auto [low, high] = std::minmax_element(curve.begin() + from, curve.end());
                return std::make_pair(*low, *high);
            };
            const auto [tLow, tHigh] = plateauFrom(read.temperature, 80);
            QVERIFY2(tLow >= 1525.0 && tHigh <= 1685.0 && tHigh - tLow < 10.0, qPrintable(it.key()));
            const auto [eLow, eHigh] = plateauFrom(read.emf, 100);
            QVERIFY2(eHigh - eLow > 0.0 && eHigh - eLow < 15.0, qPrintable(it.key()));
        }
        QVERIFY(ordinary > 250);
    }

    void unusualCasesArePresent()
    {
        QSet<QString> statuses;
        int withoutStatus = 0, withNan = 0, withOverflow = 0, shortRecordings = 0, unknownCodes = 0;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            const QJsonObject document = documentOf(it->content);
            if (document.contains(QStringLiteral("Status"))) {
                const QString status = document.value(QStringLiteral("Status")).toString();
                statuses.insert(status);
                unknownCodes += measurement::isKnownStatusCode(status.toInt()) ? 0 : 1;
            } else {
                ++withoutStatus;
            }
            for (const QString &key : resultKeys) {
                withNan += document.value(key).toString() == QLatin1String("nan") ? 1 : 0;
                withOverflow += document.value(key).toString() == QLatin1String("32767") ? 1 : 0;
            }
            if (curveTexts(document, 0).size() < 160 && curveTexts(document, 1).size() < 160)
                ++shortRecordings;
        }
        for (const char *code : {"3", "4", "5", "6", "7", "8", "9", "11", "12"})
            QVERIFY2(statuses.contains(QLatin1String(code)), code);
        QVERIFY(unknownCodes >= 2);
        QVERIFY(withoutStatus >= 1);
        QVERIFY(withNan >= 1);
        QVERIFY(withOverflow >= 1);
        QVERIFY(shortRecordings >= 3);
    }

    void newestMeasurementIsAnOrdinaryGoodOne()
    {
        const QString newest =
            *std::max_element(files.keyBegin(), files.keyEnd(), [](const QString &a, const QString &b) {
                return momentAsLocalTime(archive::momentOfFile(a)) <
                       momentAsLocalTime(archive::momentOfFile(b));
            });
        const measurement::Measurement read = measurement::parseMeasurement(files.value(newest).content);
        QCOMPARE(read.status.value_or(QString()), measurement::statusText(8));
        for (const auto &result : {read.smelt, read.temperatureText, read.emfText, read.oxidation,
                                   read.aluminiumMass, read.carbon})
            QVERIFY2(result && !result->isEmpty(), qPrintable(newest));
        QCOMPARE(std::count_if(read.temperature.begin(), read.temperature.end(),
                               [](double v) { return std::isfinite(v); }),
                 160);
        QCOMPARE(std::count_if(read.emf.begin(), read.emf.end(), [](double v) { return std::isfinite(v); }),
                 160);
    }

    void sameSeedGivesIdenticalFiles()
    {
        const QString again = freshFolder(QStringLiteral("again"));
        QCOMPARE(runTool({QStringLiteral("demo"), again, QStringLiteral("--seed=7")}).exitCode, 0);
        QVERIFY(demoFiles(again) == files);
    }

    void differentSeedsGiveDifferentContents()
    {
        const QString other = freshFolder(QStringLiteral("other"));
        QCOMPARE(
            runTool({QStringLiteral("demo"), other, QStringLiteral("--seed"), QStringLiteral("8")}).exitCode,
            0);
        const QMap<QString, FileState> otherFiles = demoFiles(other);
        int differing = 0;
        for (auto it = otherFiles.cbegin(); it != otherFiles.cend(); ++it)
            differing += files.value(it.key()).content != it->content ? 1 : 0;
        QVERIFY2(differing > otherFiles.size() * 9 / 10, qPrintable(QString::number(differing)));
    }

    void rewritesItsOwnEarlierArchive()
    {
        // GIVEN a folder holding part of an earlier demo archive made with another seed
        const QString folder = freshFolder(QStringLiteral("earlier"));
        QCOMPARE(
            runTool({QStringLiteral("demo"), folder, QStringLiteral("--seed"), QStringLiteral("3")}).exitCode,
            0);
        const QStringList names = QDir(folder).entryList(QDir::Files);
        QVERIFY(QFile::remove(folder + QLatin1Char('/') + names.first()));
        // WHEN the demo is written again with seed 7
        const CommandResult result =
            runTool({QStringLiteral("demo"), folder, QStringLiteral("--seed"), QStringLiteral("7")});
        // THEN the folder holds exactly the seed-7 archive
        QCOMPARE(result.exitCode, 0);
        QVERIFY(demoFiles(folder) == files);
    }

    // An earlier demo archive is recognised by its files' bytes, not by their names: a file changed by
    // hand, however little, is someone's data and makes the command refuse and change nothing.
    void rewritesOnlyFilesByteForByteAsItWroteThem_data()
    {
        QTest::addColumn<QString>("edit"); // what is done to the earlier archive's first file
        QTest::addColumn<bool>("refused");
        QTest::newRow("left as written") << QStringLiteral("none") << false;
        QTest::newRow("the melt changed by hand, same length") << QStringLiteral("melt") << true;
        QTest::newRow("a byte added at the end") << QStringLiteral("append") << true;
        QTest::newRow("the content of another demo file") << QStringLiteral("swap") << true;
        QTest::newRow("the seed it names changed") << QStringLiteral("seed") << true;
        QTest::newRow("emptied") << QStringLiteral("empty") << true;
    }
    void rewritesOnlyFilesByteForByteAsItWroteThem()
    {
        QFETCH(QString, edit);
        QFETCH(bool, refused);
        const QString folder = freshFolder(QStringLiteral("edited"));
        QCOMPARE(
            runTool({QStringLiteral("demo"), folder, QStringLiteral("--seed"), QStringLiteral("3")}).exitCode,
            0);
        const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
        QFile first(folder + QLatin1Char('/') + names.first());
        QVERIFY(first.open(QIODevice::ReadOnly));
        QByteArray content = first.readAll();
        first.close();
        if (edit == QLatin1String("melt")) {
            const int melt = content.indexOf("\"Smelt\":\"") + 9;
            content[melt] = content[melt] == '9' ? '8' : '9';
        } else if (edit == QLatin1String("append")) {
            content += ' ';
        } else if (edit == QLatin1String("swap")) {
            QFile second(folder + QLatin1Char('/') + names.last());
            QVERIFY(second.open(QIODevice::ReadOnly));
            content = second.readAll();
        } else if (edit == QLatin1String("seed")) {
            content.replace("\"DemoSeed\":\"3\"", "\"DemoSeed\":\"4\"");
        } else if (edit == QLatin1String("empty")) {
            content.clear();
        }
        if (edit != QLatin1String("none"))
            writeFile(folder, names.first(), content);
        const QMap<QString, QString> before = support::snapshot(folder);

        const CommandResult result =
            runTool({QStringLiteral("demo"), folder, QStringLiteral("--seed"), QStringLiteral("7")});

        if (!refused) {
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
            QVERIFY(demoFiles(folder) == files);
            return;
        }
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(names.first()) && result.err.contains(QLatin1String("byte for byte")),
                 qPrintable(result.err));
        QCOMPARE(support::snapshot(folder), before);
    }

    void refusesAForeignFolder_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("a text file") << QStringLiteral("notes.txt") << false;
        QTest::newRow("a hidden file") << QStringLiteral(".directory") << false;
        QTest::newRow("a subfolder") << QStringLiteral("old") << true;
        QTest::newRow("a measurement the demo does not write")
            << QStringLiteral("steel_K1-2019_03_07-14_05_09.json") << false;
        QTest::newRow("a folder named like a demo file") << files.firstKey() << true;
        QTest::newRow("a folder named like an unfinished output")
            << QStringLiteral(".steel-archive-Ab12Cd") << true;
    }

    // A run killed while it wrote (SIGKILL, a power cut) leaves its unfinished file behind; that
    // must not keep a later run from writing the archive.
    void passesOverTheUnfinishedFileOfAKilledRun_data()
    {
        QTest::addColumn<bool>("earlierDemo");
        QTest::addColumn<QString>("leftover");
        QTest::newRow("in an otherwise empty folder") << false << QStringLiteral(".steel-archive-Ab12Cd");
        QTest::newRow("beside an earlier demo archive") << true << QStringLiteral(".steel-archive-zz9Q0x");
    }
    void passesOverTheUnfinishedFileOfAKilledRun()
    {
        QFETCH(bool, earlierDemo);
        QFETCH(QString, leftover);
        const QString folder = freshFolder(QStringLiteral("leftover"));
        if (earlierDemo)
            QCOMPARE(runTool({QStringLiteral("demo"), folder, QStringLiteral("--seed"), QStringLiteral("3")})
                         .exitCode,
                     0);
        QVERIFY(QDir().mkpath(folder));
        writeFile(folder, leftover, QByteArray(100, 'x'));

        const CommandResult result =
            runTool({QStringLiteral("demo"), folder, QStringLiteral("--seed"), QStringLiteral("7")});

        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY(QDir(folder).remove(leftover)); // passed over, not taken for its own
        QVERIFY(demoFiles(folder) == files);
    }

    void refusesAForeignFolder()
    {
        QFETCH(QString, entry);
        QFETCH(bool, isFolder);
        const QString folder = freshFolder(QStringLiteral("foreign"));
        QVERIFY(QDir().mkpath(folder));
        if (isFolder)
            QVERIFY(QDir(folder).mkdir(entry));
        else
            writeFile(folder, entry, "keep me\n");
        const QMap<QString, QString> before = support::snapshot(folder);

        const CommandResult result = runTool({QStringLiteral("demo"), folder});

        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(entry) && result.err.contains(QLatin1String("refusing")),
                 qPrintable(result.err));
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(support::snapshot(folder), before);
    }

    void refusesAPathThatIsAFile()
    {
        const QString path = writeFile(root.path(), QStringLiteral("plain-file"), "data\n");
        const CommandResult result = runTool({QStringLiteral("demo"), path});
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QDir::toNativeSeparators(path)), qPrintable(result.err));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("data\n"));
    }

    void rejectsBadUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("withFolder");
        QTest::newRow("letters as seed")
            << QStringList{QStringLiteral("--seed"), QStringLiteral("abc")} << true;
        QTest::newRow("negative seed") << QStringList{QStringLiteral("--seed"), QStringLiteral("-1")} << true;
        QTest::newRow("fractional seed")
            << QStringList{QStringLiteral("--seed"), QStringLiteral("1.5")} << true;
        QTest::newRow("seed beyond 64 bits")
            << QStringList{QStringLiteral("--seed"), QStringLiteral("18446744073709551616")} << true;
        QTest::newRow("seed without value") << QStringList{QStringLiteral("--seed")} << true;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--force")} << true;
        QTest::newRow("no folder") << QStringList{} << false;
    }

    void rejectsBadUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, withFolder);
        const QString folder = freshFolder(QStringLiteral("usage"));
        if (withFolder)
            arguments.prepend(folder);
        const CommandResult result = runTool(QStringList{QStringLiteral("demo")} + arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY(!QFileInfo::exists(folder));
    }

    // The test process runs in UTC, where local time and UTC cannot be told apart.
    void modificationTimesFollowTheLocalZone_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::newRow("Europe/Berlin (daylight saving)") << QByteArray("Europe/Berlin");
        QTest::newRow("Asia/Yekaterinburg (UTC+5)") << QByteArray("Asia/Yekaterinburg");
    }

    void modificationTimesFollowTheLocalZone()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows takes the zone from its own setting, not from the TZ variable");
#endif
        QFETCH(QByteArray, zone);
        const QTimeZone timeZone(zone);
        if (!timeZone.isValid())
            QSKIP("time zone data not installed");
        const QString folder = freshFolder(QStringLiteral("zone"));
        const CommandResult result = runProgram({QStringLiteral("demo"), folder, QStringLiteral("--seed=7")},
                                                {QStringLiteral("TZ=") + QString::fromLatin1(zone)});
        QCOMPARE(result.exitCode, 0);
        const QMap<QString, FileState> zoned = demoFiles(folder);
        QCOMPARE(zoned.keys(), files.keys());
        for (auto it = zoned.cbegin(); it != zoned.cend(); ++it) {
            const archive::Moment moment = archive::momentOfFile(it.key());
            QCOMPARE(it->modifiedMsecs, QDateTime(moment.date, moment.time, timeZone).toMSecsSinceEpoch());
        }
    }
};

QTEST_GUILESS_MAIN(DemoArchiveTest)
#include "tst_demoarchive.moc"
