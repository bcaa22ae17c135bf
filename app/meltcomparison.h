// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "archive/archivemodel.h"
#include "measurement/measurementfile.h"
#include "plot/plotsteps.h"

#include <QObject>
#include <QString>

#include <optional>

namespace archive {
class CascadeSelection;
}

namespace app {

// "Compare with…": a second melt's curves drawn beside those of the melt the lists show, named in a
// legend. It owns which melt is compared; the window draws the shown melt with overlay() whenever
// `changed` says so, and the values panel stays the shown melt's. Off at start, so the plot is the
// plain one until it is asked for. The compared melt stays while the operator moves through the
// lists, so that one reference melt can be held against many; it goes when the lists are read from
// another folder, and when its file leaves the folder or can no longer be read.
class MeltComparison : public QObject
{
    Q_OBJECT

public:
    explicit MeltComparison(archive::CascadeSelection *selection, QObject *parent = nullptr);
    ~MeltComparison() override;

    // The melt the lists show, as just drawn; clearShown when they show none.
    void setShown(const archive::ArchiveEntry &file, const measurement::Measurement &shown);
    void clearShown();
    bool hasShown() const { return shownFile.has_value(); }
    // The shown melt's names with the compared melt's curves; nullptr while off or nothing is shown.
    const plot::ComparedCurves *overlay() const;
    bool isOn() const { return compared.has_value(); }
    // The compared melt's file in the lists' folder; empty while off.
    QString comparedFile() const { return compared ? compared->file.fileName : QString(); }

    // Compares with the melt before the shown one of its technology, by the archive's rule of newest
    // (modification time, then name). False, the comparison left as it was, when there is none or its
    // file cannot be read.
    bool compareWithPrevious();
    // Compares with the melt of `fileName` in the lists' folder; false as above.
    bool compareWith(const QString &fileName);
    // Back to the plain plot.
    void clear();

    // The legend's name of a melt: its number as stored and the moment of its file name.
    static QString meltName(const QString &fileName, const measurement::Measurement &m);

signals:
    // Switched on, off or to another melt: the shown melt is to be drawn again.
    void changed();

private:
    struct Compared
    {
        QString folder;
        archive::ArchiveEntry file;
        plot::ComparedCurves curves;
    };
    std::optional<archive::ArchiveEntry> previousOf(const archive::ArchiveEntry &shownFile) const;
    bool read(const archive::ArchiveEntry &file);
    void folderRead(const QString &folder);
    void filePut(const archive::ArchiveEntry &file);
    void fileRemoved(const QString &fileName);

    archive::CascadeSelection *selection;
    std::optional<archive::ArchiveEntry> shownFile;
    QString shownName;
    std::optional<Compared> compared;
};

} // namespace app
