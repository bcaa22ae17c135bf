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

// A folder named on the command line, as the person meant it. Windows programs split their command
// line by the rule that a backslash before a double quote makes the quote a character, so the
// quoted folder "D:\plant data\archive\" arrives as `D:\plant data\archive"`. No Windows name
// holds a double quote: a trailing one there stands for the backslash that ended the folder.
// Elsewhere a quote is a character a name may hold, and the argument is taken as it is.
QString folderArgument(const QString &argument);

} // namespace platform
