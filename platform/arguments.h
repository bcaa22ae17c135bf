// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The bytes of a file-name argument as the program was given it. Qt decodes the arguments; one that
// the file-name encoding cannot decode (a name with an invalid byte, typed or pasted) arrives with
// replacement characters and would no longer name its file. Where the system keeps the arguments
// as given (Linux), the argument that decodes to `argument` is taken from there; elsewhere, and for
// every argument that decodes cleanly, this is encodeFileName(argument).
QByteArray encodedArgument(const QString &argument);

} // namespace platform
