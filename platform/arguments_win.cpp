// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/arguments.h"

#include "platform/filesystem.h"

namespace platform {

// Windows hands the arguments over as UTF-16, which Qt decodes exactly.
QByteArray encodedArgument(const QString &argument)
{
    return encodeFileName(argument);
}

QString folderArgument(const QString &argument)
{
    if (argument.size() > 1 && argument.endsWith(QLatin1Char('"')))
        return argument.chopped(1) + QLatin1Char('\\');
    return argument;
}

} // namespace platform
