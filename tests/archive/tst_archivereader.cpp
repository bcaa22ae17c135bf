// SPDX-License-Identifier: GPL-3.0-or-later
// The reading of a whole archive on its own: what it hands over with the index is exactly what it
// hands over without one, cold, warm and after the archive changed; files come in the byte order of
// their names; a file gone since the listing is left out; a folder that cannot be listed is refused.
#include "archive/archivereader.h"
#include "archive/measurementindex.h"
#include "measurement/contentfindings.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>

namespace {

// More than two of the reader's batches (2048 files each), so that reused batch places are crossed;
// the other cases need fewer (files are slow to make on some file systems).
constexpr int manyFiles = 2 * 2048 + 150;
constexpr int someFiles = 300;
constexpr qint64 plantStep = 20 * 60;

QString bitsOf(const std::optional<double> &value)
{
    if (!value)
        return QStringLiteral("none");
    quint64 bits = 0;
    std::memcpy(&bits, &*value, sizeof bits);
    return QString::number(bits, 16);
}

QString textOf(const std::optional<QString> &text)
{
    return text ? QLatin1Char('"') + *text + QLatin1Char('"') : QStringLiteral("none");
}

// Everything the reader hands over of a file, numbers by their bits.
QString described(const archive::ArchiveFile &file)
{
    const platform::FileStamp &s = file.stamp;
    QStringList parts{file.fileName, QString::fromLatin1(file.encodedName.toHex()),
                      QString::number(file.undecodableName)};
    for (const qint64 v : {s.size, s.modifiedSeconds, s.modifiedNanoseconds, s.changedSeconds,
                           s.changedNanoseconds, qint64(s.inode), qint64(s.device), qint64(s.mount)})
        parts << QString::number(v);
    if (!file.digest)
        return parts.join(QLatin1Char(' ')) + QStringLiteral(" unread");
    const measurement::MeasurementDigest &d = *file.digest;
    for (const std::optional<QString> *text :
         {&d.smelt, &d.temperatureText, &d.emfText, &d.oxidation, &d.aluminiumMass, &d.carbon, &d.status})
        parts << textOf(*text);
    parts << (d.statusCode ? QString::number(*d.statusCode) : QStringLiteral("none"));
    for (const measurement::CurveSummary *curve : {&d.emf, &d.temperature})
        parts << QString::number(curve->samples) << bitsOf(curve->minimum) << bitsOf(curve->maximum);
    return parts.join(QLatin1Char(' ')) + QLatin1Char(' ') + d.findings.join(QLatin1Char('|'));
}

QStringList readAll(const QString &directory, bool useIndex, const QString &wantedPrefix = QString())
{
    archive::ArchiveReadOptions options;
    options.useIndex = useIndex;
    if (!wantedPrefix.isEmpty())
        options.wanted = [wantedPrefix](QStringView name) { return name.startsWith(wantedPrefix); };
    QStringList seen;
    const bool listed = archive::readArchive(
        directory, options, [&seen](const archive::ArchiveFile &file) { seen << described(file); });
    if (!listed)
        seen << QStringLiteral("not listed");
    return seen;
}

// Files of other kinds than the plant's, each read in its own way.
void addOddFiles(const QString &directory)
{
    const QDateTime at(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC);
    support::writeFile(directory, "steel_K1-2024_03_01-08_00_00.json", "{\"Smelt\":1}\n", at);
    support::writeFile(directory, "steel_K1-2024_03_01-08_10_00.json", QByteArray(), at);
    support::writeFile(directory, "steel_K1-2024_03_01-08_20_00.json", "not json\nmore\n", at);
    support::writeFile(directory, "steel_K1-2024_03_01-08_30_00.json",
                       support::measurementDocument({"-0", "0", "12,5", " nan", "1e400"},
                                                    support::ramp(3, 1, 1), support::goodResults("99")),
                       at);
    support::writeFile(directory, "steel_DS-2024_03_01-08_40_00.json",
                       "\xef\xbb\xbf" + support::goodMeasurement(), at);
    support::writeFile(directory, "not-an-archive-file.json", support::goodMeasurement(), at);
}

// What happens to the archive between the first reading with the index and the second.
enum Change
{
    none,
    rewrittenSameSizeAndTime,
    removed,
    added,
    renamed,
};

void applyChange(const QString &directory, Change what)
{
    const QString first = directory + QLatin1Char('/') + support::plantFileName(0, plantStep);
    switch (what) {
    case rewrittenSameSizeAndTime: {
        // The same length and the old modification time: only the change time tells.
        const QDateTime modified = QFileInfo(first).lastModified();
        QByteArray content = support::plantMeasurement(0);
        content.replace("\"Smelt\":\"40000\"", "\"Smelt\":\"49999\"");
        QVERIFY(support::writeStampedFile(first, content, modified));
        break;
    }
    case removed:
        QVERIFY(QFile::remove(first));
        break;
    case added:
        support::writeFile(directory, "steel_K1-2030_01_01-00_00_00.json", support::measurementLine("new"));
        break;
    case renamed:
        QVERIFY(QFile::rename(first, directory + QStringLiteral("/steel_ZZ-2017_01_01-00_00_00.json")));
        break;
    case none:
        break;
    }
}

} // namespace

class ArchiveReaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Files written a moment ago go into the index too, so that the warm runs read from it.
        archive::setIndexSettleMilliseconds(0);
    }

    void readingWithTheIndexEqualsReadingWithout_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("runsBefore"); // with the index, before the compared one
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("wanted");
        QTest::newRow("cold: the index filled as the files are read")
            << someFiles << 0 << int(none) << QString();
        QTest::newRow("warm: every file from the index") << someFiles << 1 << int(none) << QString();
        QTest::newRow("warm, a file rewritten with its size and time kept")
            << someFiles << 1 << int(rewrittenSameSizeAndTime) << QString();
        QTest::newRow("warm, a file removed") << someFiles << 1 << int(removed) << QString();
        QTest::newRow("warm, a file added") << someFiles << 1 << int(added) << QString();
        QTest::newRow("warm, a file renamed") << someFiles << 1 << int(renamed) << QString();
        QTest::newRow("warm, names filtered")
            << someFiles << 1 << int(removed) << QStringLiteral("steel_K1-");
        QTest::newRow("filtered first, then all") << someFiles << -1 << int(none) << QString();
        QTest::newRow("across batches: cold, then warm after a rewrite")
            << manyFiles << 1 << int(rewrittenSameSizeAndTime) << QString();
    }

    void readingWithTheIndexEqualsReadingWithout()
    {
        QFETCH(int, files);
        QFETCH(int, runsBefore);
        QFETCH(int, change);
        QFETCH(QString, wanted);
        QTemporaryDir dir;
        QVERIFY(support::writePlantArchive(dir.path(), files, plantStep));
        addOddFiles(dir.path());
        QTest::qWait(20); // past the settling time of 0 ms, whatever the clocks' resolution
        if (runsBefore < 0)
            readAll(dir.path(), true, QStringLiteral("steel_K2-"));
        for (int run = 0; run < runsBefore; ++run)
            QCOMPARE(readAll(dir.path(), true), readAll(dir.path(), false));
        applyChange(dir.path(), Change(change));
        const QStringList fresh = readAll(dir.path(), false, wanted);
        QVERIFY(fresh.size() > files / 5);
        QCOMPARE(readAll(dir.path(), true, wanted), fresh);
        // And once more, from what the compared run filed.
        QCOMPARE(readAll(dir.path(), true, wanted), fresh);
    }

    void filesComeInTheByteOrderOfTheirNames()
    {
        QTemporaryDir dir;
        QStringList names{"steel_K1-2024_01_01-00_00_00.json", "steel_AL-2025_01_01-00_00_00.json",
                          "steel_Ö1-2020_01_01-00_00_00.json", "steel_K1-2024_01_01-00_00_00.json.json"};
#ifndef Q_OS_WIN // one name there, whatever its case
        names << "steel_k1-2024_01_01-00_00_00.json";
#endif
        for (int i = 0; i < names.size(); ++i)
            support::writeFile(dir.path(), names[i], support::measurementLine(QString::number(i)),
                               support::fixedTime().addSecs(-i));
        QStringList seen;
        archive::readArchive(dir.path(), archive::ArchiveReadOptions(),
                             [&seen](const archive::ArchiveFile &file) { seen << file.fileName; });
        QStringList expected = names;
        std::sort(expected.begin(), expected.end(),
                  [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
        QCOMPARE(seen, expected);
    }

    void fileGoneSinceTheListingIsLeftOut_data()
    {
        QTest::addColumn<bool>("indexed");
        QTest::newRow("read from disk") << false;
        QTest::newRow("known to the index") << true;
    }

    // The listing names a file; before a reader looks at it, it is removed. It is no longer part of
    // the archive: left out, not named unreadable, and not served from the index afterwards.
    void fileGoneSinceTheListingIsLeftOut()
    {
        QFETCH(bool, indexed);
        QTemporaryDir dir;
        const QString gone = support::writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json",
                                                support::measurementLine("A-1"), support::fixedTime());
        support::writeFile(dir.path(), "steel_K1-2024_01_10-09_00_00.json", support::measurementLine("B-1"),
                           support::fixedTime());
        QTest::qWait(20);
        const auto read = [&](bool removeWhileListing) {
            archive::ArchiveReadOptions options;
            options.useIndex = indexed;
            options.rulesVersion = QStringLiteral("test");
            if (removeWhileListing)
                options.wanted = [&](QStringView name) {
                    if (name == QFileInfo(gone).fileName())
                        QFile::remove(gone);
                    return true;
                };
            QStringList seen;
            archive::readArchive(dir.path(), options, [&seen](const archive::ArchiveFile &file) {
                seen += file.fileName + (file.digest ? QString() : QStringLiteral(" unreadable"));
            });
            return seen;
        };
        QCOMPARE(read(false).size(), 2);
        const QStringList remaining{QStringLiteral("steel_K1-2024_01_10-09_00_00.json")};
        QCOMPARE(read(true), remaining);
        QCOMPARE(read(false), remaining);
    }

    void readingAskedToStopKeepsTheIndex_data()
    {
        QTest::addColumn<int>("stopAfter"); // files handed over before the stop is asked
        QTest::newRow("at once") << 0;
        QTest::newRow("after the first batch") << 2048;
    }

    // A reading stopped early hands over no more, and the index forgets nothing of the files it did
    // not reach: a full reading afterwards still takes them from the index, equal to one without.
    void readingAskedToStopKeepsTheIndex()
    {
        QFETCH(int, stopAfter);
        QTemporaryDir dir;
        QVERIFY(support::writePlantArchive(dir.path(), manyFiles, plantStep));
        QTest::qWait(20);
        const QStringList whole = readAll(dir.path(), true);
        archive::ArchiveReadOptions options;
        int handedOver = 0;
        options.stopRequested = [&handedOver, stopAfter] { return handedOver >= stopAfter; };
        QVERIFY(
            archive::readArchive(dir.path(), options, [&](const archive::ArchiveFile &) { ++handedOver; }));
        QCOMPARE(handedOver, stopAfter);
        const auto rows = [&dir] {
            const std::unique_ptr<archive::MeasurementIndex> index =
                archive::MeasurementIndex::open(dir.path(), measurement::contentRulesVersion());
            int count = 0;
            archive::MeasurementIndex::Row row;
            while (index && index->nextRow(&row))
                ++count;
            return count;
        };
        QCOMPARE(rows(), manyFiles);
        QCOMPARE(readAll(dir.path(), true), whole);
        QCOMPARE(readAll(dir.path(), false), whole);
    }

    void folderThatCannotBeListedIsRefused_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a file") << "file";
    }

    void folderThatCannotBeListedIsRefused()
    {
        QFETCH(QString, what);
        QTemporaryDir dir;
        QString folder = dir.filePath(QStringLiteral("missing"));
        if (what == QLatin1String("file"))
            folder = support::writeFile(dir.path(), "steel_K1-2024_01_10-08_00_00.json",
                                        support::goodMeasurement());
        for (const bool useIndex : {false, true}) {
            archive::ArchiveReadOptions options;
            options.useIndex = useIndex;
            int visited = 0;
            QVERIFY(!archive::readArchive(folder, options,
                                          [&visited](const archive::ArchiveFile &) { ++visited; }));
            QCOMPARE(visited, 0);
        }
    }
};

QTEST_GUILESS_MAIN(ArchiveReaderTest)
#include "tst_archivereader.moc"
