// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/meltsearch.h"

#include "archive/archivefolder.h"
#include "measurement/measurementfile.h"
#include "query/foundmeasurements.h"
#include "query/indexedsearch.h"
#include "query/searchcriteria.h"

#include <QFileInfo>
#include <QSet>

namespace app {

namespace {

// The search finds every melt number that holds the text; the window lists that melt alone.
bool isThatMelt(const query::FoundMeasurement &m, const QString &melt)
{
    return m.digest.smelt && m.digest.smelt->trimmed().compare(melt, Qt::CaseInsensitive) == 0;
}

FoundMelt foundMelt(const query::FoundMeasurement &m)
{
    FoundMelt found;
    found.fileName = m.fileName;
    found.technology = m.technology;
    found.moment = m.moment;
    found.melt = m.digest.smelt.value_or(measurement::noDataText());
    found.temperature = m.digest.temperatureText.value_or(measurement::noDataText());
    found.status = m.digest.status.value_or(QString());
    return found;
}

} // namespace

MeltSearch::MeltSearch(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<app::FoundMelt>();
}

void MeltSearch::stop()
{
    background.stop();
}

void MeltSearch::start(const QString &folder, const QString &melt)
{
    background.start(this, [folder, melt = melt.trimmed()](const Work::Deliver &deliver,
                                                           const Work::StopRequested &stopped) {
        search(folder, melt, deliver, stopped);
    });
}

void MeltSearch::search(const QString &folder, const QString &melt, const Work::Deliver &deliver,
                        const Work::StopRequested &stopped)
{
    query::SearchCriteria criteria;
    criteria.melt = melt;
    const QString searched = archive::folderPath(folder);
    const bool listed = archive::unlistableFolderReason(folder).isEmpty();
    // First what the index knows of files exactly as it filed them: at once, without a look at
    // the other files of a large folder.
    QSet<QString> shown;
    if (listed) {
        query::visitIndexedMeasurements(
            searched, criteria,
            [&](query::FoundMeasurement &&m) {
                if (!isThatMelt(m, melt))
                    return;
                shown.insert(m.fileName);
                const FoundMelt found = foundMelt(m);
                deliver([found](MeltSearch *s) { emit s->found(found); });
            },
            stopped);
    }
    // Then the search as find --melt makes it, checked file by file, which completes the answer.
    archive::ArchiveReading reading;
    reading.stopRequested = stopped;
    reading.progress = pacedProgress([&deliver](qint64 done, qint64 total) {
        deliver([done, total](MeltSearch *s) { emit s->progressed(done, total); });
    });
    QStringList all;
    if (listed) {
        query::visitMeasurements(
            searched, criteria,
            [&](query::FoundMeasurement &&m) {
                if (!isThatMelt(m, melt))
                    return;
                all.append(m.fileName);
                if (shown.contains(m.fileName))
                    return;
                const FoundMelt found = foundMelt(m);
                deliver([found](MeltSearch *s) { emit s->found(found); });
            },
            nullptr, reading);
    }
    // Delivered only while the search is still the current one: stopped, it says nothing more.
    deliver([all, listed](MeltSearch *s) {
        s->background.finish();
        emit s->confirmed(all);
        emit s->finished(all.size(), listed);
    });
}

} // namespace app
