// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/arguments.h"

#include <QFile>

namespace platform {

// Windows hands the arguments over as UTF-16, which Qt decodes exactly.
QByteArray encodedArgument(const QString &argument)
{
    return QFile::encodeName(argument);
}

} // namespace platform
