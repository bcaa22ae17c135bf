// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivefixture.h"

#include "cli/commands.h"
#include "mainwindow.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QTextStream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fixture {

namespace {

const qint64 baseSecs = 1551949200; // 2019-03-07 09:00:00 UTC

QString typeOf(const struct stat &status)
{
    if (S_ISREG(status.st_mode))
        return QStringLiteral("file");
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("dir");
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("link");
    if (S_ISFIFO(status.st_mode))
        return QStringLiteral("fifo");
    return QStringLiteral("other");
}

QByteArray contentHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("unreadable");
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

} // namespace

QByteArray measurementLine(const QString &smelt, const QString &status)
{
    QByteArray values;
    for (int i = 0; i < 160; ++i)
        values += (i ? "," : "") + QByteArray("\"") + QByteArray::number(1500 + i) + "\"";
    return QByteArrayLiteral("{\"Smelt\":\"") + smelt.toUtf8() +
           QByteArrayLiteral("\",\"Temp\":\"1563.40\",\"Eds\":\"-112.5\",\"OxActivity\":\"12.3\","
                             "\"MassAl\":\"45\",\"Carbon\":\"0.045\",\"Status\":\"") +
           status.toUtf8() + QByteArrayLiteral("\",\"Archives\":[{\"values\":[\"1\",\"2\"]},{\"values\":[") +
           values + QByteArrayLiteral("]}]}\n");
}

qint64 instant(int secondsAfterBase)
{
    return baseSecs + secondsAfterBase;
}

bool setModified(const QString &path, qint64 modifiedSecs)
{
    struct timespec times[2];
    times[0].tv_sec = modifiedSecs;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool writeFile(const QString &path, const QByteArray &bytes, qint64 modifiedSecs)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return setModified(path, modifiedSecs);
}

bool makeFifo(const QString &path, qint64 modifiedSecs)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0 && setModified(path, modifiedSecs);
}

bool makeSymlink(const QString &target, const QString &path)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
}

bool writeSparseFile(const QString &path, const QByteArray &head, qint64 size, qint64 modifiedSecs)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size() || !file.resize(size))
        return false;
    file.close();
    return setModified(path, modifiedSecs);
}

QMap<QString, QString> snapshot(const QString &root)
{
    QMap<QString, QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList paths{root};
    while (it.hasNext())
        paths << it.next();
    for (const QString &path : paths) {
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
            entries.insert(path, QStringLiteral("vanished"));
            continue;
        }
        QString description = QStringLiteral("%1 size %2 mode %3 modified %4.%5")
                                  .arg(typeOf(status))
                                  .arg(status.st_size)
                                  .arg(status.st_mode & 07777, 0, 8)
                                  .arg(status.st_mtim.tv_sec)
                                  .arg(status.st_mtim.tv_nsec);
        if (S_ISREG(status.st_mode))
            description += QStringLiteral(" sha256 ") + QString::fromLatin1(contentHash(path));
        if (S_ISLNK(status.st_mode))
            description += QStringLiteral(" -> ") + QFile::symLinkTarget(path);
        entries.insert(path.mid(root.size()), description);
    }
    return entries;
}

ToolRun runTool(const QStringList &arguments)
{
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.exitCode = cli::runCommand(arguments, out, err);
    out.flush();
    err.flush();
    return run;
}

Viewer::Viewer(MainWindow *window)
    : window(window), technology(window->findChild<QComboBox *>(QStringLiteral("comboSteelTech"))),
      yearMonth(window->findChild<QComboBox *>(QStringLiteral("yearMonthCombobox"))),
      day(window->findChild<QComboBox *>(QStringLiteral("dayCombobox"))),
      time(window->findChild<QComboBox *>(QStringLiteral("timeSteel"))),
      smelt(window->findChild<QLabel *>(QStringLiteral("nameSteelSmelt"))),
      temperature(window->findChild<QLabel *>(QStringLiteral("steelTemp"))),
      status(window->findChild<QLabel *>(QStringLiteral("statusLabel")))
{}

QStringList Viewer::entries(const QComboBox *list) const
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

QStringList Viewer::shownValues() const
{
    QStringList texts;
    for (const char *name :
         {"nameSteelSmelt", "steelTemp", "steelEmf", "steelAO", "steelAl", "steelC", "statusLabel"})
        texts << window->findChild<QLabel *>(QLatin1String(name))->text();
    return texts;
}

int Viewer::walkEverything() const
{
    int chosen = 0;
    for (int t = 1; t < technology->count(); ++t) {
        technology->setCurrentIndex(t);
        for (int m = 1; m < yearMonth->count(); ++m) {
            yearMonth->setCurrentIndex(m);
            for (int d = 1; d < day->count(); ++d) {
                day->setCurrentIndex(d);
                for (int i = 1; i < time->count(); ++i) {
                    time->setCurrentIndex(i);
                    ++chosen;
                }
            }
        }
    }
    return chosen;
}

} // namespace fixture
