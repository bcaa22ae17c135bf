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
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>

namespace cli {

namespace {

const QString prefix = QStringLiteral("steel_");
const QString suffix = QStringLiteral(".json");

// The name is archiveFileName(technology, moment) exactly; compared piece by piece rather than built,
// since check asks it of every file.
bool followsGrammar(const QString &fileName, const QString &technology, const archive::Moment &moment)
{
    constexpr int momentLength = 19;
    const QStringView name(fileName);
    const int momentAt = prefix.size() + technology.size() + 1;
    return moment.isValid() && name.size() == momentAt + momentLength + suffix.size() &&
           name.startsWith(prefix) && name.mid(prefix.size(), technology.size()) == technology &&
           name.at(momentAt - 1) == u'-' && name.endsWith(suffix) &&
           name.mid(momentAt, momentLength) == archive::nameMomentText(moment);
}

bool followsGrammar(const QString &fileName)
{
    return followsGrammar(fileName, archive::technologyOfFile(fileName), archive::momentOfFile(fileName));
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A finding on a file's content as the index keeps it: the English text with its blanks and what
// fills them (a fill may be a finding of its own), so that it reads in the language of whoever asks,
// not of whoever read the file first.
QJsonArray finding(const char *text, std::initializer_list<QJsonValue> fills = {})
{
    QJsonArray stored{QLatin1String(text)};
    for (const QJsonValue &fill : fills)
        stored.append(fill);
    return stored;
}

QString storedFinding(const QJsonArray &finding)
{
    return QString::fromUtf8(QJsonDocument(finding).toJson(QJsonDocument::Compact));
}

QString findingText(const QJsonArray &finding, bool translated = true)
{
    const QString text =
        translated ? QCoreApplication::translate("cli", finding.at(0).toString().toUtf8().constData())
                   : finding.at(0).toString();
    QStringList fills;
    for (int i = 1; i < finding.size(); ++i)
        fills.append(finding.at(i).isArray() ? findingText(finding.at(i).toArray(), translated)
                                             : finding.at(i).toString());
    // All blanks at once: a fill that holds "%1" is not a blank.
    switch (fills.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(fills.at(0));
    case 2:
        return text.arg(fills.at(0), fills.at(1));
    default:
        return text.arg(fills.at(0), fills.at(1), fills.at(2));
    }
}

// A finding as the reader reads it; a text that is no stored finding is shown as it is.
QString findingText(const QString &stored, bool translated = true)
{
    const QJsonDocument document = QJsonDocument::fromJson(stored.toUtf8());
    return document.isArray() && !document.array().isEmpty() && document.array().at(0).isString()
               ? findingText(document.array(), translated)
               : stored;
}

QString unreadableFinding(const QString &path)
{
    return storedFinding(
        finding(QT_TRANSLATE_NOOP("cli", "cannot be read (%1): the viewer shows nothing for it"),
                {unreadableReason(path)}));
}

QJsonArray samplesFinding(const measurement::OddSamples &odd)
{
    return odd.count == 1 ? finding(QT_TRANSLATE_NOOP("cli", "a curve sample \"%1\""), {odd.firstText})
                          : finding(QT_TRANSLATE_NOOP("cli", "%1 curve samples such as \"%2\""),
                                    {QString::number(odd.count), odd.firstText});
}

// What the viewer makes of each kind of odd curve sample; checked against the reader's conversion.
const char *oddSamplesReason(measurement::SampleOddity oddity)
{
    using measurement::SampleOddity;
    switch (oddity) {
    case SampleOddity::decimalComma:
        return QT_TRANSLATE_NOOP("cli", "written with a decimal comma: the viewer draws such samples as 0");
    case SampleOddity::emptyText:
        return QT_TRANSLATE_NOOP("cli", "empty: the viewer draws such samples as 0, not as a gap");
    case SampleOddity::notANumber:
        return QT_TRANSLATE_NOOP("cli",
                                 "not a number: the viewer draws such samples as 0, not as a gap (only "
                                 "\"nan\" marks a missing sample)");
    case SampleOddity::nanSpelling:
        return QT_TRANSLATE_NOOP("cli",
                                 "a misspelt missing-sample mark: the viewer happens to leave a gap, but "
                                 "the mark is \"nan\" exactly");
    case SampleOddity::paddedNumber:
        return QT_TRANSLATE_NOOP("cli",
                                 "a number with spaces around it: the viewer ignores the spaces, but the "
                                 "archive format has none");
    case SampleOddity::notFinite:
        return QT_TRANSLATE_NOOP("cli",
                                 "not a finite number: the viewer cannot fit the axis to the curve and "
                                 "keeps the previous measurement's range, so the curve may lie outside it");
    case SampleOddity::noValueMark:
        return QT_TRANSLATE_NOOP("cli", "32767: the viewer draws such samples as the value 32767 (only in a "
                                        "result does it mean no value), which squeezes the rest of the curve "
                                        "flat");
    }
    return "";
}

// Result texts that look like a missing value but are not one of the two marks the viewer knows,
// so the field shows them as they stand instead of "Нет данных".
bool looksLikeNoValue(const QString &text)
{
    // Most results are plain decimals written as the plant writes them ("1563.40", "-0.5"): none is a
    // word below, and one of at most 15 digits converts to 32767 only where it reads 32767.
    const QStringView number = QStringView(text).mid(text.startsWith(u'-') ? 1 : 0);
    const int point = int(number.indexOf(u'.'));
    const QStringView whole = point < 0 ? number : number.left(point);
    const QStringView fraction = point < 0 ? QStringView() : number.mid(point + 1);
    const auto digitsOnly = [](QStringView run) {
        return std::all_of(run.begin(), run.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (!whole.isEmpty() && digitsOnly(whole) && (whole.size() == 1 || whole.front() != u'0') &&
        (point < 0 || (!fraction.isEmpty() && digitsOnly(fraction))) && whole.size() + fraction.size() <= 15)
        return number.size() == text.size() && whole == QLatin1String("32767") &&
               std::all_of(fraction.begin(), fraction.end(), [](QChar c) { return c == u'0'; });
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
QJsonArray statusFinding(const QString &written, int code)
{
    const QString shown = measurement::statusText(code);
    bool converts = false;
    written.toInt(&converts, 10);
    if (converts)
        return finding(
            QT_TRANSLATE_NOOP("cli", "status code %1 is not in the status table: the viewer shows \"%2\""),
            {QString::number(code), shown});
    const QString digits = written.trimmed();
    bool allDigits = !digits.isEmpty();
    for (int i = 0; i < digits.size(); ++i)
        allDigits = allDigits &&
                    (digits.at(i).isDigit() || (i == 0 && (digits.at(i) == u'-' || digits.at(i) == u'+')));
    if (allDigits)
        return finding(QT_TRANSLATE_NOOP("cli",
                                         "status \"%1\" is out of the range of status codes the viewer "
                                         "reads: it shows \"%2\""),
                       {written, shown});
    return finding(QT_TRANSLATE_NOOP("cli", "status \"%1\" is not a status code: the viewer shows \"%2\""),
                   {written, shown});
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
                findings.append(
                    storedFinding(finding(QT_TRANSLATE_NOOP("cli", "\"%1\" is empty or missing: the "
                                                                   "viewer shows an empty field, "
                                                                   "not \"%2\""),
                                          {QLatin1String(key), measurement::noDataText()})));
            continue;
        }
        findings.append(
            storedFinding(finding(QT_TRANSLATE_NOOP("cli", "\"%1\" is \"%2\", which looks like a "
                                                           "missing value but is neither \"nan\" "
                                                           "nor \"32767\": the viewer shows it as "
                                                           "it stands, not \"%3\""),
                                  {QLatin1String(key), **text, measurement::noDataText()})));
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
                findings.append({other.value(),
                                 QCoreApplication::translate("cli", "the lists of technology \"%1\" also "
                                                                    "lead to this file of technology \"%2\" "
                                                                    "(and maybe others of it)")
                                     .arg(listed.key(), other.key())});
        }
    }
    return findings;
}

} // namespace

QString englishFindingText(const QString &stored)
{
    return findingText(stored, false);
}

QString contentRulesVersion()
{
    return QStringLiteral("content-findings-4");
}

QStringList contentFindingTexts(const measurement::Measurement &read)
{
    QStringList findings;
    const auto add = [&findings](const QJsonArray &reason) { findings.append(storedFinding(reason)); };
    const measurement::ReadFindings &f = read.findings;
    if (f.firstLineTooLong)
        add(finding(
            QT_TRANSLATE_NOOP(
                "cli", "the first line is longer than %1 bytes: the viewer shows empty fields and no curves"),
            {QString::number(measurement::maxFirstLineBytes)}));
    else if (f.spreadOverLines)
        add(finding(QT_TRANSLATE_NOOP("cli", "the first line is not a JSON object, and more lines follow (a "
                                             "document spread over several lines is read as its first line "
                                             "only): the viewer shows empty fields and no curves")));
    else if (f.documentNotParsed)
        add(finding(QT_TRANSLATE_NOOP(
            "cli", "the first line is not a JSON object: the viewer shows empty fields and no curves")));
    if (f.longestCurve > measurement::samplesPerCurve)
        add(finding(QT_TRANSLATE_NOOP(
                        "cli", "a \"values\" array holds %1 samples: the viewer shows only the first %2"),
                    {QString::number(f.longestCurve), QString::number(measurement::samplesPerCurve)}));
    if (f.nonStringSamples)
        add(finding(
            QT_TRANSLATE_NOOP("cli", "a curve sample is not a JSON string: the viewer draws it as 0")));
    if (f.nonStringResults)
        add(finding(QT_TRANSLATE_NOOP("cli",
                                      "a result or \"Status\" value is not a JSON string: the viewer shows "
                                      "the field empty (a status as \"%1\")"),
                    {measurement::statusText(0)}));
    if (f.statusOutsideTable && read.statusCode)
        add(statusFinding(f.statusWritten, *read.statusCode));
    for (int kind = 0; kind < measurement::sampleOddityCount; ++kind) {
        const measurement::OddSamples &odd = f.oddSamples[std::size_t(kind)];
        if (odd.count > 0)
            add(finding(odd.count == 1 ? QT_TRANSLATE_NOOP("cli", "%1 is %2")
                                       : QT_TRANSLATE_NOOP("cli", "%1 are %2"),
                        {samplesFinding(odd), finding(oddSamplesReason(measurement::SampleOddity(kind)))}));
    }
    if (!f.documentNotParsed)
        findings += resultFindings(read);
    return findings;
}

QCommandLineOption noIndexOption()
{
    return QCommandLineOption(
        QStringLiteral("no-index"),
        QCoreApplication::translate("cli", "Read every file; neither use nor update the index."));
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
        QCoreApplication::translate(
            "cli", "What was read is kept in an index, so that the next question about an unchanged\n"
                   "or slightly changed archive reads only the files that changed (size, times, inode,\n"
                   "device or mount differ) and the rows whose checksums no longer match; the answer\n"
                   "is the same with or without it. The index lives in\n"
                   "$XDG_CACHE_HOME/steel-archive/index (by default ~/.cache/steel-archive/index),\n"
                   "one SQLite file per archive folder (by its canonical path), never in the archive:\n"
                   "none is used when that folder lies in the archive or the index file is a symbolic\n"
                   "link. Together the indexes may take %1 GiB, beyond which the least recently used go.\n")
            .arg(archive::MeasurementIndex::sizeLimitBytes() / (1024 * 1024 * 1024));
    if (!platform::mountsHaveUniqueIds())
        text += QCoreApplication::translate(
            "cli", "This system gives no unique mount ids (Linux 6.8 and later do): another file system\n"
                   "mounted at the same place with the same device number, times and inode numbers (a\n"
                   "swapped read-only image) goes unseen by the index; use --no-index after such a swap.\n");
    return text +
           QCoreApplication::translate("cli", "--no-index reads every file and leaves the index alone.\n");
}

bool FileTimeSummary::add(const QString &fileName, qint64 modifiedMsecs)
{
    return add(fileName, archive::momentOfFile(fileName), modifiedMsecs);
}

bool FileTimeSummary::add(const QString &fileName, const archive::Moment &moment, qint64 modifiedMsecs)
{
    constexpr qint64 tolerance = 24 * 60 * 60 * 1000;
    if (!moment.isValid())
        return false;
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
            return false;
        named = local.toMSecsSinceEpoch();
    }
    ++dated;
    if (qAbs(modifiedMsecs - named) <= tolerance)
        return false;
    if (disagreeing++ == 0 || fileName < example) {
        example = fileName;
        exampleModified = modifiedMsecs;
    }
    return true;
}

std::optional<Finding> FileTimeSummary::finding() const
{
    if (disagreeing == 0)
        return std::nullopt;
    const QDateTime modified = QDateTime::fromMSecsSinceEpoch(exampleModified, Qt::LocalTime);
    return Finding{example,
                   QCoreApplication::translate(
                       "cli", "modified %1, more than a day away from the moment in its name (%2 of "
                              "%3 dated files are so): the viewer's newest measurement and its time "
                              "lists follow the modification times, so it may open on the wrong melt "
                              "(a copy that did not keep the times does this); steel-archive check "
                              "--list-times lists them all")
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
    QString text = QCoreApplication::translate("cli", "no archive files (%1) in %2")
                       .arg(archive::technologyPattern(), directory);
    if (candidates.size() == 1)
        text += QCoreApplication::translate("cli", "; did you mean %1?").arg(candidates.constFirst());
    else if (!candidates.isEmpty())
        text += QCoreApplication::translate("cli", "; did you mean one of %1?")
                    .arg(candidates.join(QStringLiteral(", ")));
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
    const QString grammar = QStringLiteral("steel_<technology>-yyyy_MM_dd-hh_mm_ss.json");
    if (!fileName.startsWith(prefix) || !fileName.endsWith(suffix))
        return QCoreApplication::translate("cli",
                                           "the name does not follow %1 in lower case: the viewer lists "
                                           "it but opens a differently written name")
            .arg(grammar);
    if (base + suffix != fileName)
        return QCoreApplication::translate("cli",
                                           "the name does not follow %1: the viewer cuts the name at the "
                                           "first \".\" and reads only %2")
            .arg(grammar, quoted(base));
    if (!moment.isValid())
        return QCoreApplication::translate("cli",
                                           "the name does not follow %1: %2 is not a real date and time, "
                                           "so the viewer lists an empty entry")
            .arg(grammar, quoted(base.right(momentLength)));
    if (base.size() < prefix.size() + momentLength + 1 || base.at(base.size() - momentLength - 1) != u'-')
        return QCoreApplication::translate(
                   "cli", "the name does not follow %1: no \"-\" between the technology and the moment")
            .arg(grammar);
    const QString written = base.mid(prefix.size(), base.size() - prefix.size() - momentLength - 1);
    return QCoreApplication::translate("cli", "the name does not follow %1: the technology %2 is read as %3, "
                                              "whose lists do not lead to this file")
        .arg(grammar, quoted(written), quoted(archive::technologyOfFile(fileName)));
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
    return QCoreApplication::translate("cli",
                                       "the name is not valid %1 (the file-name encoding; shown with its "
                                       "invalid bytes escaped): the viewer leaves the file out of its "
                                       "lists, so its measurement cannot be opened there")
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
    // The name rules are worked out once per name, when the file arrives.
    struct Pending
    {
        QString fileName;
        QStringList contentFindings;
        bool undecodable;
        bool grammatical;
        bool noTechnology;
    };
    QVector<Pending> group;
    // The same content finding recurs in file after file (a status the table lacks, say): each is
    // made into its text once and that one text shared, which keeps a million findings small.
    QHash<QString, QString> findingTexts;
    const auto sharedFindingText = [&findingTexts](const QString &stored) {
        auto known = findingTexts.constFind(stored);
        if (known != findingTexts.constEnd())
            return known.value();
        const QString text = findingText(stored);
        if (findingTexts.size() < 100000)
            findingTexts.insert(stored, text);
        return text;
    };
    const auto finishGroup = [&]() {
        for (const Pending &file : qAsConst(group)) {
            const QString problem = file.undecodable   ? undecodableNameProblem()
                                    : file.grammatical ? QString()
                                                       : nameProblem(file.fileName);
            if (!problem.isEmpty())
                report.findings.append({file.fileName, problem});
            else if (file.noTechnology)
                report.findings.append({file.fileName, QCoreApplication::translate(
                                                           "cli", "the technology is empty: the viewer "
                                                                  "lists an empty entry that leads to no "
                                                                  "measurement")});
            if (group.size() > 1) {
                QStringList others;
                for (const Pending &twin : qAsConst(group)) {
                    if (twin.fileName != file.fileName)
                        others.append(twin.fileName);
                }
                std::sort(others.begin(), others.end());
                report.findings.append(
                    {file.fileName, QCoreApplication::translate("cli", "shares its base name with %1: the "
                                                                       "viewer shows the same time once per "
                                                                       "file and opens only %2")
                                        .arg(others.join(QStringLiteral(", ")),
                                             archive::baseNameOf(file.fileName) + suffix)});
            }
            for (const QString &reason : file.contentFindings)
                report.findings.append({file.fileName, sharedFindingText(reason)});
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
        const QString technology = archive::technologyOfFile(file.fileName);
        const archive::Moment moment = archive::momentOfFile(file.fileName);
        const bool grammatical = followsGrammar(file.fileName, technology, moment);
        group.append(
            {file.fileName,
             file.digest
                 ? file.digest->findings
                 : QStringList{unreadableFinding(
                       folder + QLatin1Char('/') +
                       (file.undecodableName ? platform::decodeFileName(file.encodedName) : file.fileName))},
             file.undecodableName, grammatical, technology.isEmpty()});
        if (grammatical) {
            auto first = firstFileOfTechnology.find(technology);
            if (first == firstFileOfTechnology.end())
                firstFileOfTechnology.insert(technology, file.fileName);
            else if (file.fileName < first.value())
                first.value() = file.fileName;
        }
        fileTimes.add(file.fileName, moment, file.stamp.modifiedMsecs());
    });
    finishGroup();
    report.findings += crossTechnologyFindings(firstFileOfTechnology);
    if (const std::optional<Finding> times = fileTimes.finding())
        report.findings.append(*times);
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.fileName < b.fileName; });
    return report;
}

namespace {

// The files the summary finding on modification times counts, each with both moments. Only the
// listing is read: the names and their times tell it all.
int listFileTimes(const QString &directory, QTextStream &out, QTextStream &err)
{
    FileTimeSummary summary;
    QVector<QPair<QString, qint64>> disagreeing;
    const bool listed = archive::forEachMatchingFile(directory.isEmpty() ? QStringLiteral(".") : directory,
                                                     archive::technologyPattern(), true,
                                                     [&](QStringView name, qint64 modifiedMsecs) {
                                                         const QString fileName = name.toString();
                                                         if (summary.add(fileName, modifiedMsecs))
                                                             disagreeing.append({fileName, modifiedMsecs});
                                                     });
    if (!listed)
        return reportFailure(err, QStringLiteral("check"),
                             directory + QStringLiteral(": ") + unlistableFolderReason(directory));
    std::sort(disagreeing.begin(), disagreeing.end());
    for (const auto &[fileName, modifiedMsecs] : qAsConst(disagreeing)) {
        const archive::Moment named = archive::momentOfFile(fileName);
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(modifiedMsecs, Qt::LocalTime);
        out << QCoreApplication::translate("cli", "%1: named %2, modified %3")
                   .arg(fileName, momentDisplayText(named.date, named.time),
                        momentDisplayText(modified.date(), modified.time()))
            << '\n';
    }
    out << QCoreApplication::translate(
               "cli",
               "checked %1 dated files: %2 modified more than a day away from the moment in their names")
               .arg(summary.datedFiles())
               .arg(disagreeing.size())
        << '\n';
    out.flush();
    return disagreeing.isEmpty() ? exitSuccess : exitFindings;
}

} // namespace

int runCheck(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandSyntax syntax{
        QStringLiteral("check"),
        QCoreApplication::translate(
            "cli",
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
            "day away from the moments in the names (one summary line). A summary follows.\n"
            "--list-times lists instead every file whose modification time is more than a day away\n"
            "from the moment in its name (taken as local time), one line each with both moments,\n"
            "by name, so that they can be fixed (touch -d); it reads no file's content.\n") +
            indexHelpText() +
            QCoreApplication::translate("cli",
                                        "DIR defaults to the folder \"archive\" in the working directory."),
        0, 1,
        QCoreApplication::translate(
            "cli", "Exit codes: 0 nothing found; 1 findings, or no archive file in DIR at all; 2 bad usage\n"
                   "or a folder that cannot be read.\n")};
    QCommandLineParser parser;
    addArchiveDirectoryArgument(parser);
    parser.addOption(noIndexOption());
    const QCommandLineOption listTimesOption(
        QStringLiteral("list-times"),
        QCoreApplication::translate("cli",
                                    "List every file whose modification time disagrees with its name."));
    parser.addOption(listTimesOption);
    if (const auto finished = parseCommandLine(parser, syntax, arguments, out, err))
        return *finished;

    const QString directory = archiveDirectoryArgument(parser);
    const QString reason = unlistableFolderReason(directory);
    if (!reason.isEmpty())
        return reportFailure(err, syntax.name, directory + QStringLiteral(": ") + reason);
    if (parser.isSet(listTimesOption))
        return listFileTimes(directory, out, err);

    const CheckReport report =
        checkArchive(directory, readingOptions(parser, err, QCoreApplication::translate("cli", "checked")));

    if (report.filesChecked == 0) {
        const QString nothing = noArchiveFilesText(directory);
        if (!nothing.isEmpty()) {
            out << QCoreApplication::translate("cli", "checked 0 files: %1").arg(nothing) << '\n';
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
        out << QCoreApplication::translate("cli", "checked %1 files: nothing found").arg(report.filesChecked)
            << '\n';
    else
        out << QCoreApplication::translate("cli", "checked %1 files: %2 findings in %3 files")
                   .arg(report.filesChecked)
                   .arg(report.findings.size())
                   .arg(concerned.size())
            << '\n';
    out.flush();
    return report.findings.isEmpty() ? exitSuccess : exitFindings;
}

} // namespace cli
