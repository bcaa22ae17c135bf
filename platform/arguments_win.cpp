// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/arguments.h"

#include "platform/filesystem.h"

namespace platform {

// Windows hands the arguments over as UTF-16, which Qt decodes exactly.
QByteArray encodedArgument(const QString &argument)
{
    return encodeFileName(argument);
}

} // namespace platform
