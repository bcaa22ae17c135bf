// SPDX-License-Identifier: GPL-3.0-or-later
// The reading engine the index and the sync stand on, as its consumers rely on it: every file handed
// over once, in the byte order of the names; kept rows stepped beside the listing; a file kept only
// once it has settled; a stop honoured between batches.
#include "archive/readingengine.h"
#include "archivefolder.h"

#include <QtTest>

#include <atomic>
#include <map>

using namespace archive;

namespace {

// Rows kept by an earlier run, as the index and the database hand them on.
struct KeptName
{
    const char *name = nullptr;
    int nameSize = 0;
};

class KeptNames
{
public:
    explicit KeptNames(const QList<QByteArray> &names) : names(names) {}
    bool next(KeptName *row)
    {
        if (at == names.size())
            return false;
        *row = {names.at(at).constData(), int(names.at(at).size())};
        ++at;
        return true;
    }

private:
    QList<QByteArray> names;
    int at = 0;
};

struct Slot
{
    int index = -1;
    int reads = 0;
};

} // namespace

class ReadingEngineTest : public QObject
{
    Q_OBJECT

private slots:
    void everyFileOnceInNameOrder_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("takeStamps");
        QTest::newRow("empty folder") << 0 << false;
        QTest::newRow("one file, stamped") << 1 << true;
        QTest::newRow("a batch and one more") << readingBatch + 1 << false;
        QTest::newRow("three batches, stamped") << 2 * readingBatch + 7 << true;
    }
    void everyFileOnceInNameOrder()
    {
        QFETCH(int, files);
        QFETCH(bool, takeStamps);
        ArchiveFolder folder;
        // Made in an order that is not the names' own.
        for (int i = files - 1; i >= 0; --i)
            folder.addFile(QStringLiteral("steel_K%1-2024_01_10-08_00_00.json").arg(i),
                           ArchiveFolder::minutes(i));
        FolderListing listing(folder.path());
        QVERIFY(listing.list());
        listing.sort(takeStamps);
        QCOMPARE(listing.size(), files);

        std::vector<int> handed;
        BatchSteps<Slot> steps;
        steps.prepare = [](Slot &slot, int index) {
            slot.index = index;
            slot.reads = 0;
        };
        steps.read = [&listing](Slot &slot) { slot.reads += listing.stamp(slot.index) ? 1 : 100; };
        steps.handOver = [&handed](std::vector<Slot> &batch) {
            for (const Slot &slot : batch) {
                QCOMPARE(slot.reads, 1);
                handed.push_back(slot.index);
            }
        };
        QVERIFY(readInBatches(listing.size(), steps));
        QCOMPARE(int(handed.size()), files);
        for (int i = 0; i < files; ++i) {
            QCOMPARE(handed[size_t(i)], i);
            if (i > 0) {
                const QByteArray a = listing.names().bytes(i - 1);
                const QByteArray b = listing.names().bytes(i);
                QVERIFY(compareBytes(a.constData(), a.size(), b.constData(), b.size()) < 0);
            }
        }
    }

    void keptRowsStepBesideTheListing_data()
    {
        QTest::addColumn<QList<QByteArray>>("listed"); // in byte order
        QTest::addColumn<QList<QByteArray>>("kept");
        QTest::addColumn<QList<QByteArray>>("found");
        QTest::addColumn<QList<QByteArray>>("gone"); // in the order handed over
        using L = QList<QByteArray>;
        QTest::newRow("nothing kept") << L{"a", "b"} << L{} << L{} << L{};
        QTest::newRow("all kept") << L{"a", "b"} << L{"a", "b"} << L{"a", "b"} << L{};
        QTest::newRow("gone between and after")
            << L{"a", "c", "e"} << L{"b", "c", "d", "f"} << L{"c"} << L{"b", "d", "f"};
        QTest::newRow("a name the prefix of another")
            << L{"K", "K1"} << L{"K1", "K10"} << L{"K1"} << L{"K10"};
        QTest::newRow("bytes above ASCII sort last")
            << L{"z", "\xd0\x96"} << L{"\xd0\x96", "\xff"} << L{"\xd0\x96"} << L{"\xff"};
        QTest::newRow("nothing listed") << L{} << L{"a"} << L{} << L{"a"};
    }
    void keptRowsStepBesideTheListing()
    {
        QFETCH(QList<QByteArray>, listed);
        QFETCH(QList<QByteArray>, kept);
        KeptNames feed(kept);
        KeptRows<KeptNames, KeptName> rows(&feed);
        QCOMPARE(rows.start(), !kept.isEmpty());
        QList<QByteArray> found;
        QList<QByteArray> gone;
        const auto goneRow = [&gone](const KeptName &row) {
            gone.append(QByteArray(row.name, row.nameSize));
        };
        for (const QByteArray &name : listed)
            rows.seek(name, goneRow,
                      [&found](const KeptName &row) { found.append(QByteArray(row.name, row.nameSize)); });
        rows.drain(goneRow, [] { return true; });
        QTEST(found, "found");
        QTEST(gone, "gone");
    }

    void settledOnlyOnceItRested_data()
    {
        QTest::addColumn<qint64>("modifiedNs");
        QTest::addColumn<qint64>("changedNs");
        QTest::addColumn<qint64>("instantNs");
        QTest::addColumn<bool>("settled");
        const qint64 second = 1000000000;
        QTest::newRow("changed long before") << 5 * second << 5 * second << 9 * second << true;
        QTest::newRow("changed at the instant") << 5 * second << 9 * second << 9 * second << false;
        QTest::newRow("modified after, changed before")
            << 9 * second + 1 << 5 * second << 9 * second << false;
        QTest::newRow("a nanosecond before") << 9 * second - 1 << 9 * second - 1 << 9 * second << true;
    }
    void settledOnlyOnceItRested()
    {
        QFETCH(qint64, modifiedNs);
        QFETCH(qint64, changedNs);
        QFETCH(qint64, instantNs);
        platform::FileStamp stamp;
        stamp.modifiedSeconds = modifiedNs / 1000000000;
        stamp.modifiedNanoseconds = modifiedNs % 1000000000;
        stamp.changedSeconds = changedNs / 1000000000;
        stamp.changedNanoseconds = changedNs % 1000000000;
        QTEST(stamp.settledBefore(instantNs), "settled");
    }

    void stopEndsTheReadingBetweenBatches_data()
    {
        QTest::addColumn<int>("batchesBeforeStop");
        QTest::newRow("before the first") << 0;
        QTest::newRow("after the first") << 1;
        QTest::newRow("after the second") << 2;
    }
    void stopEndsTheReadingBetweenBatches()
    {
        QFETCH(int, batchesBeforeStop);
        int handedBatches = 0;
        std::atomic<int> reads{0};
        BatchSteps<Slot> steps;
        steps.prepare = [](Slot &slot, int index) { slot.index = index; };
        steps.read = [&reads](Slot &) { ++reads; };
        steps.handOver = [&handedBatches](std::vector<Slot> &) { ++handedBatches; };
        steps.stop = [&] { return handedBatches == batchesBeforeStop; };
        QVERIFY(!readInBatches(5 * readingBatch, steps));
        QCOMPARE(handedBatches, batchesBeforeStop);
        // The batch being read when the stop came is finished, none after it is begun.
        QCOMPARE(reads.load(), (batchesBeforeStop + 1) * readingBatch);
    }
};

QTEST_GUILESS_MAIN(ReadingEngineTest)
#include "tst_readingengine.moc"
