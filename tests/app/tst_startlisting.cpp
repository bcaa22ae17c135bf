// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start on its archive's last listing, kept in the index: the newest melt shown at
// once, then the folder's listing on a thread of its own confirms it (no other melt in between) or
// corrects it, and the window ends where a window that listed the folder first starts.
#include "archive/cascadeselection.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <memory>

namespace {

enum class Since
{
    nothing,
    newerFileLanded,
    newestRemoved,
    newestWrittenAgain,
};

const QString newestFile = QStringLiteral("steel_UKP-2025_01_26-23_29_24.json");

std::unique_ptr<MainWindow> openOnLastListing(const fixture::WorkingFolder &folder)
{
    return std::make_unique<MainWindow>(folder.archivePath(), MainWindow::FirstListing::fromLastListing);
}

} // namespace

Q_DECLARE_METATYPE(Since)

class StartListingTest : public QObject
{
    Q_OBJECT

private slots:
    void newestMeltAtOnceThenTheListingsWord_data();
    void newestMeltAtOnceThenTheListingsWord();
};

void StartListingTest::newestMeltAtOnceThenTheListingsWord_data()
{
    QTest::addColumn<Since>("since");          // since the last start on the archive
    QTest::addColumn<bool>("fromLastListing"); // shown at once from the index, else listed first
    QTest::addColumn<QString>("firstMelt");
    QTest::addColumn<QString>("lastMelt"); // once the listing has had its word
    QTest::addColumn<int>("fileChanges");  // of the file on show, after the first

    QTest::newRow("nothing changed: shown once") << Since::nothing << true << "41521"
                                                 << "41521" << 0;
    QTest::newRow("a newer measurement landed: corrected") << Since::newerFileLanded << true << "41521"
                                                           << "99001" << 1;
    QTest::newRow("the newest removed: listed first, the next newest")
        << Since::newestRemoved << false << "41519"
        << "41519" << 0;
    QTest::newRow("the newest written again: listed first, shown as it is now")
        << Since::newestWrittenAgain << false << "41521-resent"
        << "41521-resent" << 0;
}

void StartListingTest::newestMeltAtOnceThenTheListingsWord()
{
    QFETCH(Since, since);
    fixture::WorkingFolder folder;
    QVERIFY(folder.addFile(newestFile, fixture::line(fixture::measurement(QStringLiteral("41521"))),
                           fixture::at(50)) &&
            folder.addFile(QStringLiteral("steel_UKP-2025_01_26-20_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("41519"))), fixture::at(40)) &&
            folder.addFile(QStringLiteral("steel_DSP-2024_12_30-10_00_00.json"),
                           fixture::line(fixture::measurement(QStringLiteral("7001"))), fixture::at(10)));
    // The first start lists the folder and keeps what it showed first for the next one.
    {
        const std::unique_ptr<MainWindow> first = openOnLastListing(folder);
        QVERIFY(!first->archiveSelection()->isAwaitingListing());
        QCOMPARE(fixture::label(first.get(), "nameSteelSmelt")->text(), QStringLiteral("41521"));
    }
    if (since == Since::newerFileLanded)
        QVERIFY(folder.addFile(QStringLiteral("steel_DSP-2025_01_27-01_00_00.json"),
                               fixture::line(fixture::measurement(QStringLiteral("99001"))),
                               fixture::at(60)));
    if (since == Since::newestRemoved)
        QVERIFY(QFile::remove(folder.archivePath() + QLatin1Char('/') + newestFile));
    if (since == Since::newestWrittenAgain)
        QVERIFY(folder.addFile(newestFile,
                               fixture::line(fixture::measurement(QStringLiteral("41521-resent"))),
                               fixture::at(55)));

    const std::unique_ptr<MainWindow> window = openOnLastListing(folder);
    archive::CascadeSelection *selection = window->archiveSelection();
    QLabel *melt = fixture::label(window.get(), "nameSteelSmelt");
    QTEST(selection->isAwaitingListing(), "fromLastListing");
    QTEST(melt->text(), "firstMelt");
    // Every melt on show from now on, and how often the file on show changed.
    QStringList melts;
    int fileChanges = 0;
    connect(selection, &archive::CascadeSelection::changed, this, [&](bool fileChanged) {
        melts.append(melt->text());
        fileChanges += fileChanged ? 1 : 0;
    });
    window->show();
    QTRY_VERIFY(!selection->isAwaitingListing());
    QTEST(melt->text(), "lastMelt");
    QTEST(fileChanges, "fileChanges");
    QFETCH(QString, firstMelt);
    QFETCH(QString, lastMelt);
    for (const QString &shown : qAsConst(melts))
        QVERIFY2(shown == firstMelt || shown == lastMelt, qPrintable(shown));

    // Where a window that lists the folder before it shows anything starts.
    const std::unique_ptr<MainWindow> listedFirst =
        std::make_unique<MainWindow>(folder.archivePath(), MainWindow::FirstListing::now);
    for (const char *name : {"comboSteelTech", "yearMonthCombobox", "dayCombobox", "timeSteel"}) {
        QCOMPARE(fixture::entries(fixture::list(window.get(), name)),
                 fixture::entries(fixture::list(listedFirst.get(), name)));
        QCOMPARE(fixture::list(window.get(), name)->currentIndex(),
                 fixture::list(listedFirst.get(), name)->currentIndex());
    }
    QCOMPARE(fixture::shownValues(window.get()), fixture::shownValues(listedFirst.get()));
}

QTEST_MAIN(StartListingTest)
#include "tst_startlisting.moc"
