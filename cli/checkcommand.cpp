// SPDX-License-Identifier: GPL-3.0-or-later
#include "archivecommands.h"
#include "commandline.h"
#include "commands.h"
#include "measurementcommands.h"

#include "archive/archivelisting.h"
#include "archive/archivereader.h"
#include "archive/archivescans.h"
#include "archive/displayname.h"
#include "archive/measurementindex.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

namespace cli {

namespace {

const QString prefix = QStringLiteral("steel_");
const QString suffix = QStringLiteral(".json");

bool followsGrammar(const QString &fileName)
{
    const archive::Moment moment = archive::momentOfFile(fileName);
    return moment.isValid() &&
           archive::archiveFileName(archive::technologyOfFile(fileName), moment) == fileName;
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString unreadableFinding(const QString &path)
{
    return QStringLiteral("cannot be read (%1): the viewer shows nothing for it").arg(unreadableReason(path));
}

QString samplesText(const measurement::OddSamples &odd)
{
    return odd.count == 1
               ? QStringLiteral("a curve sample \"%1\"").arg(odd.firstText)
               : QStringLiteral("%1 curve samples such as \"%2\"").arg(odd.count).arg(odd.firstText);
}

// What the viewer makes of each kind of odd curve sample; checked against the reader's conversion.
QString oddSamplesReason(measurement::SampleOddity oddity)
{
    using measurement::SampleOddity;
    switch (oddity) {
    case SampleOddity::decimalComma:
        return QStringLiteral("written with a decimal comma: the viewer draws such samples as 0");
    case SampleOddity::emptyText:
        return QStringLiteral("empty: the viewer draws such samples as 0, not as a gap");
    case SampleOddity::notANumber:
        return QStringLiteral("not a number: the viewer draws such samples as 0, not as a gap (only \"nan\" "
                              "marks a missing sample)");
    case SampleOddity::nanSpelling:
        return QStringLiteral(
            "a misspelt missing-sample mark: the viewer happens to leave a gap, but the mark "
            "is \"nan\" exactly");
    case SampleOddity::paddedNumber:
        return QStringLiteral("a number with spaces around it: the viewer ignores the spaces, but the "
                              "archive format has none");
    case SampleOddity::notFinite:
        return QStringLiteral(
            "not a finite number: the viewer cannot fit the axis to the curve and keeps the "
            "previous measurement's range, so the curve may lie outside it");
    case SampleOddity::noValueMark:
        return QStringLiteral("32767: the viewer draws such samples as the value 32767 (only in a result "
                              "does it mean no value), which squeezes the rest of the curve flat");
    }
    return QString();
}

// Result texts that look like a missing value but are not one of the two marks the viewer knows,
// so the field shows them as they stand instead of "Нет данных".
bool looksLikeNoValue(const QString &text)
{
    static const QStringList words{QStringLiteral("nan"),  QStringLiteral("-nan"), QStringLiteral("+nan"),
                                   QStringLiteral("null"), QStringLiteral("none"), QStringLiteral("n/a"),
                                   QStringLiteral("-"),    QStringLiteral("--"),   QStringLiteral("?")};
    const QString word = text.trimmed().toLower();
    if (word.isEmpty() || words.contains(word))
        return true;
    bool isNumber = false;
    const double value = text.toDouble(&isNumber);
    return isNumber && value == 32767.0;
}

// A status outside the table, named as written: a text that is no code the viewer can read (too
// large, not a number) is not a "code 0", though the viewer shows the same verdict for it.
QString statusFinding(const QString &written, int code)
{
    const QString shown = measurement::statusText(code);
    bool converts = false;
    written.toInt(&converts, 10);
    if (converts)
        return QStringLiteral("status code %1 is not in the status table: the viewer shows \"%2\"")
            .arg(code)
            .arg(shown);
    const QString digits = written.trimmed();
    bool allDigits = !digits.isEmpty();
    for (int i = 0; i < digits.size(); ++i)
        allDigits = allDigits &&
                    (digits.at(i).isDigit() || (i == 0 && (digits.at(i) == u'-' || digits.at(i) == u'+')));
    if (allDigits)
        return QStringLiteral("status %1 is out of the range of status codes the viewer reads: it shows "
                              "\"%2\"")
            .arg(quoted(written), shown);
    return QStringLiteral("status %1 is not a status code: the viewer shows \"%2\"")
        .arg(quoted(written), shown);
}

QStringList resultFindings(const measurement::Measurement &m)
{
    const std::pair<const char *, const std::optional<QString> *> results[] = {
        {"Smelt", &m.smelt},          {"Temp", &m.temperatureText}, {"Eds", &m.emfText},
        {"OxActivity", &m.oxidation}, {"MassAl", &m.aluminiumMass}, {"Carbon", &m.carbon}};
    QStringList findings;
    for (const auto &[key, text] : results) {
        if (!*text || !looksLikeNoValue(**text))
            continue;
        if ((*text)->isEmpty()) {
            // A value that is not a string reads as empty too, and has its own finding.
            if (!m.findings.nonStringResults)
                findings.append(QStringLiteral("\"%1\" is empty or missing: the viewer shows an empty "
                                               "field, not \"%2\"")
                                    .arg(QLatin1String(key), measurement::noDataText()));
            continue;
        }
        findings.append(QStringLiteral("\"%1\" is \"%2\", which looks like a missing value but is "
                                       "neither \"nan\" nor \"32767\": the viewer shows it as it "
                                       "stands, not \"%3\"")
                            .arg(QLatin1String(key), **text, measurement::noDataText()));
    }
    return findings;
}

// Files that the lists of another technology lead to as well: the scans' patterns ignore letter case,
// so K1 and k1 see each other's files. Asked of the patterns themselves, so that the answer follows
// the scans whatever rules they apply. A file that follows the grammar begins with "steel_" + its
// technology + "-", which is all a technology's pattern looks at: if one file of a technology
// strays into another's lists, all of them do, and the first by name stands for them.
QVector<Finding> crossTechnologyFindings(const QMap<QString, QString> &firstFileOfTechnology)
{
    QVector<Finding> findings;
    for (auto listed = firstFileOfTechnology.cbegin(); listed != firstFileOfTechnology.cend(); ++listed) {
        if (listed.key().isEmpty())
            continue;
        const archive::WildcardPattern pattern(archive::yearMonthPattern(listed.key()));
        for (auto other = firstFileOfTechnology.cbegin(); other != firstFileOfTechnology.cend(); ++other) {
            if (other.key() != listed.key() && pattern.matches(other.value()))
                findings.append(
                    {other.value(), QStringLiteral("the lists of technology %1 also lead to this file of "
                                                   "technology %2 (and maybe others of it)")
                                        .arg(quoted(listed.key()), quoted(other.key()))});
        }
    }
    return findings;
}

} // namespace

QString contentRulesVersion()
{
    return QStringLiteral("content-findings-3");
}

QStringList contentFindingTexts(const measurement::Measurement &read)
{
    QStringList findings;
    const auto add = [&findings](const QString &reason) { findings.append(reason); };
    const measurement::ReadFindings &f = read.findings;
    if (f.firstLineTooLong)
        add(QStringLiteral(
                "the first line is longer than %1 bytes: the viewer shows empty fields and no curves")
                .arg(measurement::maxFirstLineBytes));
    else if (f.spreadOverLines)
        add(notOneLineText() + QStringLiteral(": the viewer shows empty fields and no curves"));
    else if (f.documentNotParsed)
        add(QStringLiteral(
            "the first line is not a JSON object: the viewer shows empty fields and no curves"));
    if (f.longestCurve > measurement::samplesPerCurve)
        add(QStringLiteral("a \"values\" array holds %1 samples: the viewer shows only the first %2")
                .arg(f.longestCurve)
                .arg(measurement::samplesPerCurve));
    if (f.nonStringSamples)
        add(QStringLiteral("a curve sample is not a JSON string: the viewer draws it as 0"));
    if (f.nonStringResults)
        add(QStringLiteral("a result or \"Status\" value is not a JSON string: the viewer shows the field "
                           "empty (a status as \"%1\")")
                .arg(measurement::statusText(0)));
    if (f.statusOutsideTable && read.statusCode)
        add(statusFinding(f.statusWritten, *read.statusCode));
    for (int kind = 0; kind < measurement::sampleOddityCount; ++kind) {
        const measurement::OddSamples &odd = f.oddSamples[std::size_t(kind)];
        if (odd.count > 0)
            add(samplesText(odd) + (odd.count == 1 ? QStringLiteral(" is ") : QStringLiteral(" are ")) +
                oddSamplesReason(measurement::SampleOddity(kind)));
    }
    if (!f.documentNotParsed)
        findings += resultFindings(read);
    return findings;
}

QCommandLineOption noIndexOption()
{
    return QCommandLineOption(QStringLiteral("no-index"),
                              QStringLiteral("Read every file; neither use nor update the index."));
}

ArchiveReading readingOptions(const QCommandLineParser &parser, QTextStream &err, const QString &done)
{
    ArchiveReading reading;
    reading.useIndex = !parser.isSet(noIndexOption());
    reading.progress = terminalProgress(err, done);
    return reading;
}

QString indexHelpText()
{
    QString text =
        QStringLiteral("What was read is kept in an index, so that the next question about an unchanged\n"
                       "or slightly changed archive reads only the files that changed (size, times, inode,\n"
                       "device or mount differ) and the rows whose checksums no longer match; the answer\n"
                       "is the same with or without it. The index lives in\n"
                       "%1/, one SQLite file per archive folder (by\n"
                       "its canonical path), never in the archive: none is used when that folder lies in\n"
                       "the archive or the index file is a symbolic link. Together the indexes may take\n"
                       "%2 GiB, beyond which the least recently used go.\n")
            .arg(archive::MeasurementIndex::cacheFolder())
            .arg(archive::MeasurementIndex::sizeLimitBytes() / (1024 * 1024 * 1024));
    if (!platform::mountsHaveUniqueIds())
        text += QStringLiteral(
            "This system gives no unique mount ids (Linux 6.8 and later do): another file system\n"
            "mounted at the same place with the same device number, times and inode numbers (a\n"
            "swapped read-only image) goes unseen by the index; use --no-index after such a swap.\n");
    return text + QStringLiteral("--no-index reads every file and leaves the index alone.\n");
}

void FileTimeSummary::add(const QString &fileName, qint64 modifiedMsecs)
{
    constexpr qint64 tolerance = 24 * 60 * 60 * 1000;
    const archive::Moment moment = archive::momentOfFile(fileName);
    if (!moment.isValid())
        return;
    // Asking the time zone costs a system call per question: a day without a change of its offset
    // is asked once.
    const qint64 day = moment.date.toJulianDay();
    auto known = offsetOfDay.find(day);
    if (known == offsetOfDay.end()) {
        const QDateTime first(moment.date, QTime(0, 0), Qt::LocalTime);
        const QDateTime last(moment.date, QTime(23, 59, 59), Qt::LocalTime);
        const bool uniform =
            first.isValid() && last.isValid() && first.offsetFromUtc() == last.offsetFromUtc();
        known = offsetOfDay.insert(day, uniform ? std::optional<int>(first.offsetFromUtc()) : std::nullopt);
    }
    qint64 named = 0;
    if (*known) {
        named = QDateTime(moment.date, moment.time, Qt::UTC).toMSecsSinceEpoch() - qint64(**known) * 1000;
    } else {
        const QDateTime local(moment.date, moment.time, Qt::LocalTime);
        if (!local.isValid())
            return;
        named = local.toMSecsSinceEpoch();
    }
    ++dated;
    if (qAbs(modifiedMsecs - named) <= tolerance)
        return;
    if (disagreeing++ == 0 || fileName < example) {
        example = fileName;
        exampleModified = modifiedMsecs;
    }
}

std::optional<Finding> FileTimeSummary::finding() const
{
    if (disagreeing == 0)
        return std::nullopt;
    const QDateTime modified = QDateTime::fromMSecsSinceEpoch(exampleModified, Qt::LocalTime);
    return Finding{
        example,
        QStringLiteral("modified %1, more than a day away from the moment in its name (%2 of %3 dated "
                       "files are so): the viewer's newest measurement and its time lists follow the "
                       "modification times, so it may open on the wrong melt (a copy that did not keep "
                       "the times does this)")
            .arg(momentDisplayText(modified.date(), modified.time()))
            .arg(disagreeing)
            .arg(dated)};
}

QString noArchiveFilesText(const QString &directory)
{
    const auto holdsArchiveFiles = [](const QString &folder) {
        bool any = false;
        archive::forEachMatchingFile(folder, archive::technologyPattern(), false,
                                     [&any](QStringView, qint64) { any = true; });
        return any;
    };
    if (holdsArchiveFiles(directory))
        return QString();
    const QDir folder(directory.isEmpty() ? QStringLiteral(".") : directory);
    QStringList candidates;
    for (const QString &name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (holdsArchiveFiles(folder.filePath(name)))
            candidates.append(folder.filePath(name));
    }
    QString text = QStringLiteral("no archive files (%1) in %2").arg(archive::technologyPattern(), directory);
    if (candidates.size() == 1)
        text += QStringLiteral("; did you mean %1?").arg(candidates.constFirst());
    else if (!candidates.isEmpty())
        text += QStringLiteral("; did you mean one of %1?").arg(candidates.join(QStringLiteral(", ")));
    return text;
}

std::optional<int> noArchiveFilesFailure(QTextStream &err, const QString &command, const QString &directory)
{
    const QString nothing = noArchiveFilesText(directory);
    if (nothing.isEmpty())
        return std::nullopt;
    reportFailure(err, command, nothing);
    return exitFindings;
}

QString nameProblem(const QString &fileName)
{
    if (followsGrammar(fileName))
        return QString();
    const QString base = archive::baseNameOf(fileName);
    const archive::Moment moment = archive::momentOfFile(fileName);
    constexpr int momentLength = 19;
    const QString grammar =
        QStringLiteral("the name does not follow steel_<technology>-yyyy_MM_dd-hh_mm_ss.json");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return grammar +
               QStringLiteral(" in lower case: the viewer lists it but opens a differently written name");
    if (base + suffix != fileName)
        return grammar + QStringLiteral(": the viewer cuts the name at the first \".\" and reads only %1")
                             .arg(quoted(base));
    if (!moment.isValid())
        return grammar +
               QStringLiteral(": %1 is not a real date and time, so the viewer lists an empty entry")
                   .arg(quoted(base.right(momentLength)));
    if (base.size() < prefix.size() + momentLength + 1 || base.at(base.size() - momentLength - 1) != u'-')
        return grammar + QStringLiteral(": no \"-\" between the technology and the moment");
    const QString written = base.mid(prefix.size(), base.size() - prefix.size() - momentLength - 1);
    return grammar + QStringLiteral(": the technology %1 is read as %2, whose lists do not lead to this file")
                         .arg(quoted(written), quoted(archive::technologyOfFile(fileName)));
}

namespace {

// A reason quotes names and texts from the files: their control characters are escaped as a name's
// are, so that a finding stays one line and cannot steer the terminal.
QString oneLine(const QString &reason)
{
    QString line;
    line.reserve(reason.size());
    for (const QChar c : reason) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
            line += archive::displayName(QString(c));
        else
            line += c;
    }
    return line;
}

// The viewer lists a folder through QDir, which leaves out every entry whose name the file-name
// encoding cannot decode.
QString undecodableNameProblem()
{
    return QStringLiteral("the name is not valid %1 (the file-name encoding; shown with its invalid bytes "
                          "escaped): the viewer leaves the file out of its lists, so its measurement "
                          "cannot be opened there")
        .arg(QString::fromLatin1(QTextCodec::codecForLocale()->name()));
}

} // namespace

CheckReport checkArchive(const QString &directory, const ArchiveReading &reading)
{
    archive::ArchiveReadOptions options;
    options.useIndex = reading.useIndex;
    options.progress = reading.progress;
    options.rulesVersion = contentRulesVersion();
    options.findings = contentFindingTexts;
    const QString folder = directory.isEmpty() ? QStringLiteral(".") : directory;

    CheckReport report;
    QMap<QString, QString> firstFileOfTechnology;
    FileTimeSummary fileTimes;
    // Files sharing a base name B all begin with "B." and so come one after the other in name order:
    // each group is complete when a file of another base name arrives.
    struct Pending
    {
        QString fileName;
        QStringList contentFindings;
        bool undecodable;
    };
    QVector<Pending> group;
    const auto finishGroup = [&]() {
        for (const Pending &file : qAsConst(group)) {
            const QString problem = file.undecodable ? undecodableNameProblem() : nameProblem(file.fileName);
            if (!problem.isEmpty())
                report.findings.append({file.fileName, problem});
            else if (archive::technologyOfFile(file.fileName).isEmpty())
                report.findings.append(
                    {file.fileName, QStringLiteral("the technology is empty: the viewer lists an "
                                                   "empty entry that leads to no measurement")});
            if (group.size() > 1) {
                QStringList others;
                for (const Pending &twin : qAsConst(group)) {
                    if (twin.fileName != file.fileName)
                        others.append(twin.fileName);
                }
                std::sort(others.begin(), others.end());
                report.findings.append(
                    {file.fileName, QStringLiteral("shares its base name with %1: the viewer shows the "
                                                   "same time once per file and opens only %2")
                                        .arg(others.join(QStringLiteral(", ")),
                                             archive::baseNameOf(file.fileName) + suffix)});
            }
            for (const QString &reason : file.contentFindings)
                report.findings.append({file.fileName, reason});
        }
        group.clear();
    };
    archive::readArchive(directory, options, [&](const archive::ArchiveFile &file) {
        ++report.filesChecked;
        if (!group.isEmpty() &&
            archive::baseNameView(group.constFirst().fileName) != archive::baseNameView(file.fileName))
            finishGroup();
        if (file.undecodableName)
            report.undecodableNames.insert(file.fileName);
        group.append(
            {file.fileName,
             file.digest ? file.digest->findings
                         : QStringList{unreadableFinding(
                               folder + QLatin1Char('/') +
                               (file.undecodableName ? platform::decodeFileName(file.encodedName) : file.fileName))},
             file.undecodableName});
        if (followsGrammar(file.fileName)) {
            const QString technology = archive::technologyOfFile(file.fileName);
            auto first = firstFileOfTechnology.find(technology);
            if (first == firstFileOfTechnology.end())
                firstFileOfTechnology.insert(technology, file.fileName);
            else if (file.fileName < first.value())
                first.value() = file.fileName;
        }
        fileTimes.add(file.fileName, file.stamp.modifiedMsecs());
    });
    finishGroup();
    report.findings += crossTechnologyFindings(firstFileOfTechnology);
    if (const std::optional<Finding> times = fileTimes.finding())
        report.findings.append(*times);
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.fileName < b.fileName; });
    return report;
}

int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("check"),
        QStringLiteral(
            "Reads every archive file in DIR (names matching steel_*.json, letter case ignored) and\n"
            "reports each one the viewer would show wrongly or not at all, one line per finding:\n"
            "names that do not follow steel_<technology>-yyyy_MM_dd-hh_mm_ss.json exactly, moments\n"
            "that are no real date and time, an empty technology, technologies whose lists lead to\n"
            "files of another (K1 and k1), files sharing a base name (.old.json twins), files that\n"
            "cannot be read, documents that are not one JSON object on the first line, \"values\"\n"
            "arrays of more than 160 samples, values that are not JSON strings, status codes\n"
            "outside the status table, curve samples the viewer draws otherwise than meant\n"
            "(\"12,5\", \"\", \"-nan\", \"inf\", 32767), result texts that look like a missing value but\n"
            "are not \"nan\" or \"32767\" (\"NaN\", \"-\", \"null\"), and modification times more than a\n"
            "day away from the moments in the names (one summary line). A summary follows.\n") +
            indexHelpText() +
            QStringLiteral("DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QStringLiteral(
            "Exit codes: 0 nothing found; 1 findings, or no archive file in DIR at all; 2 bad usage\n"
            "or a folder that cannot be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    parser.addOption(noIndexOption());
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name, directory + QStringLiteral(": ") + reason);

    const CheckReport report =
        checkArchive(directory, readingOptions(parser, err, QStringLiteral("checked")));

    if (report.filesChecked == 0) {
        const QString nothing = noArchiveFilesText(directory);
        if (!nothing.isEmpty()) {
            out << "checked 0 files: " << nothing << '\n';
            out.flush();
            return exitFindings;
        }
    }
    QStringList concerned;
    for (const Finding &finding : report.findings) {
        // One line per finding, whatever the name holds; a name no text can hold is already escaped.
        out << (report.undecodableNames.contains(finding.fileName) ? finding.fileName
                                                                   : archive::displayName(finding.fileName))
            << ": " << oneLine(finding.reason) << '\n';
        if (concerned.isEmpty() || concerned.constLast() != finding.fileName)
            concerned.append(finding.fileName);
    }
    if (report.findings.isEmpty())
        out << "checked " << report.filesChecked << " files: nothing found\n";
    else
        out << "checked " << report.filesChecked << " files: " << report.findings.size() << " findings in "
            << concerned.size() << " files\n";
    out.flush();
    return report.findings.isEmpty() ? exitSuccess : exitFindings;
}

} // namespace cli
