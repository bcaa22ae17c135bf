// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>
#include <set>

namespace archive {

// One archive file as the viewer knows it.
struct ArchiveEntry
{
    QString fileName;         // without the folder
    qint64 modifiedNsecs = 0; // modification instant at full precision (archivelisting.h)

    // The name in the file-name encoding: what opens the file. The viewer's listing takes only
    // names that encoding can decode, so the bytes follow from the text.
    QByteArray encodedName() const;
    bool operator==(const ArchiveEntry &o) const
    {
        return fileName == o.fileName && modifiedNsecs == o.modifiedNsecs;
    }
    bool operator!=(const ArchiveEntry &o) const { return !(*this == o); }
};

// One entry of the time list: the time text and the file it leads to.
struct TimeEntry
{
    QString time; // "hh:mm:ss", empty for a name whose moment does not parse
    ArchiveEntry file;
};

// The archive folder as the four selection lists show it: technology, year.month, day and time,
// each time entry knowing its file. Filled from one listing of the folder and then changed file by
// file (a file put there or written again, a file removed), so that the lists follow a folder
// without reading it again. The lists hold what the scans of the folder would give now:
// - technologies: every distinct technology, ascending by case-sensitive character code;
// - year.month of a technology T: the months of the files whose names go on with "-" after T
//   (letter case ignored), newest first, the empty entry of an unreadable moment last;
// - days of T and a month: of those files the ones whose names go on with that month, latest day
//   first, the empty entry last;
// - times of T, a month and a day: of those the ones whose names go on with that day, one entry per
//   file, newest first by the one rule of isNewer; the empty entries of names whose moment does not
//   parse last, as in the other lists.
class ArchiveModel : public QObject
{
    Q_OBJECT
public:
    explicit ArchiveModel(QObject *parent = nullptr);
    ~ArchiveModel() override;

    // Reads `folder` once (on all cores, see SharedListing) and holds what it lists. False, with an
    // empty model, when the folder cannot be listed.
    bool fill(const QString &folder);
    // Holds exactly these files of `folder`; `listed` false for a folder that could not be listed.
    void fill(const QString &folder, const QVector<ArchiveEntry> &files, bool listed = true);
    // Holds what `listed` holds, which is left empty: a listing made into a model of its own, away
    // from this one (on another thread), taken over in one step.
    void takeOver(ArchiveModel &listed);

    QString folder() const { return place; }
    bool isListed() const { return listed; }
    int fileCount() const { return int(files.size()); }

    // A file put in the folder, or written again under its name (a change of that entry). Names the
    // listing does not take are left out. True when the model changed.
    bool put(const ArchiveEntry &file);
    // True when the model held the file.
    bool remove(const QString &fileName);
    std::optional<ArchiveEntry> file(const QString &fileName) const;

    // The newest file of all by isNewer; std::nullopt for an empty model.
    std::optional<ArchiveEntry> newest() const;
    // The technology a refresh starts on: of the newest file that leads through the lists to a time
    // entry, or of the newest file when none does.
    QString newestTechnology() const;

    // The files that make what a refresh shows: one of each technology, one of each month of the
    // technology it starts on, one of each day of that technology's first month, every file of that
    // month's first day, and the newest files. Filled alone into a model, they give the same four
    // lists and the same choice; what the lists hold further down is left out.
    QVector<ArchiveEntry> firstViewFiles() const;

    QStringList technologies() const;
    QStringList months(const QString &technology) const;
    QStringList days(const QString &technology, const QString &yearMonth) const;
    QVector<TimeEntry> times(const QString &technology, const QString &yearMonth, const QString &day) const;

signals:
    // Everything may have changed: a new listing.
    void filled();
    // One file put, written again or removed.
    void filePut(const archive::ArchiveEntry &file);
    void fileRemoved(const QString &fileName);

private:
    struct Facts
    {
        qint64 modifiedNsecs = 0;
        QString technology;
        QString group;        // the technology as written before the first "-", folded; empty: none
        int monthKey = -1;    // year * 100 + month of the moment
        int prefixMonth = -1; // year * 100 + month written right after the "-"
        int day = -1;
        int prefixDay = -1;
        int seconds = -1;
    };
    // A file of a time list: files whose moment does not parse go last, as the empty entries of the
    // month and day lists do; the others newest first by isNewer.
    struct TimeKey
    {
        bool unreadableMoment;
        qint64 modifiedNsecs;
        QString fileName;
        bool operator<(const TimeKey &o) const;
    };
    struct Group
    {
        QMap<int, int> monthCounts;           // own month -> files
        QHash<int, QMap<int, int>> dayCounts; // written month -> own day -> files
        QHash<int, std::set<TimeKey>> times;  // written month * 100 + written day
    };

    Facts factsOf(const QString &fileName, qint64 modifiedNsecs);
    QString interned(const QString &text);
    void fillListed(const QString &folder, const QVector<ArchiveEntry> &files, bool listed, bool matched);
    void add(const QString &fileName, const Facts &facts);
    void take(const QString &fileName, Facts facts);
    const Group *groupOf(const QString &technology) const;
    void findNewest();
    void consider(const ArchiveEntry &file, const Facts &facts);
    static bool isChoosable(const Facts &facts);

    QString place;
    bool listed = false;
    QHash<QString, Facts> files;
    QMap<QString, int> technologyCounts;
    QHash<QString, Group> groups;
    // One copy of each technology text, shared by the files that name it: a million files hold a few
    // dozen technologies.
    QSet<QString> texts;
    std::optional<ArchiveEntry> newestFile;
    // The newest of the files that lead through the lists to a time entry of their own: misnamed
    // files (a copy's "(копия)", a name without a moment) never decide where a refresh starts.
    std::optional<ArchiveEntry> newestChoosable;
};

} // namespace archive

Q_DECLARE_METATYPE(archive::ArchiveEntry)
