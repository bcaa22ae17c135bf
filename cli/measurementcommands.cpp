// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurementcommands.h"

#include "commandline.h"
#include "commands.h"

#include "archive/displayname.h"
#include "platform/arguments.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>
#include <QTextStream>

#include <cmath>

namespace cli {

QString notOneLineText()
{
    return QStringLiteral(
        "the first line is not a JSON object, and more lines follow (a document spread over "
        "several lines is read as its first line only)");
}

QString unparsedReason(const measurement::ReadFindings &findings)
{
    if (findings.firstLineTooLong)
        return QStringLiteral("its first line is too long to be a measurement");
    return findings.spreadOverLines ? notOneLineText()
                                    : QStringLiteral("the first line is not a JSON object");
}

QString statusDisplayText(const measurement::MeasurementResults &results)
{
    return results.status.value_or(QString());
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
                      (undecodable ? archive::displayName(encoded) : path) + QStringLiteral(": ") +
                          (undecodable ? QStringLiteral("cannot be read") : unreadableReason(path)));
        return std::nullopt;
    }
    if (read->findings.documentNotParsed) {
        // The viewer would show empty fields and no curves; an export of that would pass for data.
        reportFailure(err, command,
                      path + QStringLiteral(": not a measurement file: ") + unparsedReason(read->findings));
        return std::nullopt;
    }
    return read;
}

void addCsvFormatOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("delimiter"),
        QStringLiteral("Separate the cells with C instead of \",\" (e.g. \";\")."), QStringLiteral("C")));
    parser.addOption(
        QCommandLineOption(QStringLiteral("decimal-comma"),
                           QStringLiteral("Write numbers with \",\" as the decimal separator.")));
}

std::optional<CsvFormat> csvFormatOption(const QCommandLineParser &parser, const QString &command,
                                         QTextStream &err)
{
    CsvFormat format;
    format.decimalComma = parser.isSet(QStringLiteral("decimal-comma"));
    if (parser.isSet(QStringLiteral("delimiter"))) {
        const QString text = parser.value(QStringLiteral("delimiter"));
        const QChar c = text.size() == 1 ? text.at(0) : QChar();
        // A character that can be part of a number, a quote or a line break would make cells ambiguous.
        if (text.size() != 1 || c.isLetterOrNumber() || QStringLiteral(".\"+-\r\n").contains(c)) {
            reportFailure(err, command,
                          QStringLiteral("--delimiter \"%1\" is not one character that can separate cells "
                                         "(such as \";\" or \",\")")
                              .arg(text));
            return std::nullopt;
        }
        format.delimiter = c;
    }
    if (format.decimalComma && format.delimiter == QLatin1Char(',')) {
        reportFailure(
            err, command,
            QStringLiteral("--decimal-comma needs another delimiter than \",\", such as --delimiter ';'"));
        return std::nullopt;
    }
    return format;
}

QString csvLine(const QStringList &cells, const CsvFormat &format)
{
    QStringList written;
    written.reserve(cells.size());
    for (const QString &cell : cells) {
        const bool quote = cell.contains(format.delimiter) || cell.contains(QLatin1Char('"')) ||
                           cell.contains(QLatin1Char('\n')) || cell.contains(QLatin1Char('\r'));
        written.append(quote ? QLatin1Char('"') +
                                   QString(cell).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                                   QLatin1Char('"')
                             : cell);
    }
    return written.join(format.delimiter) + QLatin1Char('\n');
}

QString csvNumber(const QString &cNotation, const CsvFormat &format)
{
    return format.decimalComma ? QString(cNotation).replace(QLatin1Char('.'), QLatin1Char(',')) : cNotation;
}

QString csvText(const measurement::Measurement &measurement, const CsvFormat &format)
{
    QString text = csvLine(
        {QStringLiteral("time_s"), QStringLiteral("emf_mV"), QStringLiteral("temperature_C")}, format);
    const auto cell = [&format](const QVector<double> &curve, int i) {
        return i < curve.size() && !std::isnan(curve[i]) ? csvNumber(exactNumberText(curve[i]), format)
                                                         : QString();
    };
    for (int i = 0; i < measurement::samplesPerCurve; ++i) {
        // Written from the sample number, not from i * 0.1, which is not exactly a tenth.
        const QString time = QStringLiteral("%1.%2").arg(i / 10).arg(i % 10);
        text += csvLine({csvNumber(time, format), cell(measurement.emf, i), cell(measurement.temperature, i)},
                        format);
    }
    return text;
}

QString fileCommandExitCodes()
{
    return QStringLiteral(
        "Exit codes: 0 done; 2 bad usage, a file that cannot be read or is not a measurement,\n"
        "or an output that cannot or must not be written (nothing is written then).\n");
}

namespace {

const QString fileArgumentHelp = QStringLiteral("An archive measurement file.");
const QString unreadableHelp =
    QStringLiteral("A file that cannot be read, or whose first line is not a JSON object (the viewer shows\n"
                   "empty fields for it), is an error.");

QJsonObject curveJson(const CurveSummary &summary)
{
    return QJsonObject{{QStringLiteral("samples"), summary.samples},
                       {QStringLiteral("min"),
                        summary.minimum ? QJsonValue(*summary.minimum) : QJsonValue(QJsonValue::Null)},
                       {QStringLiteral("max"),
                        summary.maximum ? QJsonValue(*summary.maximum) : QJsonValue(QJsonValue::Null)}};
}

QString curveLine(const CurveSummary &summary, const QString &unit)
{
    QString line = QStringLiteral("%1 samples").arg(summary.samples);
    if (summary.minimum)
        line += QStringLiteral(", %1 .. %2 %3")
                    .arg(exactNumberText(*summary.minimum), exactNumberText(*summary.maximum), unit);
    return line;
}

} // namespace

int runShow(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("show"),
        QStringLiteral("Shows a measurement file's values as the viewer's values panel does: the texts as\n"
                       "stored, \"Нет данных\" for \"nan\" and \"32767\", nothing for a missing key, the\n"
                       "status verdict (nothing without \"Status\"). For each curve: the number of stored\n"
                       "samples (those that are not \"nan\") and the span of their values.\n") +
            unreadableHelp,
        1, 1, fileCommandExitCodes()};
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), fileArgumentHelp);
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the values as JSON."));
    parser.addOption(jsonOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString path = parser.positionalArguments().constFirst();
    const std::optional<measurement::Measurement> read = readShownMeasurement(syntax.name, path, err);
    if (!read)
        return exitFailure;
    const measurement::Measurement &m = *read;
    const CurveSummary emf = summarizeCurve(m.emf);
    const CurveSummary temperature = summarizeCurve(m.temperature);

    if (parser.isSet(jsonOption)) {
        const QJsonObject shown{{QStringLiteral("file"), path},
                                {QStringLiteral("smelt"), measurement::displayText(m.smelt)},
                                {QStringLiteral("temperature"), measurement::displayText(m.temperatureText)},
                                {QStringLiteral("oxidation"), measurement::displayText(m.oxidation)},
                                {QStringLiteral("emf"), measurement::displayText(m.emfText)},
                                {QStringLiteral("aluminiumMass"), measurement::displayText(m.aluminiumMass)},
                                {QStringLiteral("carbon"), measurement::displayText(m.carbon)},
                                {QStringLiteral("status"), statusDisplayText(m)},
                                {QStringLiteral("statusCode"),
                                 m.statusCode ? QJsonValue(*m.statusCode) : QJsonValue(QJsonValue::Null)},
                                {QStringLiteral("emfCurve"), curveJson(emf)},
                                {QStringLiteral("temperatureCurve"), curveJson(temperature)}};
        out << QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Indented));
    } else {
        out << "melt:               " << measurement::displayText(m.smelt) << '\n'
            << QStringLiteral("temperature, °C:    ") << measurement::displayText(m.temperatureText) << '\n'
            << "oxidation, ppm:     " << measurement::displayText(m.oxidation) << '\n'
            << "EMF, mV:            " << measurement::displayText(m.emfText) << '\n'
            << "aluminium mass, kg: " << measurement::displayText(m.aluminiumMass) << '\n'
            << "carbon, %:          " << measurement::displayText(m.carbon) << '\n'
            << "status:             " << statusDisplayText(m) << '\n'
            << "EMF curve:          " << curveLine(emf, QStringLiteral("mV")) << '\n'
            << "temperature curve:  " << curveLine(temperature, QStringLiteral("°C")) << '\n';
    }
    out.flush();
    return exitSuccess;
}

int runExport(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("export"),
        QStringLiteral("Writes the two curves of a measurement file as CSV: a header line\n"
                       "\"time_s,emf_mV,temperature_C\", then one row for each of the 160 sample times\n"
                       "0.0 to 15.9 s. A missing sample is an empty cell; every value reads back as exactly\n"
                       "the number the viewer draws. For a spreadsheet set up for Russian:\n"
                       "--delimiter ';' --decimal-comma.\n"
                       "The output may not be the input file itself, nor a name the viewer would list\n"
                       "(steel_*.json) in the input's folder.\n") +
            unreadableHelp,
        1, 1, fileCommandExitCodes()};
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"), fileArgumentHelp);
    const QCommandLineOption outputOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the CSV to OUT instead of standard output (\"-\": standard output)."),
        QStringLiteral("OUT.csv"));
    parser.addOption(outputOption);
    addCsvFormatOptions(parser);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;
    const std::optional<CsvFormat> format = csvFormatOption(parser, syntax.name, err);
    if (!format)
        return exitFailure;

    const QString path = parser.positionalArguments().constFirst();
    const QString output = parser.isSet(outputOption) ? parser.value(outputOption) : QStringLiteral("-");
    const QString refusal = outputRefusal(path, output);
    if (!refusal.isEmpty())
        return reportFailure(err, syntax.name, output + QStringLiteral(": ") + refusal);
    const std::optional<measurement::Measurement> read = readShownMeasurement(syntax.name, path, err);
    if (!read)
        return exitFailure;
    const QString csv = csvText(*read, *format);
    if (isStandardOutput(output)) {
        out << csv;
        out.flush();
        return exitSuccess;
    }
    const QString unwritable = unwritableReason(output);
    if (!unwritable.isEmpty())
        return reportFailure(err, syntax.name, output + QStringLiteral(": ") + unwritable);
    // All or nothing: a failed write must not leave a truncated CSV that looks complete.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.toUtf8()) < 0 || !file.commit())
        return reportFailure(err, syntax.name,
                             output + QStringLiteral(": ") + systemReason(file.errorString()));
    return exitSuccess;
}

} // namespace cli
