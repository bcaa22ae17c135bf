// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"

#include "commandline.h"

#include <QTextStream>

namespace cli {

namespace {

struct Command
{
    const char *name;
    int (*run)(const QStringList &, QTextStream &, QTextStream &);
    const char *summary;
};

const Command commandTable[] = {
    {"ls", runList, "list an archive as the viewer's selection lists show it"},
    {"show", runShow, "show a measurement's values as the viewer's values panel does"},
    {"export", runExport, "write a measurement's two curves as CSV"},
    {"render", runRender, "draw a measurement's plot as the viewer does, into a PNG or PDF"},
    {"check", runCheck, "report archive files the viewer would show wrongly or not at all"},
    {"find", runFind, "list the measurements that meet given conditions"},
    {"report", runReport, "write a PDF report of the measurements that meet given conditions"},
    {"stats", runStats, "count and summarise the measurements that meet given conditions, in groups"},
    {"watch", runWatch, "print each new measurement as it lands in the archive, until interrupted"},
    {"demo", runDemo, "write a demo archive of made-up measurements into a folder"},
};

} // namespace

QString toolHelpText()
{
    QString text = QStringLiteral("Usage: steel-archive <command> [options] [arguments]\n"
                                  "Companion of the Velmora-Steel archive viewer: reads, checks and exports\n"
                                  "measurement archives exactly as the viewer sees them.\n\nCommands:\n");
    for (const Command &command : commandTable)
        text += QStringLiteral("  %1 %2\n")
                    .arg(QLatin1String(command.name), -8)
                    .arg(QLatin1String(command.summary));
    text +=
        QStringLiteral("\n\"steel-archive <command> --help\" describes a command;\n"
                       "\"steel-archive --version\" (or -V) prints the version.\n"
                       "Exit codes: 0 done; 1 the archive has problems (check's findings, no archive\n"
                       "file at all, files find had to skip, the folder watch watched disappeared); 2 bad "
                       "usage, an input that cannot be read or\n"
                       "an output that cannot or must not be written (standard output included: \"write\n"
                       "error\"). Each command's --help has its own.\n");
    return text;
}

bool commandNeedsWidgets(const QString &command)
{
    return command == QLatin1String("render") || command == QLatin1String("report");
}

int runCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty()) {
        err << toolHelpText();
        err.flush();
        return exitFailure;
    }
    const QString &name = arguments.constFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        out << toolHelpText();
        out.flush();
        return exitSuccess;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-V")) {
        out << "steel-archive " << QStringLiteral(STEEL_VERSION) << '\n';
        out.flush();
        return exitSuccess;
    }
    for (const Command &command : commandTable) {
        if (name == QLatin1String(command.name))
            return command.run(arguments, out, err);
    }
    err << "steel-archive: unknown command \"" << name << "\"; see steel-archive --help\n";
    err.flush();
    return exitFailure;
}

} // namespace cli
