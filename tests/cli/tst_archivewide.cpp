// SPDX-License-Identifier: GPL-3.0-or-later
// The archive-wide commands at scale: ls built from one listing must say exactly what the scan-by-scan
// route says, and find and check must answer the same with their index as without it.
#include "clitestsupport.h"

#include "archive/archivelisting.h"
#include "archive/archivescans.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

// The listing as the viewer's cascade produces it, one scan per technology, month and day: slow on a
// big archive, but it is the definition that the one-listing route must match byte for byte.
QString listByScans(const QString &directory, bool json)
{
    const auto entry = [](const QString &text) { return text.isEmpty() ? QStringLiteral("(empty)") : text; };
    const archive::TechnologyScan scan = archive::scanTechnologies(directory);
    QString text;
    QTextStream lines(&text);
    QJsonArray technologiesJson;
    for (const QString &technology : scan.technologies) {
        const bool newest = technology == scan.newestTechnology;
        lines << entry(technology) << (newest ? " (newest)" : "") << '\n';
        QJsonArray monthsJson;
        const QStringList months =
            technology.isEmpty() ? QStringList() : archive::scanYearMonths(directory, technology);
        for (const QString &month : months) {
            lines << "  " << entry(month) << '\n';
            QJsonArray daysJson;
            const QStringList days =
                month.isEmpty() ? QStringList() : archive::scanDays(directory, technology, month);
            for (const QString &day : days) {
                const QStringList times =
                    day.isEmpty() ? QStringList() : archive::scanTimes(directory, technology, month, day);
                QStringList shown;
                for (const QString &time : times)
                    shown.append(entry(time));
                lines << "    " << entry(day) << (times.isEmpty() ? "" : ": ") << shown.join(QLatin1Char(' '))
                      << '\n';
                daysJson.append(QJsonObject{{QStringLiteral("day"), day},
                                            {QStringLiteral("times"), QJsonArray::fromStringList(times)}});
            }
            monthsJson.append(
                QJsonObject{{QStringLiteral("month"), month}, {QStringLiteral("days"), daysJson}});
        }
        technologiesJson.append(QJsonObject{{QStringLiteral("technology"), technology},
                                            {QStringLiteral("newest"), newest},
                                            {QStringLiteral("months"), monthsJson}});
    }
    if (json)
        return QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("directory"), directory},
                                      {QStringLiteral("newestTechnology"), scan.newestTechnology},
                                      {QStringLiteral("technologies"), technologiesJson}})
                .toJson(QJsonDocument::Indented));
    lines.flush();
    return text;
}

QDateTime minutesAfter(int minutes)
{
    return QDateTime(QDate(2024, 5, 1), QTime(6, 0), Qt::UTC).addSecs(qint64(minutes) * 60);
}

} // namespace

class ArchiveWideTest : public QObject
{
    Q_OBJECT

private slots:
    void listingMatchesTheScanByScanRoute_data()
    {
        QTest::addColumn<QStringList>("names"); // modified one minute apart, in this order
        QTest::newRow("K and K1") << QStringList{
            "steel_K-2019_03_07-14_05_09.json", "steel_K1-2019_02_28-09_00_00.json",
            "steel_K1-2019_03_07-09_00_00.json", "steel_K-2019_03_08-00_00_00.json"};
        QTest::newRow("k1 and K1 twins")
            << QStringList{"steel_K1-2019_03_07-09_00_00.json", "steel_k1-2019_03_07-10_00_00.json",
                           "STEEL_K1-2019_03_07-11_00_00.JSON", "steel_k1-2019_04_01-00_00_00.json"};
        QTest::newRow("wildcard technologies")
            << QStringList{"steel_K*-2019_03_07-09_00_00.json",   "steel_K?-2019_03_07-10_00_00.json",
                           "steel_K[1]-2019_03_07-11_00_00.json", "steel_K1-2019_03_07-12_00_00.json",
                           "steel_[!a]-2019_03_07-13_00_00.json", "steel_a-2019_03_07-14_00_00.json"};
        QTest::newRow("invalid moments and odd technologies")
            << QStringList{"steel_x.json",
                           "steel_-2019_03_07-14_05_09.json",
                           "steel_K1-2019_02_30-10_00_00.json",
                           "steel_A_B-2019_03_07-14_05_09.json",
                           "steel_A-B-2019_03_07-14_05_09.json",
                           "steel_K.1-2019_03_07-14_05_09.json",
                           "steel_K1-2019_03xx-2020_01_01-00_00_00.json",
                           "steel_K1-2019_03_07-25_00_00.json",
                           "steel_Ünï-2019_03_07-14_05_09.json",
                           "steel_ünï-2019_03_07-15_05_09.json",
                           "steel_q\"\\\t-2019_03_07-14_05_09.json"};
        QTest::newRow("x.json and x.old.json, equal times")
            << QStringList{"steel_K1-2019_03_07-14_05_09.json", "steel_K1-2019_03_07-14_05_09.old.json",
                           "steel_K1-2019_03_07-14_05_09.json.bak", "steel_K1-2019_03_07-08_00_00.json"};
        QTest::newRow("empty folder") << QStringList{};
    }

    void listingMatchesTheScanByScanRoute()
    {
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        for (int i = 0; i < names.size(); ++i) {
            // The last row's first two files share their instant: equal times fall back to the names.
            const bool equalTimes =
                QTest::currentDataTag() == QLatin1String("x.json and x.old.json, equal times");
            writeFile(dir.path(), names[i], "{}\n", minutesAfter(equalTimes && i < 2 ? 0 : i));
        }
        for (const archive::ListingBackend backend :
             {archive::ListingBackend::Native, archive::ListingBackend::Portable}) {
            archive::setListingBackend(backend);
            for (const bool json : {false, true}) {
                const CommandResult result =
                    runTool(json ? QStringList{"ls", dir.path(), "--json"} : QStringList{"ls", dir.path()});
                QCOMPARE(result.out, listByScans(dir.path(), json));
            }
        }
        archive::setListingBackend(archive::ListingBackend::Native);
    }
};

QTEST_GUILESS_MAIN(ArchiveWideTest)
#include "tst_archivewide.moc"
