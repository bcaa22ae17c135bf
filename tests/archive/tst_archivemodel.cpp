// SPDX-License-Identifier: GPL-3.0-or-later
// The archive model and the selection cascade over it, without widgets: the lists a refresh, a choice
// and the watch's news leave, and the one rule for "newest".
#include "archive/archivelisting.h"
#include "archive/archivemodel.h"
#include "archive/archivename.h"
#include "archive/cascadeselection.h"
#include "archivefolder.h"

#include <QFile>
#include <QObject>
#include <QSignalSpy>
#include <QTest>

using namespace archive;

namespace {

constexpr qint64 second = 1000000000;

// "name@seconds" or "name@seconds.nanoseconds" as model files.
QVector<ArchiveEntry> filesOf(const QStringList &entries)
{
    QVector<ArchiveEntry> files;
    for (const QString &entry : entries) {
        const QString name = entry.section(QLatin1Char('@'), 0, 0);
        const QString when = entry.section(QLatin1Char('@'), 1);
        files.append(ArchiveEntry{name, when.section(QLatin1Char('.'), 0, 0).toLongLong() * second +
                                            when.section(QLatin1Char('.'), 1).toLongLong()});
    }
    return files;
}

QStringList shown(const CascadeSelection &selection)
{
    QStringList texts;
    for (int level = 0; level < listLevels; ++level)
        texts.append(selection.list(ListLevel(level)).currentText());
    return texts;
}

QString chosenName(const CascadeSelection &selection)
{
    return selection.chosenFile() ? selection.chosenFile()->fileName : QString();
}

// What a refresh shows of a model: the technologies, the months, days and times down the first
// entry of each, and where it starts.
QStringList refreshView(const ArchiveModel &model)
{
    const QString technology = model.newestTechnology();
    const QString month = model.months(technology).value(0);
    const QString day = model.days(technology, month).value(0);
    QStringList view{model.technologies().join(','), technology, model.months(technology).join(','),
                     model.days(technology, month).join(',')};
    for (const TimeEntry &entry : model.times(technology, month, day))
        view.append(entry.time + ' ' + entry.file.fileName + ' ' + QString::number(entry.file.modifiedNsecs));
    return view;
}

} // namespace

class ArchiveModelTest : public QObject
{
    Q_OBJECT

private slots:
    void newestRule_data();
    void newestRule();
    void entryWrittenAgainMovesInItsList();
    void refreshChoice_data();
    void refreshChoice();
    void cascadeSteps();
    void followNews_data();
    void followNews();
    void burstEndsOnWhatARefreshChooses();
    void relistAfterGapKeepsAnOlderChoice();
    void firstViewGivesTheSameView_data();
    void firstViewGivesTheSameView();
    void startOnAnEarlierListing_data();
    void startOnAnEarlierListing();
    void newsWhileAwaitingOutliveTheListing();
    void fileChosenByNameWhileAwaitingIsFound();
};

void ArchiveModelTest::newestRule_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("newest");
    QTest::addColumn<QStringList>("times"); // of K1 2025.01.26, in list order

    QTest::newRow("nanoseconds decide within one millisecond")
        << QStringList{"steel_K1-2025_01_26-10_00_00.json@100.000000400",
                       "steel_K1-2025_01_26-09_00_00.json@100.000000900"}
        << "steel_K1-2025_01_26-09_00_00.json" << QStringList{"09:00:00", "10:00:00"};
    QTest::newRow("equal instants: the name first by character code")
        << QStringList{"steel_K1-2025_01_26-10_00_00.json@100", "steel_K1-2025_01_26-09_00_00.json@100"}
        << "steel_K1-2025_01_26-09_00_00.json" << QStringList{"09:00:00", "10:00:00"};
    QTest::newRow("modification, not the moment in the name")
        << QStringList{"steel_K1-2025_01_26-23_00_00.json@5", "steel_K1-2025_01_26-01_00_00.json@6"}
        << "steel_K1-2025_01_26-01_00_00.json" << QStringList{"01:00:00", "23:00:00"};
    QTest::newRow("a misnamed copy never starts a refresh; its empty time entry goes last")
        << QStringList{"steel_K1-2025_01_26-10_00_00 (копия).json@9", "steel_K1-2025_01_26-10_00_00.json@5"}
        << "steel_K1-2025_01_26-10_00_00 (копия).json" << QStringList{"10:00:00", ""};
}

void ArchiveModelTest::newestRule()
{
    QFETCH(QStringList, files);
    QFETCH(QString, newest);
    ArchiveModel model;
    model.fill(QStringLiteral("archive"), filesOf(files));
    QCOMPARE(model.newest()->fileName, newest);
    QStringList times;
    for (const TimeEntry &entry :
         model.times(QStringLiteral("K1"), QStringLiteral("2025.01"), QStringLiteral("26")))
        times.append(entry.time);
    QTEST(times, "times");

    // The listing of a real folder orders by the same rule.
    QVector<ArchiveEntry> sorted = filesOf(files);
    std::sort(sorted.begin(), sorted.end(), [](const ArchiveEntry &a, const ArchiveEntry &b) {
        return isNewer(a.modifiedNsecs, a.fileName, b.modifiedNsecs, b.fileName);
    });
    QCOMPARE(sorted.first().fileName, model.newest()->fileName);
}

void ArchiveModelTest::entryWrittenAgainMovesInItsList()
{
    ArchiveModel model;
    model.fill(QStringLiteral("archive"),
               filesOf({"steel_K1-2025_01_26-10_00_00.json@10", "steel_K1-2025_01_26-11_00_00.json@20"}));
    QSignalSpy puts(&model, &ArchiveModel::filePut);

    // The same name at the same instant is no change; written again later it is, and it is one entry.
    QVERIFY(!model.put(filesOf({"steel_K1-2025_01_26-10_00_00.json@10"}).first()));
    QVERIFY(model.put(filesOf({"steel_K1-2025_01_26-10_00_00.json@30"}).first()));
    QCOMPARE(puts.count(), 1);
    const QVector<TimeEntry> times =
        model.times(QStringLiteral("K1"), QStringLiteral("2025.01"), QStringLiteral("26"));
    QCOMPARE(times.size(), 2);
    QCOMPARE(times.first().time, QStringLiteral("10:00:00"));
    QCOMPARE(model.newest()->modifiedNsecs, 30 * second);

    // Removed, the entry and its month go; names the listing does not take are never put.
    QVERIFY(model.remove(QStringLiteral("steel_K1-2025_01_26-10_00_00.json")));
    QVERIFY(model.remove(QStringLiteral("steel_K1-2025_01_26-11_00_00.json")));
    QCOMPARE(model.months(QStringLiteral("K1")), QStringList());
    QCOMPARE(model.technologies(), QStringList());
    QVERIFY(!model.newest());
    QVERIFY(!model.put(filesOf({"notes-2025_01_26-11_00_00.txt@40"}).first()));
    QCOMPARE(model.fileCount(), 0);
}

void ArchiveModelTest::refreshChoice_data()
{
    // files: "minute name"; lists: the current texts after a refresh; chosen: the file shown.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("technology of the newest file, newest month, latest day, newest file of it")
        << QStringList{"9 steel_K1-2019_02_28-10_00_00.json", "2 steel_K1-2019_03_07-09_00_00.json",
                       "3 steel_K1-2019_03_07-14_05_09.json", "1 steel_K2-2020_01_01-00_00_00.json"}
        << QStringList{"K1", "2019.03", "07", "14:05:09"} << "steel_K1-2019_03_07-14_05_09.json";
    QTest::newRow("no moment: the empty month entry chooses nothing")
        << QStringList{"1 steel_x-.json"} << QStringList{"x", "", "", ""} << QString();
    QTest::newRow("a misnamed newest file does not move the start")
        << QStringList{"9 steel_K1-2019_03_07-14_05_09 (копия).json", "5 steel_K2-2020_01_01-00_00_00.json",
                       "1 steel_K1-2019_03_07-14_05_09.json"}
        << QStringList{"K2", "2020.01", "01", "00:00:00"} << "steel_K2-2020_01_01-00_00_00.json";
}

void ArchiveModelTest::refreshChoice()
{
    QFETCH(QStringList, files);
    ArchiveFolder folder;
    folder.addFiles(files);
    CascadeSelection selection;
    QSignalSpy changes(&selection, &CascadeSelection::changed);
    QVERIFY(selection.refresh(folder.path()));
    QCOMPARE(changes.count(), 1);
    QTEST(shown(selection), "lists");
    QTEST(chosenName(selection), "chosen");
    QVERIFY(selection.isAtNewest());
}

void ArchiveModelTest::cascadeSteps()
{
    ArchiveFolder folder;
    folder.addFiles({"5 steel_K1-2019_03_07-14_05_09.json", "6 steel_K1-2019_03_07-09_00_00.json",
                     "1 steel_K1-2019_02_28-10_00_00.json", "0 steel_K2-2020_01_01-00_00_00.json"});
    CascadeSelection selection;
    selection.refresh(folder.path());
    const QString placeholder; // the entry that chooses nothing

    // A month chosen by hand: the day list refilled on its placeholder, the time list reset; the file
    // on show stays chosen until a time is.
    selection.choose(ListLevel::month, 2);
    QCOMPARE(selection.list(ListLevel::day).entries, (QStringList{placeholder, "28"}));
    QCOMPARE(selection.list(ListLevel::day).current, 0);
    QCOMPARE(selection.list(ListLevel::time).entries, QStringList{placeholder});
    QVERIFY(!selection.chosenFile());
    QVERIFY(!selection.isAtNewest());
    selection.choose(ListLevel::day, 1);
    selection.choose(ListLevel::time, 1);
    QCOMPARE(chosenName(selection), QStringLiteral("steel_K1-2019_02_28-10_00_00.json"));

    // The time list's placeholder changes nothing; an index past the end leaves no current entry.
    selection.choose(ListLevel::time, 0);
    QCOMPARE(chosenName(selection), QStringLiteral("steel_K1-2019_02_28-10_00_00.json"));
    selection.choose(ListLevel::technology, 9);
    QCOMPARE(selection.list(ListLevel::technology).current, -1);
    QCOMPARE(selection.list(ListLevel::month).entries, QStringList{placeholder});
    QVERIFY(!selection.chosenFile());

    // A file chosen by name goes down the lists.
    QVERIFY(selection.chooseFile(QStringLiteral("steel_K1-2019_03_07-09_00_00.json")));
    QCOMPARE(shown(selection), (QStringList{"K1", "2019.03", "07", "09:00:00"}));
    QVERIFY(selection.isAtNewest());
    QVERIFY(!selection.chooseFile(QStringLiteral("steel_K9-2019_03_07-09_00_00.json")));
}

enum class News
{
    put,
    remove,
};
Q_DECLARE_METATYPE(News)

void ArchiveModelTest::followNews_data()
{
    // The archive at the start: K1 of 2025.01.26 at 10:00 (newest) and 09:00, K2 of 2025.01.20.
    QTest::addColumn<bool>("atNewest"); // else 09:00 is chosen by hand first
    QTest::addColumn<News>("news");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("lists"); // current texts afterwards
    QTest::addColumn<QStringList>("times"); // the time list afterwards, placeholder left out
    QTest::addColumn<int>("fileChanges");   // how many times the file on show changed

    const QStringList k1day{"K1", "2025.01", "26"};
    QTest::newRow("a new file of the day on show")
        << true << News::put << QStringList{"steel_K1-2025_01_26-11_00_00.json@2000000000"}
        << (k1day + QStringList{"11:00:00"}) << QStringList{"11:00:00", "10:00:00", "09:00:00"} << 1;
    QTest::newRow("arrived out of order: an older moment written last is the newest")
        << true << News::put << QStringList{"steel_K1-2025_01_26-08_00_00.json@2000000000"}
        << (k1day + QStringList{"08:00:00"}) << QStringList{"08:00:00", "10:00:00", "09:00:00"} << 1;
    QTest::newRow("another technology")
        << true << News::put << QStringList{"steel_K2-2025_01_27-06_00_00.json@2000000000"}
        << QStringList{"K2", "2025.01", "27", "06:00:00"} << QStringList{"06:00:00"} << 1;
    QTest::newRow("misnamed: the lists gain it, the choice stays, later ones are shown")
        << true << News::put
        << QStringList{"steel_K1-2025_01_26-11_00_00 (копия).json@2000000000",
                       "steel_K1-2025_01_26-12_00_00.json@2000000001"}
        << (k1day + QStringList{"12:00:00"}) << QStringList{"12:00:00", "10:00:00", "09:00:00", ""} << 1;
    QTest::newRow("written again: one entry, shown again")
        << true << News::put << QStringList{"steel_K1-2025_01_26-10_00_00.json@2000000000"}
        << (k1day + QStringList{"10:00:00"}) << QStringList{"10:00:00", "09:00:00"} << 1;
    QTest::newRow("an older file written again becomes the newest")
        << true << News::put << QStringList{"steel_K1-2025_01_26-09_00_00.json@2000000000"}
        << (k1day + QStringList{"09:00:00"}) << QStringList{"09:00:00", "10:00:00"} << 1;
    QTest::newRow("the newest removed: the next newest")
        << true << News::remove << QStringList{"steel_K1-2025_01_26-10_00_00.json"}
        << (k1day + QStringList{"09:00:00"}) << QStringList{"09:00:00"} << 1;
    QTest::newRow("older choice: the lists gain the entry, the choice stays")
        << false << News::put << QStringList{"steel_K1-2025_01_26-11_00_00.json@2000000000"}
        << (k1day + QStringList{"09:00:00"}) << QStringList{"11:00:00", "10:00:00", "09:00:00"} << 0;
    QTest::newRow("older choice removed: back to the placeholder")
        << false << News::remove << QStringList{"steel_K1-2025_01_26-09_00_00.json"}
        << (k1day + QStringList{QString()}) << QStringList{"10:00:00"} << 1;
}

void ArchiveModelTest::followNews()
{
    QFETCH(bool, atNewest);
    QFETCH(News, news);
    QFETCH(QStringList, files);

    ArchiveFolder folder;
    folder.addFiles({"20 steel_K1-2025_01_26-10_00_00.json", "10 steel_K1-2025_01_26-09_00_00.json",
                     "5 steel_K2-2025_01_20-10_00_00.json"});
    CascadeSelection selection;
    selection.refresh(folder.path());
    if (!atNewest)
        selection.choose(ListLevel::time, 2);
    QSignalSpy changes(&selection, &CascadeSelection::changed);

    for (const QString &file : files) {
        if (news == News::put)
            selection.put(filesOf({file}));
        else
            selection.remove({file});
    }

    QTEST(shown(selection), "lists");
    QTEST(QStringList(selection.list(ListLevel::time).entries.mid(1)), "times");
    int fileChanges = 0;
    for (const QList<QVariant> &change : qAsConst(changes))
        fileChanges += change.at(0).toBool() ? 1 : 0;
    QTEST(fileChanges, "fileChanges");
    QCOMPARE(selection.isAtNewest(), atNewest);
}

void ArchiveModelTest::burstEndsOnWhatARefreshChooses()
{
    // 1,000 files landing within a few milliseconds, taken in one step, in no particular order.
    ArchiveFolder folder;
    folder.addFiles({"1 steel_W-2025_01_01-00_00_00.json"});
    CascadeSelection selection;
    selection.refresh(folder.path());
    QVector<ArchiveEntry> burst;
    for (int i = 0; i < 1000; ++i) {
        const int k = (i * 7919) % 1000;
        burst.append(ArchiveEntry{QStringLiteral("steel_W-2025_02_01-%1_%2_%3.json")
                                      .arg(k / 3600, 2, 10, QLatin1Char('0'))
                                      .arg(k / 60 % 60, 2, 10, QLatin1Char('0'))
                                      .arg(k % 60, 2, 10, QLatin1Char('0')),
                                  2000000000 * second + ((k + 2) / 3) * 1000000});
    }
    QSignalSpy changes(&selection, &CascadeSelection::changed);
    selection.put(burst);
    QCOMPARE(changes.count(), 1);

    // A refresh of the folder holding the same files chooses the same one.
    for (const ArchiveEntry &file : qAsConst(burst))
        folder.addFile(file.fileName, file.modifiedNsecs / 1000000);
    CascadeSelection fresh;
    fresh.refresh(folder.path());
    QCOMPARE(chosenName(selection), chosenName(fresh));
    // Three files share the latest millisecond: the first name by character code.
    QCOMPARE(chosenName(selection), QStringLiteral("steel_W-2025_02_01-00_16_37.json"));
}

void ArchiveModelTest::relistAfterGapKeepsAnOlderChoice()
{
    ArchiveFolder folder;
    folder.addFiles({"20 steel_K1-2025_01_26-10_00_00.json", "10 steel_K1-2025_01_26-09_00_00.json"});
    CascadeSelection selection;
    selection.refresh(folder.path());
    selection.choose(ListLevel::time, 2);
    folder.addFiles({"30 steel_K1-2025_01_26-11_00_00.json"});

    QVERIFY(selection.relist());
    QCOMPARE(shown(selection), (QStringList{"K1", "2025.01", "26", "09:00:00"}));
    QCOMPARE(selection.list(ListLevel::time).entries.mid(1),
             (QStringList{"11:00:00", "10:00:00", "09:00:00"}));

    // At the newest, one listing moves the choice to what a refresh chooses now.
    selection.choose(ListLevel::time, 1);
    selection.choose(ListLevel::time, 2);
    selection.choose(ListLevel::time, 1);
    QVERIFY(selection.isAtNewest());
    folder.addFiles({"40 steel_K1-2025_01_26-12_00_00.json"});
    QVERIFY(selection.relist());
    QCOMPARE(chosenName(selection), QStringLiteral("steel_K1-2025_01_26-12_00_00.json"));
}

void ArchiveModelTest::firstViewGivesTheSameView_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("mostKept"); // at most this many files make the first view

    QStringList plant;
    for (int day = 1; day <= 28; ++day) {
        for (int hour = 0; hour < 24; hour += 6) {
            for (const char *technology : {"K1", "K2", "ДСП"})
                plant.append(QStringLiteral("steel_%1-2025_%2_%3-%4_00_00.json@%5")
                                 .arg(QLatin1String(technology))
                                 .arg(day % 2 ? 1 : 2, 2, 10, QLatin1Char('0'))
                                 .arg(day, 2, 10, QLatin1Char('0'))
                                 .arg(hour, 2, 10, QLatin1Char('0'))
                                 .arg(day * 100 + hour));
        }
    }
    // 3 technologies; the 2 months of the newest; 14 days of its first month; 4 files of its day.
    QTest::newRow("a month of three technologies") << plant << 3 + 2 + 14 + 4;
    QTest::newRow("a misnamed newest file, a technology in two letter cases, a name without a moment")
        << QStringList{"steel_K1-2025_01_26-10_00_00 (копия).json@90",
                       "steel_k1-2025_01_26-09_00_00.json@50",
                       "steel_K1-2025_01_26-08_00_00.json@40",
                       "steel_K1-2025_01_25-08_00_00.json@30",
                       "steel_K1-2024_12_31-08_00_00.json@20",
                       "steel_x-.json@95",
                       "steel_K2.json@10"}
        << 7;
    QTest::newRow("no file leads to a time") << QStringList{"steel_x-.json@5", "steel_K2.json@10"} << 2;
}

void ArchiveModelTest::firstViewGivesTheSameView()
{
    QFETCH(QStringList, files);
    QFETCH(int, mostKept);
    ArchiveModel whole;
    whole.fill(QStringLiteral("archive"), filesOf(files));
    const QVector<ArchiveEntry> kept = whole.firstViewFiles();
    QVERIFY2(kept.size() <= mostKept, qPrintable(QString::number(kept.size())));

    // Filled alone, they show what the whole archive shows, and start where it starts.
    ArchiveModel first;
    first.fill(QStringLiteral("archive"), kept);
    QCOMPARE(refreshView(first), refreshView(whole));
    QCOMPARE(first.newest(), whole.newest());
}

enum class Since
{
    nothing,
    newerFileLanded,
    olderFileLanded,
    newestRemoved,
    newestWrittenAgain,
    olderRemoved,
};
Q_DECLARE_METATYPE(Since)

void ArchiveModelTest::startOnAnEarlierListing_data()
{
    // The archive listed earlier: K1 of 2025.01.26 at 10:00 (newest) and 09:00, K2 of 2025.01.20.
    QTest::addColumn<Since>("since");
    QTest::addColumn<bool>("started");  // on the earlier listing, else to be refreshed
    QTest::addColumn<int>("corrected"); // how many times the listing changed the file on show

    QTest::newRow("nothing changed: confirmed without a change") << Since::nothing << true << 0;
    QTest::newRow("a newer file landed: corrected") << Since::newerFileLanded << true << 1;
    QTest::newRow("an older file landed: the lists gain it") << Since::olderFileLanded << true << 0;
    QTest::newRow("an older file removed: the lists lose it") << Since::olderRemoved << true << 0;
    QTest::newRow("the newest removed: refreshed instead") << Since::newestRemoved << false << 0;
    QTest::newRow("the newest written again: refreshed instead") << Since::newestWrittenAgain << false << 0;
}

void ArchiveModelTest::startOnAnEarlierListing()
{
    QFETCH(Since, since);
    ArchiveFolder folder;
    folder.addFiles({"20 steel_K1-2025_01_26-10_00_00.json", "10 steel_K1-2025_01_26-09_00_00.json",
                     "5 steel_K2-2025_01_20-10_00_00.json"});
    CascadeSelection earlier;
    earlier.refresh(folder.path());
    const QVector<ArchiveEntry> firstView = earlier.model().firstViewFiles();
    if (since == Since::newerFileLanded)
        folder.addFiles({"30 steel_K2-2025_01_27-06_00_00.json"});
    if (since == Since::olderFileLanded)
        folder.addFiles({"1 steel_K1-2025_01_26-07_00_00.json"});
    if (since == Since::newestRemoved || since == Since::olderRemoved)
        QVERIFY(QFile::remove(folder.filePath(since == Since::newestRemoved
                                                  ? "steel_K1-2025_01_26-10_00_00.json"
                                                  : "steel_K1-2025_01_26-09_00_00.json")));
    if (since == Since::newestWrittenAgain)
        folder.setModified("steel_K1-2025_01_26-10_00_00.json", ArchiveFolder::minutes(25));

    CascadeSelection selection;
    QSignalSpy changes(&selection, &CascadeSelection::changed);
    QTEST(selection.startOn(folder.path(), firstView), "started");
    if (!selection.isAwaitingListing()) {
        QCOMPARE(changes.count(), 0); // nothing told: the folder is refreshed now
        return;
    }
    // At once the lists and the file of the earlier listing's refresh.
    QCOMPARE(changes.count(), 1);
    QCOMPARE(shown(selection), shown(earlier));
    QCOMPARE(selection.chosenFile(), earlier.chosenFile());

    // The folder's listing confirms or corrects: what a refresh of the folder now shows.
    ArchiveModel listed;
    QVERIFY(listed.fill(folder.path()));
    QVERIFY(selection.confirm(listed));
    QVERIFY(!selection.isAwaitingListing());
    CascadeSelection fresh;
    fresh.refresh(folder.path());
    for (int level = 0; level < listLevels; ++level)
        QCOMPARE(selection.list(ListLevel(level)), fresh.list(ListLevel(level)));
    QCOMPARE(selection.chosenFile(), fresh.chosenFile());
    QCOMPARE(selection.model().fileCount(), fresh.model().fileCount());
    int corrections = 0;
    for (const QList<QVariant> &change : changes.mid(1))
        corrections += change.at(0).toBool() ? 1 : 0;
    QTEST(corrections, "corrected");
    // Said once: a second listing's word comes too late.
    QVERIFY(!selection.confirm(listed));
}

void ArchiveModelTest::newsWhileAwaitingOutliveTheListing()
{
    ArchiveFolder folder;
    folder.addFiles({"20 steel_K1-2025_01_26-10_00_00.json", "10 steel_K1-2025_01_26-09_00_00.json"});
    CascadeSelection earlier;
    earlier.refresh(folder.path());
    CascadeSelection selection;
    QVERIFY(selection.startOn(folder.path(), earlier.model().firstViewFiles()));
    ArchiveModel listed;
    QVERIFY(listed.fill(folder.path()));

    // Told by the watch after the listing had read the folder: a file landed, one removed.
    selection.put(filesOf({"steel_K1-2025_01_26-11_00_00.json@2000000000"}));
    selection.remove({"steel_K1-2025_01_26-09_00_00.json"});
    QCOMPARE(chosenName(selection), QStringLiteral("steel_K1-2025_01_26-11_00_00.json"));
    QVERIFY(selection.confirm(listed));
    QCOMPARE(chosenName(selection), QStringLiteral("steel_K1-2025_01_26-11_00_00.json"));
    QCOMPARE(selection.list(ListLevel::time).entries.mid(1), (QStringList{"11:00:00", "10:00:00"}));
}

void ArchiveModelTest::fileChosenByNameWhileAwaitingIsFound()
{
    ArchiveFolder folder;
    folder.addFiles({"20 steel_K1-2025_01_26-10_00_00.json", "10 steel_K1-2024_05_01-09_00_00.json"});
    CascadeSelection earlier;
    earlier.refresh(folder.path());
    // The earlier listing's first view holds one file of each month, not the older month's day.
    folder.addFiles({"1 steel_K1-2024_05_01-08_00_00.json"});
    CascadeSelection selection;
    QVERIFY(selection.startOn(folder.path(), earlier.model().firstViewFiles()));
    QVERIFY(selection.chooseFile(QStringLiteral("steel_K1-2024_05_01-08_00_00.json")));
    QCOMPARE(shown(selection), (QStringList{"K1", "2024.05", "01", "08:00:00"}));
    // The folder was listed for it: the listing on its way has nothing more to say.
    QVERIFY(!selection.isAwaitingListing());
}

QTEST_GUILESS_MAIN(ArchiveModelTest)
#include "tst_archivemodel.moc"
