// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands.h"

#include "commandline.h"
#include "language/helplayout.h"
#include "output/codepageoutput.h"
#include "platform/filesystem.h"

#include <QCoreApplication>
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
    {"ls", runList, QT_TRANSLATE_NOOP("cli", "list an archive as the viewer's selection lists show it")},
    {"show", runShow,
     QT_TRANSLATE_NOOP("cli", "show a measurement's values as the viewer's values panel does")},
    {"export", runExport, QT_TRANSLATE_NOOP("cli", "write a measurement's two curves as CSV")},
    {"render", runRender,
     QT_TRANSLATE_NOOP("cli", "draw a measurement's plot as the viewer does, into a PNG or PDF")},
    {"check", runCheck,
     QT_TRANSLATE_NOOP("cli", "report archive files the viewer would show wrongly or not at all")},
    {"find", runFind, QT_TRANSLATE_NOOP("cli", "list the measurements that meet given conditions")},
    {"report", runReport,
     QT_TRANSLATE_NOOP("cli", "write a PDF report of the measurements that meet given conditions")},
    {"stats", runStats,
     QT_TRANSLATE_NOOP("cli", "count and summarise the measurements that meet given conditions, in groups")},
    {"chart", runChart,
     QT_TRANSLATE_NOOP("cli", "compute the control chart of a result of one technology's melts")},
    {"watch", runWatch,
     QT_TRANSLATE_NOOP("cli", "print each new measurement as it lands in the archive, until interrupted")},
    {"sync", runSync, QT_TRANSLATE_NOOP("cli", "keep a PostgreSQL database equal to the archive")},
    {"demo", runDemo, QT_TRANSLATE_NOOP("cli", "write a demo archive of made-up measurements into a folder")},
};

} // namespace

QString toolHelpText()
{
    // The completion and the man page read the English headings: they run the program under the C
    // locale.
    QString text = QCoreApplication::translate(
                       "cli", "Usage: steel-archive <command> [options] [arguments]\n"
                              "Companion of the Velmora-Steel archive viewer: reads, checks and exports\n"
                              "measurement archives exactly as the viewer sees them.\n") +
                   QLatin1Char('\n') + QCoreApplication::translate("cli", "Commands:") + QLatin1Char('\n');
    for (const Command &command : commandTable) {
        if (command.run == runSync && !syncIsBuilt())
            continue;
        text += QStringLiteral("  %1 %2\n")
                    .arg(QLatin1String(command.name), -8)
                    .arg(QCoreApplication::translate("cli", command.summary));
    }
    text += QLatin1Char('\n') +
            QCoreApplication::translate(
                "cli", "\"steel-archive <command> --help\" describes a command;\n"
                       "\"steel-archive --version\" (or -V) prints the version.\n"
                       "Exit codes: 0 done; 1 the archive has problems (check's findings, no archive\n"
                       "file at all, files find had to skip, the folder watch watched disappeared); 2 bad\n"
                       "usage, an input that cannot be read or an output that cannot or must not be\n"
                       "written (standard output included: \"write error\"). Each command's --help has\n"
                       "its own.\n");
    if (platform::systemKind() == platform::SystemKind::windows)
        text +=
            QLatin1Char('\n') +
            QCoreApplication::translate(
                "cli", "A folder may end in a backslash even within quotes (\"D:\\plant data\\archive\\\"),\n"
                       "though Windows then passes on a quote in its place: it is taken for the folder.\n");
    const QString encoding = output::encodingHelpText();
    if (!encoding.isEmpty())
        text += QLatin1Char('\n') + encoding;
    return language::fitToColumns(text);
}

bool commandNeedsWidgets(const QString &command)
{
    return command == QLatin1String("render") || command == QLatin1String("report") ||
           command == QLatin1String("chart");
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
    // An option where the command belongs is no command the user misspelt.
    err << (name.startsWith(QLatin1Char('-'))
                ? QCoreApplication::translate("cli",
                                              "steel-archive: unknown option '%1'; see steel-archive --help")
                : QCoreApplication::translate(
                      "cli", "steel-archive: unknown command \"%1\"; see steel-archive --help"))
               .arg(name)
        << '\n';
    err.flush();
    return exitFailure;
}

} // namespace cli
