// SPDX-License-Identifier: GPL-3.0-or-later
#include "systemtext.h"

#include "platform/filesystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace language {

namespace {

// The system's reasons as the C locale writes them, translated for a system without its own
// translation of them (a locale whose messages are not installed). The translations follow the
// system's own wording where it has one, so that a line reads the same on either.
[[maybe_unused]] const char *const systemReasons[] = {
    QT_TRANSLATE_NOOP("system", "No such file or directory"),
    QT_TRANSLATE_NOOP("system", "Permission denied"),
    QT_TRANSLATE_NOOP("system", "No space left on device"),
    QT_TRANSLATE_NOOP("system", "Is a directory"),
    QT_TRANSLATE_NOOP("system", "Not a directory"),
    QT_TRANSLATE_NOOP("system", "Read-only file system"),
    QT_TRANSLATE_NOOP("system", "File too large"),
    QT_TRANSLATE_NOOP("system", "Input/output error"),
    QT_TRANSLATE_NOOP("system", "Disk quota exceeded"),
    QT_TRANSLATE_NOOP("system", "Too many levels of symbolic links"),
    QT_TRANSLATE_NOOP("system", "File name too long"),
    QT_TRANSLATE_NOOP("system", "Operation not permitted"),
    QT_TRANSLATE_NOOP("system", "Device or resource busy"),
    QT_TRANSLATE_NOOP("system", "Text file busy"),
    QT_TRANSLATE_NOOP("system", "Stale file handle"),
    QT_TRANSLATE_NOOP("system", "Too many open files"),
    QT_TRANSLATE_NOOP("system", "No such device or address"),
    QT_TRANSLATE_NOOP("system", "No such device"),
    QT_TRANSLATE_NOOP("system", "Operation not supported"),
    QT_TRANSLATE_NOOP("system", "Invalid argument"),
    QT_TRANSLATE_NOOP("system", "Cannot allocate memory"),
    QT_TRANSLATE_NOOP("system", "File exists"),
    QT_TRANSLATE_NOOP("system", "Invalid cross-device link"),
    QT_TRANSLATE_NOOP("system", "Broken pipe"),
    QT_TRANSLATE_NOOP("system", "Bad file descriptor"),
    QT_TRANSLATE_NOOP("system", "Connection timed out"),
    QT_TRANSLATE_NOOP("system", "Transport endpoint is not connected"),
    QT_TRANSLATE_NOOP("system", "Resource temporarily unavailable"),
    QT_TRANSLATE_NOOP("system", "Interrupted system call"),
    QT_TRANSLATE_NOOP("system", "Host is down"),
    QT_TRANSLATE_NOOP("system", "No medium found"),
    QT_TRANSLATE_NOOP("system", "Remote I/O error"),
    QT_TRANSLATE_NOOP("system", "Unknown error"),
};

} // namespace

QString systemText(const QString &text)
{
    // The system's own localized text (strerror under the user's locale) is no source of ours and
    // stays as it is; the C locale's English text is translated where the reader's language has it.
    const QByteArray source = text.toUtf8();
    return QCoreApplication::translate("system", source.constData());
}

QString systemReason(const QString &errorString)
{
    QString reason = errorString.trimmed();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    reason = systemText(reason);
    if (!reason.isEmpty() && !(reason.size() > 1 && reason.at(1).isUpper()))
        reason[0] = reason.at(0).toLower(); // but keep "QPainter" or "EOF" as written
    return reason.isEmpty() ? QCoreApplication::translate("language", "unknown error") : reason;
}

QString lookupFailure(const QString &path)
{
    const QString failure = platform::lookupFailure(path);
    return failure.isEmpty() ? failure : systemReason(failure);
}

QString unreadableReason(const QString &path)
{
    const QString lookup = lookupFailure(path);
    if (!lookup.isEmpty())
        return lookup;
    const QFileInfo info(path);
    if (info.isDir())
        return QCoreApplication::translate("language", "is a folder, not a file");
    if (!info.isFile())
        return QCoreApplication::translate("language", "is not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return systemReason(file.errorString());
    return QCoreApplication::translate("language", "cannot be read");
}

QString unreadableReason(const QByteArray &encodedPath)
{
    const QString decoded = platform::decodeFileName(encodedPath);
    if (platform::encodeFileName(decoded) == encodedPath)
        return unreadableReason(decoded);
    const QString lookup = platform::lookupFailure(encodedPath);
    if (!lookup.isEmpty())
        return systemReason(lookup);
    if (!platform::regularFileStamp(encodedPath))
        return QCoreApplication::translate("language", "is not a regular file");
    return QCoreApplication::translate("language", "cannot be read");
}
} // namespace language
