// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/meltcomparison.h"

#include "app/cascade.h"
#include "archive/archivelisting.h"
#include "archive/archivename.h"
#include "archive/cascadeselection.h"
#include "platform/filesystem.h"

namespace app {

MeltComparison::MeltComparison(archive::CascadeSelection *selection, QObject *parent)
    : QObject(parent), selection(selection)
{
    connect(selection, &archive::CascadeSelection::refreshed, this, &MeltComparison::folderRead);
    const archive::ArchiveModel *model = &selection->model();
    connect(model, &archive::ArchiveModel::filePut, this, &MeltComparison::filePut);
    connect(model, &archive::ArchiveModel::fileRemoved, this, &MeltComparison::fileRemoved);
}

MeltComparison::~MeltComparison() = default;

QString MeltComparison::meltName(const QString &fileName, const measurement::Measurement &m)
{
    const QString number = m.smelt.value_or(QString()).trimmed();
    return QStringLiteral("Плавка № %1 (%2)")
        .arg(number.isEmpty() ? QStringLiteral("—") : number,
             archive::momentDisplayText(archive::momentOfFile(fileName)));
}

void MeltComparison::setShown(const archive::ArchiveEntry &file, const measurement::Measurement &shown)
{
    shownFile = file;
    shownName = meltName(file.fileName, shown);
    if (compared)
        compared->curves.shownName = shownName;
}

void MeltComparison::clearShown()
{
    shownFile.reset();
}

const plot::ComparedCurves *MeltComparison::overlay() const
{
    return compared && shownFile ? &compared->curves : nullptr;
}

bool MeltComparison::compareWithPrevious()
{
    if (!shownFile)
        return false;
    const std::optional<archive::ArchiveEntry> previous = previousOf(*shownFile);
    return previous && read(*previous);
}

bool MeltComparison::compareWith(const QString &fileName)
{
    const std::optional<archive::ArchiveEntry> file = selection->model().file(fileName);
    return file && read(*file);
}

void MeltComparison::clear()
{
    if (!compared)
        return;
    compared.reset();
    emit changed();
}

// The newest file older than the shown one among those the lists give its technology: the same
// files the operator would step through, whatever their names say of their moments.
std::optional<archive::ArchiveEntry> MeltComparison::previousOf(const archive::ArchiveEntry &shown) const
{
    const archive::ArchiveModel &model = selection->model();
    const QString technology = selection->list(archive::ListLevel::technology).currentText();
    std::optional<archive::ArchiveEntry> previous;
    for (const QString &month : model.months(technology)) {
        for (const QString &day : model.days(technology, month)) {
            for (const archive::TimeEntry &entry : model.times(technology, month, day)) {
                const archive::ArchiveEntry &file = entry.file;
                if (archive::isNewer(shown.modifiedNsecs, shown.fileName, file.modifiedNsecs,
                                     file.fileName) &&
                    (!previous || archive::isNewer(file.modifiedNsecs, file.fileName, previous->modifiedNsecs,
                                                   previous->fileName)))
                    previous = file;
            }
        }
    }
    return previous;
}

bool MeltComparison::read(const archive::ArchiveEntry &file)
{
    const QString folder = selection->model().folder();
    const std::optional<measurement::Measurement> loaded = measurement::readMeasurementFile(
        platform::encodeFileName(cascade::loadDirectory(folder)) + '/' + file.encodedName());
    if (!loaded)
        return false;
    plot::ComparedCurves curves{loaded->temperature, loaded->emf, shownName,
                                meltName(file.fileName, *loaded)};
    compared = Compared{folder, file, std::move(curves)};
    emit changed();
    return true;
}

void MeltComparison::folderRead(const QString &folder)
{
    // The same folder read again keeps a compared melt that is still in it.
    if (compared && (folder != compared->folder || !selection->model().file(compared->file.fileName)))
        clear();
}

void MeltComparison::filePut(const archive::ArchiveEntry &file)
{
    // Written again: the compared curves are read anew, or go when they can no longer be read.
    if (compared && file.fileName == compared->file.fileName && file != compared->file && !read(file))
        clear();
}

void MeltComparison::fileRemoved(const QString &fileName)
{
    if (compared && fileName == compared->file.fileName)
        clear();
}

} // namespace app
