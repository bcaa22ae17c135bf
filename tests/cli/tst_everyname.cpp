// SPDX-License-Identifier: GPL-3.0-or-later
// Every name is itself: read again by the bytes the listing gave (never by a display form, which a
// file literally named like it shares), shown apart from every other name, and dated like any
// other, a moment the clocks skip included. Real files with the names as the system stores them.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

using namespace support;

namespace {

// A technology as long as a name allows: 255 bytes with the rest of the name.
const QByteArray longTechnology(255 - int(qstrlen("steel_-2024_01_02-00_00_00.json")), 'T');

// The names of the shared archive, as stored and as plain text shows them, with the melt each file
// holds.
const struct
{
    const char *tag;
    QByteArray name;
    QString shown;
    const char *melt;
} namedFiles[] = {
    {"not valid UTF-8", "steel_K1-2024_01_01-00_00_00\xff.json", "steel_K1-2024_01_01-00_00_00\\xff.json",
     "UNDEC-1"},
    {"literally named like that one's escaped form", "steel_K1-2024_01_01-00_00_00\\xff.json",
     "steel_K1-2024_01_01-00_00_00\\\\xff.json", "LITERAL-2"},
    {"255 bytes", "steel_" + longTechnology + "-2024_01_02-00_00_00.json",
     QString::fromLatin1("steel_" + longTechnology + "-2024_01_02-00_00_00.json"), "LONG-3"},
    {"a line separator in the technology", "steel_K\xe2\x80\xa8X-2024_01_03-00_00_00.json",
     "steel_K\\xe2\\x80\\xa8X-2024_01_03-00_00_00.json", "SEPARATOR-4"},
    {"undecodable twin one", "steel_K2-2024_01_04-00_00_00.\xfe.json",
     "steel_K2-2024_01_04-00_00_00.\\xfe.json", "TWIN-5"},
    {"undecodable twin two", "steel_K2-2024_01_04-00_00_00.\xff.json",
     "steel_K2-2024_01_04-00_00_00.\\xff.json", "TWIN-6"},
    {"ordinary", "steel_K1-2024_01_05-00_00_00.json", "steel_K1-2024_01_05-00_00_00.json", "PLAIN-7"},
};

// Writes a file under the exact bytes of its name, with a chosen modification time.
bool writeNamed(const QString &folder, const QByteArray &name, const QByteArray &content,
                const QDateTime &modified)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    FILE *file = std::fopen(path.constData(), "wb");
    if (!file)
        return false;
    const bool written =
        std::fwrite(content.constData(), 1, size_t(content.size()), file) == size_t(content.size());
    if (std::fclose(file) != 0 || !written)
        return false;
    const struct timespec times[2] = {{modified.toSecsSinceEpoch(), 0}, {modified.toSecsSinceEpoch(), 0}};
    return ::utimensat(AT_FDCWD, path.constData(), times, 0) == 0;
}

// Output of a poppler tool, or an empty text when it did not run. Its ligatures ("ﬀ" for "ff") are
// taken apart, so that a name reads as written.
QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput())
        .replace(QChar(0xfb00), QStringLiteral("ff"))
        .replace(QChar(0xfb01), QStringLiteral("fi"))
        .replace(QChar(0xfb02), QStringLiteral("fl"));
}

} // namespace

class EveryNameTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archive;

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archive = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(archive));
        const QDateTime modified(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        for (const auto &file : namedFiles)
            QVERIFY2(writeNamed(archive, file.name, measurementWithMelt(file.melt), modified), file.tag);
    }

    void cleanupTestCase()
    {
        // QTemporaryDir cannot remove a name it cannot decode.
        for (const auto &file : namedFiles)
            std::remove((QFile::encodeName(archive) + '/' + file.name).constData());
    }

    // Each page shows the file it names: the one the listing found, with its own values.
    void reportPagesReadEachFileByItsOwnName_data()
    {
        QTest::addColumn<QString>("melt");
        QTest::addColumn<QString>("shown"); // the name on the page
        for (const auto &file : namedFiles)
            QTest::newRow(file.tag) << QString::fromLatin1(file.melt) << file.shown;
    }
    void reportPagesReadEachFileByItsOwnName()
    {
        QFETCH(QString, melt);
        QFETCH(QString, shown);
        const QString pdf = root.filePath(QStringLiteral("report.pdf"));
        QFile::remove(pdf);

        const CommandResult result = runTool(
            {QStringLiteral("report"), archive, QStringLiteral("--melt"), melt, QStringLiteral("-o"), pdf});

        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QString text = pdfText(pdf);
        if (text.isEmpty())
            QSKIP("poppler's pdftotext reads the pages");
        const int page = text.indexOf(QStringLiteral("Page 2 of 2"));
        QVERIFY2(page > 0, qPrintable(text));
        const QString measurements = text.mid(page);
        QVERIFY2(measurements.contains(melt), qPrintable(measurements));
        QVERIFY2(!measurements.contains(QStringLiteral("cannot be read")), qPrintable(measurements));
        for (const auto &other : namedFiles) {
            if (melt != QLatin1String(other.melt))
                QVERIFY2(!measurements.contains(QLatin1String(other.melt)), other.melt);
        }
        // A long name is cut short on the page; its start is enough to tell it.
        QVERIFY2(measurements.contains(shown.left(24)), qPrintable(shown.left(24) + '\n' + measurements));
    }

    // Plain output shows every name once and apart from every other; check names each file's twins
    // and only files that share the bytes of their base names are twins.
    void plainOutputTellsEveryNameApart_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("lines"); // a regular expression each, matching some whole line
        QTest::addColumn<QString>("absent");    // matches no line
        const QString noIndex = QStringLiteral("--no-index");
        QTest::newRow("find")
            << QStringList{"find", "@", noIndex}
            << QStringList{"\tUNDEC-1\t.*\tsteel_K1-2024_01_01-00_00_00\\\\xff\\.json$",
                           "\tLITERAL-2\t.*\tsteel_K1-2024_01_01-00_00_00\\\\\\\\xff\\.json$",
                           "^2024-01-03 00:00:00\tK\\\\xe2\\\\x80\\\\xa8X\tSEPARATOR-4\t",
                           "^2024-01-02 00:00:00\t" + QString::fromLatin1(longTechnology) + "\tLONG-3\t"}
            << QStringLiteral("\u2028");
        QTest::newRow("check: undecodable twins name each other")
            << QStringList{"check", "@", noIndex}
            << QStringList{"^steel_K2-2024_01_04-00_00_00\\.\\\\xfe\\.json: shares its base name with "
                           "steel_K2-2024_01_04-00_00_00\\.\\\\xff\\.json: ",
                           "^steel_K2-2024_01_04-00_00_00\\.\\\\xff\\.json: shares its base name with "
                           "steel_K2-2024_01_04-00_00_00\\.\\\\xfe\\.json: ",
                           "^steel_K1-2024_01_01-00_00_00\\\\xff\\.json: the name is not valid UTF-8",
                           "^steel_K1-2024_01_01-00_00_00\\\\\\\\xff\\.json: the name does not follow",
                           "^checked 7 files: "}
            << QStringLiteral("with :|K1-2024_01_01.*shares its base name|\u2028");
    }
    void plainOutputTellsEveryNameApart()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, lines);
        QFETCH(QString, absent);
        arguments.replace(1, archive);

        const CommandResult result = runTool(arguments);

        const QStringList out = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            const QRegularExpression pattern(line);
            QVERIFY2(std::any_of(out.cbegin(), out.cend(),
                                 [&](const QString &l) { return pattern.match(l).hasMatch(); }),
                     qPrintable(line + QStringLiteral("\nmissing in:\n") + result.out));
        }
        const QRegularExpression never(absent);
        for (const QString &line : out)
            QVERIFY2(!never.match(line).hasMatch(), qPrintable(line));
        if (arguments.constFirst() == QLatin1String("find")) {
            QStringList names;
            for (const QString &line : out)
                names << line.section(QLatin1Char('\t'), -1);
            QStringList expected;
            for (const auto &file : namedFiles)
                expected << file.shown;
            names.sort();
            expected.sort();
            QCOMPARE(names, expected);
        }
    }

    // A name whose moment the clocks skip is dated like every other: read with the offset before the
    // change (02:30 on the last Sunday of March in Berlin is 01:30 UTC) and checked against its file's
    // time. The zone is the test's own choice, whatever the machine's.
    void daylightSavingGapIsDated_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<bool>("disagrees");
        const auto utc = [](int month, int day, int hour, int minute) {
            return QDateTime(QDate(2024, month, day), QTime(hour, minute), Qt::UTC);
        };
        QTest::newRow("in the gap, modified as named")
            << "steel_K1-2024_03_31-02_30_00.json" << utc(3, 31, 1, 30) << false;
        QTest::newRow("in the gap, modified four years earlier")
            << "steel_K1-2024_03_31-02_30_00.json" << QDateTime(QDate(2020, 3, 31), QTime(1, 30), Qt::UTC)
            << true;
        QTest::newRow("the first second of the gap")
            << "steel_K1-2024_03_31-02_00_00.json" << utc(3, 31, 1, 0) << false;
        QTest::newRow("the last second before the gap")
            << "steel_K1-2024_03_31-01_59_59.json" << utc(3, 31, 0, 59) << false;
        QTest::newRow("the hour told twice in autumn")
            << "steel_K1-2024_10_27-02_30_00.json" << utc(10, 27, 0, 30) << false;
        QTest::newRow("an ordinary day, two days off")
            << "steel_K1-2024_03_28-02_30_00.json" << utc(3, 30, 1, 30) << true;
    }
    void daylightSavingGapIsDated()
    {
        QFETCH(QString, name);
        QFETCH(QDateTime, modified);
        QFETCH(bool, disagrees);
        if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/Europe/Berlin")))
            QSKIP("the time zone Europe/Berlin is not installed (tzdata)");
        QTemporaryDir dir;
        QVERIFY(writeNamed(dir.path(), name.toUtf8(), measurementWithMelt("M-1"), modified));
        const QStringList berlin{QStringLiteral("TZ=Europe/Berlin")};

        const CommandResult listed =
            runProgram({QStringLiteral("check"), dir.path(), QStringLiteral("--list-times")}, berlin);
        const CommandResult checked =
            runProgram({QStringLiteral("check"), dir.path(), QStringLiteral("--no-index")}, berlin);

        QVERIFY2(listed.out.endsWith(QStringLiteral("checked 1 dated files: %1 modified more than a day "
                                                    "away from the moment in their names\n")
                                         .arg(disagrees ? 1 : 0)),
                 qPrintable(listed.out));
        QCOMPARE(listed.exitCode, disagrees ? 1 : 0);
        QCOMPARE(checked.out.contains(QStringLiteral("(1 of 1 dated files are so)")), disagrees);
        QCOMPARE(checked.exitCode, disagrees ? 1 : 0);
    }
};

QTEST_MAIN(EveryNameTest)
#include "tst_everyname.moc"
