// SPDX-License-Identifier: GPL-3.0-or-later
#include "contentfindings.h"

#include "resultnumber.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>
#include <string_view>

namespace measurement {

// A finding on a file's content as the index keeps it: the English text with its blanks and what
// fills them (a fill may be a finding of its own), so that it reads in the language of whoever asks,
// not of whoever read the file first.
QJsonArray finding(const char *text, std::initializer_list<QJsonValue> fills)
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

namespace {

QString findingText(const QJsonArray &finding, bool translated)
{
    const QString text =
        translated ? QCoreApplication::translate("measurement", finding.at(0).toString().toUtf8().constData())
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

QJsonArray samplesFinding(const measurement::OddSamples &odd)
{
    return odd.count == 1
               ? finding(QT_TRANSLATE_NOOP("measurement", "a curve sample \"%1\""), {odd.firstText})
               : finding(QT_TRANSLATE_NOOP("measurement", "%1 curve samples such as \"%2\""),
                         {QString::number(odd.count), odd.firstText});
}

// What the viewer makes of each kind of odd curve sample; checked against the reader's conversion.
const char *oddSamplesReason(measurement::SampleOddity oddity)
{
    using measurement::SampleOddity;
    switch (oddity) {
    case SampleOddity::decimalComma:
        return QT_TRANSLATE_NOOP("measurement",
                                 "written with a decimal comma: the viewer draws such samples as 0");
    case SampleOddity::emptyText:
        return QT_TRANSLATE_NOOP("measurement", "empty: the viewer draws such samples as 0, not as a gap");
    case SampleOddity::notANumber:
        return QT_TRANSLATE_NOOP("measurement",
                                 "not a number: the viewer draws such samples as 0, not as a gap (only "
                                 "\"nan\" marks a missing sample)");
    case SampleOddity::nanSpelling:
        return QT_TRANSLATE_NOOP("measurement",
                                 "a misspelt missing-sample mark: the viewer happens to leave a gap, but "
                                 "the mark is \"nan\" exactly");
    case SampleOddity::paddedNumber:
        return QT_TRANSLATE_NOOP("measurement",
                                 "a number with spaces around it: the viewer ignores the spaces, but the "
                                 "archive format has none");
    case SampleOddity::notFinite:
        return QT_TRANSLATE_NOOP("measurement",
                                 "not a finite number: the viewer cannot fit the axis to the curve and "
                                 "keeps the previous measurement's range, so the curve may lie outside it");
    case SampleOddity::noValueMark:
        return QT_TRANSLATE_NOOP("measurement",
                                 "32767: the viewer draws such samples as the value 32767 (only in a "
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
    const std::optional<ResultNumber> read = readResultNumber(text);
    return read && read->value == 32767.0;
}

bool hasDecimalComma(const QString &text)
{
    const std::optional<ResultNumber> number = readResultNumber(text);
    return number && number->decimalComma;
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
            QT_TRANSLATE_NOOP("measurement",
                              "status code %1 is not in the status table: the viewer shows \"%2\""),
            {QString::number(code), shown});
    const QString digits = written.trimmed();
    bool allDigits = !digits.isEmpty();
    for (int i = 0; i < digits.size(); ++i)
        allDigits = allDigits &&
                    (digits.at(i).isDigit() || (i == 0 && (digits.at(i) == u'-' || digits.at(i) == u'+')));
    if (allDigits)
        return finding(QT_TRANSLATE_NOOP("measurement",
                                         "status \"%1\" is out of the range of status codes the viewer "
                                         "reads: it shows \"%2\""),
                       {written, shown});
    return finding(
        QT_TRANSLATE_NOOP("measurement", "status \"%1\" is not a status code: the viewer shows \"%2\""),
        {written, shown});
}

QStringList resultFindings(const measurement::Measurement &m)
{
    const std::pair<const char *, const std::optional<QString> *> results[] = {
        {"Smelt", &m.smelt},          {"Temp", &m.temperatureText}, {"Eds", &m.emfText},
        {"OxActivity", &m.oxidation}, {"MassAl", &m.aluminiumMass}, {"Carbon", &m.carbon}};
    QStringList findings;
    for (const auto &[key, text] : results) {
        if (!*text)
            continue;
        if (!looksLikeNoValue(**text)) {
            // The melt number is a name, not a quantity: a comma in it is no decimal comma.
            if (key != std::string_view("Smelt") && hasDecimalComma(**text))
                findings.append(storedFinding(finding(
                    QT_TRANSLATE_NOOP("measurement", "\"%1\" is \"%2\", written with a decimal comma: the "
                                                     "viewer shows it as written, but other programs may "
                                                     "not read it as a number"),
                    {QLatin1String(key), **text})));
            continue;
        }
        if ((*text)->isEmpty()) {
            // A value that is not a string reads as empty too, and has its own finding.
            if (!m.findings.nonStringResults)
                findings.append(
                    storedFinding(finding(QT_TRANSLATE_NOOP("measurement", "\"%1\" is empty or missing: the "
                                                                           "viewer shows an empty field, "
                                                                           "not \"%2\""),
                                          {QLatin1String(key), measurement::noDataText()})));
            continue;
        }
        findings.append(
            storedFinding(finding(QT_TRANSLATE_NOOP("measurement", "\"%1\" is \"%2\", which looks like a "
                                                                   "missing value but is neither \"nan\" "
                                                                   "nor \"32767\": the viewer shows it as "
                                                                   "it stands, not \"%3\""),
                                  {QLatin1String(key), **text, measurement::noDataText()})));
    }
    return findings;
}

} // namespace

namespace {

QString findingText(const QString &stored, bool translated)
{
    const QJsonDocument document = QJsonDocument::fromJson(stored.toUtf8());
    return document.isArray() && !document.array().isEmpty() && document.array().at(0).isString()
               ? findingText(document.array(), translated)
               : stored;
}

} // namespace

// A finding as the reader reads it; a text that is no stored finding is shown as it is.
QString findingText(const QString &stored)
{
    return findingText(stored, true);
}

QString englishFindingText(const QString &stored)
{
    return findingText(stored, false);
}

QString contentRulesVersion()
{
    return QStringLiteral("content-findings-5");
}

QStringList contentFindingTexts(const measurement::Measurement &read)
{
    QStringList findings;
    const auto add = [&findings](const QJsonArray &reason) { findings.append(storedFinding(reason)); };
    const measurement::ReadFindings &f = read.findings;
    if (f.firstLineTooLong)
        add(finding(
            QT_TRANSLATE_NOOP(
                "measurement",
                "the first line is longer than %1 bytes: the viewer shows empty fields and no curves"),
            {QString::number(measurement::maxFirstLineBytes)}));
    else if (f.spreadOverLines)
        add(finding(QT_TRANSLATE_NOOP("measurement",
                                      "the first line is not a JSON object, and more lines follow (a "
                                      "document spread over several lines is read as its first line "
                                      "only): the viewer shows empty fields and no curves")));
    else if (f.documentNotParsed)
        add(finding(QT_TRANSLATE_NOOP(
            "measurement",
            "the first line is not a JSON object: the viewer shows empty fields and no curves")));
    if (f.longestCurve > measurement::samplesPerCurve)
        add(finding(
            QT_TRANSLATE_NOOP("measurement",
                              "a \"values\" array holds %1 samples: the viewer shows only the first %2"),
            {QString::number(f.longestCurve), QString::number(measurement::samplesPerCurve)}));
    if (f.nonStringSamples)
        add(finding(QT_TRANSLATE_NOOP("measurement",
                                      "a curve sample is not a JSON string: the viewer draws it as 0")));
    if (f.nonStringResults)
        add(finding(QT_TRANSLATE_NOOP("measurement",
                                      "a result or \"Status\" value is not a JSON string: the viewer shows "
                                      "the field empty (a status as \"%1\")"),
                    {measurement::statusText(0)}));
    if (f.statusOutsideTable && read.statusCode)
        add(statusFinding(f.statusWritten, *read.statusCode));
    for (int kind = 0; kind < measurement::sampleOddityCount; ++kind) {
        const measurement::OddSamples &odd = f.oddSamples[std::size_t(kind)];
        if (odd.count > 0)
            add(finding(odd.count == 1 ? QT_TRANSLATE_NOOP("measurement", "%1 is %2")
                                       : QT_TRANSLATE_NOOP("measurement", "%1 are %2"),
                        {samplesFinding(odd), finding(oddSamplesReason(measurement::SampleOddity(kind)))}));
    }
    if (!f.documentNotParsed)
        findings += resultFindings(read);
    return findings;
}
} // namespace measurement
