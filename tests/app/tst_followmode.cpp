// SPDX-License-Identifier: GPL-3.0-or-later
// steel-viewer --follow: new measurements shown by themselves while the newest one is on show, the
// lists gaining them in place while an older one is chosen, and a lost folder said and waited for.
#include "app/controlchartwindow.h"
#include "app/followmode.h"
#include "archive/archivelisting.h"
#include "archive/cascadeselection.h"
#include "platform/writing.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>

#include <memory>

namespace {

enum class Arrival
{
    sameDay,          // a complete file of the technology and day on show
    otherTechnology,  // a complete file of another technology
    lateFill,         // an empty file first, its measurement written later
    removedIncomplete // an empty file removed before it was written, then a complete one
};

// Generous: the watch's own notification and its quiet period are the only waits here.
constexpr int arrivalTimeout = 20000;
constexpr int quietMsecs = 300;

bool writeNow(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

Q_DECLARE_METATYPE(Arrival)
Q_DECLARE_METATYPE(archive::ListingBackend)

class FollowModeTest : public QObject
{
    Q_OBJECT

private slots:
    void newMeasurementWhileAtTheNewest_data();
    void newMeasurementWhileAtTheNewest();
    void olderChoiceStaysAndListsGainTheNewEntries();
    void lostFolderIsSaidAndWaitedFor();
    void misnamedFileChangesNothingForLaterArrivals();
    void nameWrittenAgainIsShownOnce_data();
    void nameWrittenAgainIsShownOnce();
    void burstEndsWhereAFreshWindowOpens();
    void chartGainsTheMeltsThatLand_data();
    void chartGainsTheMeltsThatLand();

private:
    bool addArchive(fixture::WorkingFolder &folder);
    // Opens a window on `folder` that `follow` follows; true once the watch of its archive has begun
    // (on the watch's own thread).
    bool startFollowing(fixture::WorkingFolder &folder, app::FollowMode &follow,
                        std::unique_ptr<MainWindow> *window);
};

bool FollowModeTest::addArchive(fixture::WorkingFolder &folder)
{
    return folder.addFile(QStringLiteral("steel_UKP-2025_01_26-23_29_24.json"),
                          fixture::line(fixture::measurement(QStringLiteral("41521"))), fixture::at(50)) &&
           folder.addFile(QStringLiteral("steel_UKP-2025_01_26-20_00_00.json"),
                          fixture::line(fixture::measurement(QStringLiteral("41519"))), fixture::at(40)) &&
           folder.addFile(QStringLiteral("steel_DSP-2024_12_30-10_00_00.json"),
                          fixture::line(fixture::measurement(QStringLiteral("7001"))), fixture::at(10));
}

bool FollowModeTest::startFollowing(fixture::WorkingFolder &folder, app::FollowMode &follow,
                                    std::unique_ptr<MainWindow> *window)
{
    follow.setQuietPeriod(quietMsecs);
    *window = folder.openWindow();
    follow.follow(window->get());
    return follow.watchedFolder() == QDir::toNativeSeparators(folder.archivePath()) &&
           QTest::qWaitFor([&] { return follow.isWatching(); });
}

void FollowModeTest::newMeasurementWhileAtTheNewest_data()
{
    QTest::addColumn<Arrival>("arrival");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("lists"); // technology, year.month, day, time shown afterwards
    QTest::addColumn<QStringList>("times"); // the time list then, placeholder left out

    QTest::newRow("a file of the day on show")
        << Arrival::sameDay << QStringLiteral("steel_UKP-2025_01_26-23_59_00.json")
        << QStringList{"UKP", "2025.01", "26", "23:59:00"} << QStringList{"23:59:00", "23:29:24", "20:00:00"};
    QTest::newRow("a file of another technology")
        << Arrival::otherTechnology << QStringLiteral("steel_DSP-2025_01_27-06_00_00.json")
        << QStringList{"DSP", "2025.01", "27", "06:00:00"} << QStringList{"06:00:00"};
    QTest::newRow("a file of a Cyrillic technology")
        << Arrival::otherTechnology << QStringLiteral("steel_ДСП-2025_01_27-07_00_00.json")
        << QStringList{"ДСП", "2025.01", "27", "07:00:00"} << QStringList{"07:00:00"};
    QTest::newRow("written late, after its quiet period")
        << Arrival::lateFill << QStringLiteral("steel_UKP-2025_01_27-01_00_00.json")
        << QStringList{"UKP", "2025.01", "27", "01:00:00"} << QStringList{"01:00:00"};
    QTest::newRow("an incomplete file removed, then a complete one")
        << Arrival::removedIncomplete << QStringLiteral("steel_UKP-2025_01_27-02_00_00.json")
        << QStringList{"UKP", "2025.01", "27", "02:00:00"} << QStringList{"02:00:00"};
}

void FollowModeTest::newMeasurementWhileAtTheNewest()
{
    QFETCH(Arrival, arrival);
    QFETCH(QString, fileName);
    QFETCH(QStringList, lists);
    QFETCH(QStringList, times);

    // GIVEN a following window on the newest measurement
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow; // made before the window, destroyed before it
    QVERIFY(startFollowing(folder, follow, &window));
    QLabel *melt = fixture::label(window.get(), "nameSteelSmelt");
    QCOMPARE(melt->text(), QStringLiteral("41521"));

    // WHEN a measurement lands in the folder
    const QString path = folder.archivePath() + QLatin1Char('/') + fileName;
    const QByteArray complete = fixture::line(fixture::measurement(QStringLiteral("99001")));
    switch (arrival) {
    case Arrival::sameDay:
    case Arrival::otherTechnology:
        QVERIFY(writeNow(path, complete));
        break;
    case Arrival::lateFill:
        QVERIFY(writeNow(path, QByteArray()));
        QTest::qWait(3 * quietMsecs); // past its quiet period, still empty
        QCOMPARE(melt->text(), QStringLiteral("41521"));
        QVERIFY(writeNow(path, complete));
        break;
    case Arrival::removedIncomplete: {
        const QString early = folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_27-01_30_00.json");
        QVERIFY(writeNow(early, "{\"Smelt\":"));
        QTest::qWait(2 * quietMsecs);
        QVERIFY(QFile::remove(early));
        QVERIFY(writeNow(path, complete));
        break;
    }
    }

    // THEN it is shown by itself, the lists at it
    QTRY_COMPARE_WITH_TIMEOUT(melt->text(), QStringLiteral("99001"), arrivalTimeout);
    QCOMPARE((QStringList{fixture::list(window.get(), "comboSteelTech")->currentText(),
                          fixture::list(window.get(), "yearMonthCombobox")->currentText(),
                          fixture::list(window.get(), "dayCombobox")->currentText(),
                          fixture::list(window.get(), "timeSteel")->currentText()}),
             lists);
    QCOMPARE(fixture::entries(fixture::list(window.get(), "timeSteel")).mid(1), times);
    // and the removed file never shows up
    QVERIFY(!fixture::entries(fixture::list(window.get(), "timeSteel")).contains(QStringLiteral("01:30:00")));
}

void FollowModeTest::olderChoiceStaysAndListsGainTheNewEntries()
{
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow;
    QVERIFY(startFollowing(folder, follow, &window));

    // GIVEN an older measurement chosen by hand
    QComboBox *times = fixture::list(window.get(), "timeSteel");
    times->setCurrentIndex(2);
    QLabel *melt = fixture::label(window.get(), "nameSteelSmelt");
    QCOMPARE(melt->text(), QStringLiteral("41519"));

    // WHEN two measurements arrive: one of the day on show, one of a new technology
    QVERIFY(writeNow(folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_26-23_59_00.json"),
                     fixture::line(fixture::measurement(QStringLiteral("99001")))));
    QTRY_COMPARE_WITH_TIMEOUT(times->count(), 4, arrivalTimeout);
    QVERIFY(writeNow(folder.archivePath() + QStringLiteral("/steel_AAA-2025_01_27-06_00_00.json"),
                     fixture::line(fixture::measurement(QStringLiteral("99002")))));
    QComboBox *technologies = fixture::list(window.get(), "comboSteelTech");
    QTRY_COMPARE_WITH_TIMEOUT(technologies->count(), 4, arrivalTimeout);

    // THEN the choice and what it shows stay; the lists hold the new entries in their places
    QCOMPARE(melt->text(), QStringLiteral("41519"));
    QCOMPARE(times->currentText(), QStringLiteral("20:00:00"));
    QCOMPARE(fixture::entries(times), (QStringList{fixture::choose, "23:59:00", "23:29:24", "20:00:00"}));
    QCOMPARE(fixture::entries(technologies), (QStringList{fixture::choose, "AAA", "DSP", "UKP"}));
    QCOMPARE(technologies->currentText(), QStringLiteral("UKP"));

    // Choosing the new technology by hand lists it from what the window keeps.
    technologies->setCurrentIndex(1);
    QCOMPARE(fixture::entries(fixture::list(window.get(), "yearMonthCombobox")),
             (QStringList{fixture::choose, "2025.01"}));
}

void FollowModeTest::lostFolderIsSaidAndWaitedFor()
{
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow;
    QVERIFY(startFollowing(folder, follow, &window));
    QLineEdit *path = fixture::pathField(window.get());
    QCOMPARE(path->toolTip(), QString());

    // WHEN the folder is moved away
    const QString away = folder.path() + QStringLiteral("/away");
    QVERIFY(QDir().rename(folder.archivePath(), away));
    // THEN the path field says so
    QTRY_VERIFY_WITH_TIMEOUT(!path->toolTip().isEmpty(), arrivalTimeout);

    // WHEN another folder takes its place, with a newer measurement
    QVERIFY(QDir().mkpath(folder.archivePath()));
    QVERIFY(folder.addFile(QStringLiteral("steel_K9-2025_02_01-12_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("55555"))), fixture::at(100)));
    // THEN it is read anew and its newest measurement shown, the mark gone
    QTRY_COMPARE_WITH_TIMEOUT(fixture::label(window.get(), "nameSteelSmelt")->text(), QStringLiteral("55555"),
                              arrivalTimeout);
    QCOMPARE(path->toolTip(), QString());
    QCOMPARE(fixture::entries(fixture::list(window.get(), "comboSteelTech")),
             (QStringList{fixture::choose, "K9"}));
}

void FollowModeTest::misnamedFileChangesNothingForLaterArrivals()
{
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow;
    QVERIFY(startFollowing(folder, follow, &window));
    QLabel *melt = fixture::label(window.get(), "nameSteelSmelt");
    QComboBox *times = fixture::list(window.get(), "timeSteel");

    // WHEN a file manager's copy of the newest file lands, then a new measurement
    QVERIFY(writeNow(folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_26-23_29_24 (копия).json"),
                     fixture::line(fixture::measurement(QStringLiteral("copy")))));
    QTRY_COMPARE_WITH_TIMEOUT(times->count(), 4, arrivalTimeout);
    // THEN the copy is an empty entry at the end of its day, and the measurement on show stays
    QCOMPARE(fixture::entries(times).last(), QString());
    QCOMPARE(melt->text(), QStringLiteral("41521"));
    QCOMPARE(times->currentText(), QStringLiteral("23:29:24"));

    QVERIFY(writeNow(folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_27-01_00_00.json"),
                     fixture::line(fixture::measurement(QStringLiteral("99001")))));
    // and the later measurement is shown by itself
    QTRY_COMPARE_WITH_TIMEOUT(melt->text(), QStringLiteral("99001"), arrivalTimeout);
    QCOMPARE(times->currentText(), QStringLiteral("01:00:00"));
}

void FollowModeTest::nameWrittenAgainIsShownOnce_data()
{
    // The native walk, with the system's names of what changes where it has them; the portable walk,
    // which lists the folder at each change as the watch does where the system names nothing
    // (Windows): there a name gone and back between two listings is told by its time.
    QTest::addColumn<archive::ListingBackend>("walk");
    QTest::addColumn<bool>("renamedOver"); // written beside it and renamed over it, else removed first
    QTest::newRow("native, removed and written") << archive::ListingBackend::Native << false;
    QTest::newRow("native, renamed over") << archive::ListingBackend::Native << true;
    QTest::newRow("portable, removed and written") << archive::ListingBackend::Portable << false;
    QTest::newRow("portable, renamed over") << archive::ListingBackend::Portable << true;
}

void FollowModeTest::nameWrittenAgainIsShownOnce()
{
    QFETCH(archive::ListingBackend, walk);
    QFETCH(bool, renamedOver);
    archive::setListingBackend(walk);
    const auto nativeAgain = qScopeGuard([] { archive::setListingBackend(archive::ListingBackend::Native); });
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow;
    QVERIFY(startFollowing(folder, follow, &window));
    QLabel *melt = fixture::label(window.get(), "nameSteelSmelt");

    // WHEN a probe station sends an older measurement again: removed and written anew, or written
    // beside it and renamed over it, with no moment between two listings where the name is missing
    const QString path = folder.archivePath() + QStringLiteral("/steel_UKP-2025_01_26-20_00_00.json");
    const QByteArray resent = fixture::line(fixture::measurement(QStringLiteral("41519-resent")));
    if (renamedOver) {
        // A name the listing does not take, then renamed over the measurement's in one step.
        QVERIFY(writeNow(folder.archivePath() + QStringLiteral("/resent.tmp"), resent));
        const platform::writing::TargetFolder archive(folder.archivePath());
        QCOMPARE(archive.replace(QStringLiteral("resent.tmp"), QFileInfo(path).fileName()), 0);
    } else {
        QVERIFY(QFile::remove(path));
        QVERIFY(writeNow(path, resent));
    }

    // THEN it is the newest now and shown, its name once in the time list
    QTRY_COMPARE_WITH_TIMEOUT(melt->text(), QStringLiteral("41519-resent"), arrivalTimeout);
    QCOMPARE(fixture::entries(fixture::list(window.get(), "timeSteel")),
             (QStringList{fixture::choose, "20:00:00", "23:29:24"}));
}

void FollowModeTest::burstEndsWhereAFreshWindowOpens()
{
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow;
    QVERIFY(startFollowing(folder, follow, &window));

    // WHEN a hundred measurements land at once, of two technologies
    for (int i = 0; i < 100; ++i) {
        const QString name = QStringLiteral("/steel_%1-2025_02_01-10_%2_%3.json")
                                 .arg(i % 2 ? QStringLiteral("UKP") : QStringLiteral("DSP"))
                                 .arg(i / 60, 2, 10, QLatin1Char('0'))
                                 .arg(i % 60, 2, 10, QLatin1Char('0'));
        QVERIFY(writeNow(folder.archivePath() + name,
                         fixture::line(fixture::measurement(QStringLiteral("B%1").arg(i)))));
    }
    // THEN once the window has them all, it shows what a window opened now shows
    QTRY_COMPARE_WITH_TIMEOUT(window->archiveSelection()->model().fileCount(), 103, arrivalTimeout);
    const std::unique_ptr<MainWindow> fresh = folder.openWindow();
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"}) {
        QCOMPARE(fixture::entries(fixture::list(window.get(), name)),
                 fixture::entries(fixture::list(fresh.get(), name)));
        QCOMPARE(fixture::list(window.get(), name)->currentIndex(),
                 fixture::list(fresh.get(), name)->currentIndex());
    }
    QCOMPARE(fixture::shownValues(window.get()), fixture::shownValues(fresh.get()));
}

void FollowModeTest::chartGainsTheMeltsThatLand_data()
{
    QTest::addColumn<QStringList>("landing"); // in this order, the melts 99001, 99002, ...
    QTest::addColumn<QStringList>("charted"); // the chart's melts afterwards, oldest first

    QTest::newRow("one melt") << QStringList{"steel_UKP-2025_01_27-01_00_00.json"}
                              << QStringList{"41519", "41521", "99001"};
    QTest::newRow("a burst") << QStringList{"steel_UKP-2025_01_27-01_00_00.json",
                                            "steel_UKP-2025_01_27-02_00_00.json",
                                            "steel_UKP-2025_01_27-03_00_00.json"}
                             << QStringList{"41519", "41521", "99001", "99002", "99003"};
    QTest::newRow("beside another technology")
        << QStringList{"steel_DSP-2025_01_27-01_00_00.json", "steel_UKP-2025_01_27-02_00_00.json"}
        << QStringList{"41519", "41521", "99002"};
}

void FollowModeTest::chartGainsTheMeltsThatLand()
{
    QFETCH(QStringList, landing);
    QFETCH(QStringList, charted);

    // GIVEN a following window with the chart of its technology open
    fixture::WorkingFolder folder;
    QVERIFY(addArchive(folder));
    std::unique_ptr<MainWindow> window;
    app::FollowMode follow;
    QVERIFY(startFollowing(folder, follow, &window));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_T, Qt::ControlModifier);
    app::ControlChartWindow *chart = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        chart = window->findChild<app::ControlChartWindow *>(QStringLiteral("controlChart")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!chart->isComputing(), 60000);
    QCOMPARE(chart->chart().points.size(), 2);

    // WHEN measurements land in the folder
    for (int i = 0; i < landing.size(); ++i) {
        QJsonObject m = fixture::measurement(QString::number(99001 + i));
        m.insert(QStringLiteral("Temp"), QString::number(1600 + i));
        QVERIFY(writeNow(folder.archivePath() + QLatin1Char('/') + landing.at(i), fixture::line(m)));
    }

    // THEN the chart shows them as its newest melts
    const auto melts = [chart] {
        QStringList numbers;
        for (const statistics::ChartPoint &point : chart->chart().points)
            numbers.append(point.melt.melt);
        return numbers;
    };
    QTRY_COMPARE_WITH_TIMEOUT(melts(), charted, arrivalTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!chart->isComputing(), 60000);
    QCOMPARE(melts(), charted);
    QCOMPARE(*chart->chart().points.last().melt.value, 1600.0 + landing.size() - 1);
}

QTEST_MAIN(FollowModeTest)
#include "tst_followmode.moc"
