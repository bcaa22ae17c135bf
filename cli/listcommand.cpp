// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"

#include "archive/archivescans.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace cli {

namespace {

// An empty entry (the empty technology, or a month or day from a name whose moment does not parse)
// acts like the placeholder in the viewer: it leads no further, so nothing is listed below it.
QString entryText(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : text;
}

} // namespace

int runList(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("ls"),
        QStringLiteral(
            "Lists the archive in DIR as the viewer's selection lists show it: each technology in\n"
            "the list's order, below it its months (newest first), their days (latest first) and\n"
            "the times of each day (most recently modified file first). The technology the viewer\n"
            "opens on is marked \"(newest)\". An empty entry leads no further, as in the viewer.\n"
            "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QStringLiteral("Exit codes: 0 done; 1 DIR holds no archive file at all (the subfolders that do are\n"
                       "named); 2 bad usage or a folder that cannot be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the lists as JSON."));
    parser.addOption(jsonOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name, directory + QStringLiteral(": ") + reason);

    const archive::TechnologyScan scan = archive::scanTechnologies(directory);
    QString text;
    QTextStream lines(&text);
    QJsonArray technologiesJson;
    for (const QString &technology : scan.technologies) {
        const bool newest = technology == scan.newestTechnology;
        lines << entryText(technology) << (newest ? " (newest)" : "") << '\n';
        QJsonArray monthsJson;
        const QStringList months =
            technology.isEmpty() ? QStringList() : archive::scanYearMonths(directory, technology);
        for (const QString &month : months) {
            lines << "  " << entryText(month) << '\n';
            QJsonArray daysJson;
            const QStringList days =
                month.isEmpty() ? QStringList() : archive::scanDays(directory, technology, month);
            for (const QString &day : days) {
                const QStringList times =
                    day.isEmpty() ? QStringList() : archive::scanTimes(directory, technology, month, day);
                QStringList shownTimes;
                for (const QString &time : times)
                    shownTimes.append(entryText(time));
                lines << "    " << entryText(day) << (times.isEmpty() ? "" : ": ")
                      << shownTimes.join(QLatin1Char(' ')) << '\n';
                daysJson.append(QJsonObject{{QStringLiteral("day"), day},
                                            {QStringLiteral("times"), QJsonArray::fromStringList(times)}});
            }
            monthsJson.append(
                QJsonObject{{QStringLiteral("month"), month}, {QStringLiteral("days"), daysJson}});
        }
        technologiesJson.append(QJsonObject{{QStringLiteral("technology"), technology},
                                            {QStringLiteral("newest"), newest},
                                            {QStringLiteral("months"), monthsJson}});
    }

    if (parser.isSet(jsonOption)) {
        const QJsonObject listing{{QStringLiteral("directory"), directory},
                                  {QStringLiteral("newestTechnology"), scan.newestTechnology},
                                  {QStringLiteral("technologies"), technologiesJson}};
        out << QString::fromUtf8(QJsonDocument(listing).toJson(QJsonDocument::Indented));
    } else {
        lines.flush();
        out << text;
    }
    out.flush();
    if (!scan.listedAnyFile) {
        const QString nothing = noArchiveFilesText(directory);
        if (!nothing.isEmpty()) {
            reportFailure(err, syntax.name, nothing);
            return exitFindings;
        }
    }
    return exitSuccess;
}

} // namespace cli
