// SPDX-License-Identifier: GPL-3.0-or-later
// sync in a build without libpq (the Windows build): the command is there and says so.
#include "commandline.h"
#include "commands.h"

#include <QCoreApplication>
#include <QTextStream>

namespace cli {

bool syncIsBuilt()
{
    return false;
}

int runSync(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const QString leftOut = QCoreApplication::translate(
        "cli", "sync is left out of this build, which has no libpq (PostgreSQL's client library)");
    if (!arguments.contains(QStringLiteral("--help")) && !arguments.contains(QStringLiteral("-h")))
        return reportFailure(err, QStringLiteral("sync"), leftOut);
    out << "Usage: steel-archive sync [options] [DIR]\n" << leftOut << '\n';
    out.flush();
    return exitSuccess;
}

} // namespace cli
