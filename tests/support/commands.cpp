// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commands.h"

#include "cli/commands.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTextStream>

namespace support {

namespace {
// Made absolute before any test changes the working directory: on Windows a path from the build
// machine ("/work/...") names a folder on the current drive, which a test's temporary folder changes.
const QString program = QFileInfo(QStringLiteral(STEEL_ARCHIVE_PROGRAM)).absoluteFilePath();
} // namespace

CommandResult runTool(const QStringList &arguments)
{
    CommandResult result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    result.exitCode = cli::runCommand(arguments, out, err);
    out.flush();
    err.flush();
    return result;
}

QString steelArchiveProgram()
{
    return program;
}

CommandResult runProgram(const QStringList &arguments, const QStringList &environment)
{
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        const int equals = entry.indexOf(QLatin1Char('='));
        const QString name = entry.left(equals);
        const QString value = entry.mid(equals + 1);
        if (value.isEmpty())
            variables.remove(name);
        else
            variables.insert(name, value);
    }
    process.setProcessEnvironment(variables);
    process.start(steelArchiveProgram(), arguments);
    CommandResult result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace support
