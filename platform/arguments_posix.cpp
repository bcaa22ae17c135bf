// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/arguments.h"

#include <QFile>
#include <QList>

namespace platform {

namespace {

// The arguments as given, from the kernel's copy; empty where there is none.
QList<QByteArray> givenArguments()
{
#ifdef Q_OS_LINUX
    QFile commandLine(QStringLiteral("/proc/self/cmdline"));
    if (commandLine.open(QIODevice::ReadOnly)) {
        QByteArray bytes = commandLine.readAll();
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        return bytes.split('\0');
    }
#endif
    return {};
}

} // namespace

QByteArray encodedArgument(const QString &argument)
{
    const QByteArray encoded = QFile::encodeName(argument);
    if (QFile::decodeName(encoded) == argument && !argument.contains(QChar::ReplacementCharacter))
        return encoded;
    for (const QByteArray &given : givenArguments()) {
        if (QFile::decodeName(given) == argument)
            return given;
    }
    return encoded;
}

QString folderArgument(const QString &argument)
{
    return argument;
}

} // namespace platform
