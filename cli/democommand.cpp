// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"
#include "commandline.h"
#include "commands.h"

#include "demo/demoarchive.h"
#include "output/outputfile.h"
#include "platform/arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace cli {

int runDemo(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("demo"),
        QCoreApplication::translate(
            "cli",
            "Writes a demo archive of made-up measurements into DIR: three technologies, measurements\n"
            "over more than a year, each file's modification time equal to its measurement moment\n"
            "(local time). A few files show the unusual cases: \"nan\" and \"32767\" results, every\n"
            "status code, unknown codes, a missing status and recordings that stop early.\n"
            "The same seed always gives the same files.\n"
            "\n"
            "DIR is created if it does not exist. An existing DIR must be empty or hold nothing but\n"
            "files of an earlier demo archive (any seed), each byte for byte as demo wrote it; these\n"
            "are rewritten. Any other content (another file, a file changed since, a folder, a hidden\n"
            "entry) makes the command refuse and change nothing.\n") +
            QCoreApplication::translate(
                "cli", "Only the unfinished file of a run that was killed while writing (.steel-archive-*)\n"
                       "is passed over.\n"),
        1, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 written; 2 bad usage, a DIR the command refuses, or a file that cannot\n"
                   "be written.\n")};
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QCoreApplication::translate("cli", "Folder to write the archive into."));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QCoreApplication::translate("cli", "Seed of the made-up values (default %1).").arg(demo::defaultSeed),
        QStringLiteral("N"));
    parser.addOption(seedOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    quint64 seed = demo::defaultSeed;
    if (parser.isSet(seedOption)) {
        bool ok = false;
        seed = parser.value(seedOption).toULongLong(&ok, 10);
        if (!ok)
            return reportFailure(
                err, syntax.name,
                QCoreApplication::translate(
                    "cli", "--seed \"%1\" is not a whole number from 0 to 18446744073709551615")
                    .arg(parser.value(seedOption)));
    }

    const QString directory = platform::folderArgument(parser.positionalArguments().constFirst());
    const QVector<demo::DemoFile> files = demo::demoArchive(seed);
    const QString refusal = demo::demoRefusal(directory, files);
    if (!refusal.isEmpty())
        return reportFailure(err, syntax.name, refusal);
    const QString failure = demo::writeDemoArchive(directory, files);
    if (!failure.isEmpty())
        return reportFailure(err, syntax.name, failure);
    out << QCoreApplication::translate("cli", "wrote %1 measurement files to %2 (seed %3)")
               .arg(QString::number(files.size()), archive::displayPath(directory), QString::number(seed))
        << '\n';
    out.flush();
    return exitSuccess;
}
} // namespace cli
