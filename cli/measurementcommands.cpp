// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurementcommands.h"
#include "language/systemtext.h"

#include "commandline.h"
#include "commandoutput.h"
#include "commands.h"
#include "output/curvestables.h"
#include "output/measurementvalues.h"
#include "output/outputfile.h"

#include "archive/archivename.h"
#include "archive/displayname.h"
#include "platform/arguments.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace cli {

QString notOneLineText()
{
    return QCoreApplication::translate("cli", "the first line is not a JSON object, and more lines follow (a "
                                              "document spread over several lines is read as its first line "
                                              "only)");
}

QString unparsedReason(const measurement::ReadFindings &findings)
{
    if (findings.firstLineTooLong)
        return QCoreApplication::translate("cli", "its first line is too long to be a measurement");
    return findings.spreadOverLines
               ? notOneLineText()
               : QCoreApplication::translate("cli", "the first line is not a JSON object");
}

std::optional<measurement::Measurement> readShownMeasurement(const QString &command, const QString &path,
                                                             QTextStream &err)
{
    // A name the file-name encoding cannot decode is opened by the bytes it was given as.
    const QByteArray encoded = platform::encodedArgument(path);
    std::optional<measurement::Measurement> read = measurement::readMeasurementFile(encoded);
    if (!read) {
        const bool undecodable = encoded != platform::encodeFileName(path);
        reportFailure(err, command,
                      (undecodable ? archive::displayName(encoded) : archive::displayPath(path)) +
                          QStringLiteral(": ") +
                          (undecodable ? QCoreApplication::translate("cli", "cannot be read")
                                       : language::unreadableReason(path)));
        return std::nullopt;
    }
    if (read->findings.documentNotParsed) {
        // The viewer would show empty fields and no curves; an export of that would pass for data.
        reportFailure(err, command,
                      QCoreApplication::translate("cli", "%1: not a measurement file: %2")
                          .arg(archive::displayPath(path), unparsedReason(read->findings)));
        return std::nullopt;
    }
    return read;
}

QString fileCommandExitCodes()
{
    return QCoreApplication::translate(
        "cli", "Exit codes: 0 done; 2 bad usage, a file that cannot be read or is not a measurement,\n"
               "or an output that cannot or must not be written (nothing is written then).\n");
}

namespace {

QString fileArgumentHelp()
{
    return QCoreApplication::translate("cli", "An archive measurement file.");
}

QString unreadableHelp()
{
    return QCoreApplication::translate(
        "cli", "A file that cannot be read, or whose first line is not a JSON object (the viewer shows\n"
               "empty fields for it), is an error.");
}

} // namespace

int runShow(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("show"),
        QCoreApplication::translate(
            "cli", "Shows a measurement file's values as the viewer's values panel does: the texts\n"
                   "as stored (\"1598,5\" and \"1598.5\" each as written), \"Нет данных\" for \"nan\"\n"
                   "and \"32767\", nothing for a missing key, the status verdict (nothing without\n"
                   "\"Status\"). For each curve: the number of stored samples (those that are not\n"
                   "\"nan\") and the span of their values; the numbers show works out itself are\n"
                   "written with the decimal separator of the reader's language (\"0,75\" in Russian).\n") +
            unreadableHelp(),
        1, 1, fileCommandExitCodes()};
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), fileArgumentHelp());
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QCoreApplication::translate("cli", "Write the values as JSON."));
    parser.addOption(jsonOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString path = parser.positionalArguments().constFirst();
    const std::optional<measurement::Measurement> read = readShownMeasurement(syntax.name, path, err);
    if (!read)
        return exitFailure;
    out << (parser.isSet(jsonOption) ? output::measurementValuesJson(path, *read)
                                     : output::measurementValuesText(*read));
    out.flush();
    return exitSuccess;
}

namespace {

CommandSyntax exportSyntax()
{
    return {QStringLiteral("export"),
            QCoreApplication::translate(
                "cli", "Writes the two curves of a measurement file as CSV: a header line\n"
                       "\"time_s,emf_mV,temperature_C\", then one row for each of the 160 sample times\n"
                       "0.0 to 15.9 s. A missing sample is an empty cell; every value reads back as\n"
                       "exactly the number the viewer draws. --xlsx writes a spreadsheet file instead:\n"
                       "a sheet of the samples and a sheet of the results, as find writes them.\n") +
                output::outputRuleHelpText() +
                QCoreApplication::translate(
                    "cli", "OUT's suffix chooses the format where no option does (.csv, .xlsx; any other\n"
                           "for CSV); -o - is standard output, which takes a spreadsheet file too,\n"
                           "unless it is a terminal.\n") +
                output::exactValuesHelpText() + csvFormatHelpText() + unreadableHelp(),
            1, 1, fileCommandExitCodes()};
}

QString writeCurvesXlsx(CommandOutput &output, const QString &path, const measurement::Measurement &m)
{
    return writeSpreadsheet(output, output::readingFile(path), [&](output::XlsxBook &book) {
        output::addCurvesSheets(book, QFileInfo(path).fileName(), m);
    });
}

} // namespace

int runExport(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax = exportSyntax();
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), fileArgumentHelp());
    const QCommandLineOption outputOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QCoreApplication::translate(
            "cli", "Write the CSV to OUT instead of standard output (\"-\": standard output)."),
        QStringLiteral("OUT.csv"));
    parser.addOption(outputOption);
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<output::CsvFormat> format = csvFormatOption(parser, syntax.name, err);
    CommandOutput output(syntax.name, out, err);
    if (!format || !output.choose(parser, outputOption, curveOutputFormats()))
        return exitFailure;

    const QString path = parser.positionalArguments().constFirst();
    if (!output.check(output::readingFile(path)))
        return exitFailure;
    const std::optional<measurement::Measurement> read = readShownMeasurement(syntax.name, path, err);
    if (!read || !output.open())
        return exitFailure;
    if (output.format() == output::Format::xlsx)
        return output.finish(writeCurvesXlsx(output, path, *read)) ? exitSuccess : exitFailure;
    output.text() << output::curvesCsv(*read, *format);
    return output.finish() ? exitSuccess : exitFailure;
}

} // namespace cli
