// SPDX-License-Identifier: GPL-3.0-or-later
// sync in a build without libpq (the Windows build): the command is there and says so.
#include "commandline.h"
#include "commands.h"

#include <QCoreApplication>
#include <QTextStream>

namespace cli {

int runSync(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString leftOut = QCoreApplication::translate(
        "cli",
        "sync is not part of this build, which was made without libpq (the PostgreSQL client library)");
    if (!arguments.contains(QStringLiteral("--help")) && !arguments.contains(QStringLiteral("-h")))
        return reportFailure(err, QStringLiteral("sync"), leftOut);
    out << "Usage: steel-archive sync [options] [DIR]\n" << leftOut << '\n';
    out.flush();
    return exitSuccess;
}

} // namespace cli
