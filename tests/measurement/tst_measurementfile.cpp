// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/measurementdigest.h"
#include "measurement/measurementfile.h"
#include "measurement/resultnumber.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using measurement::Measurement;

namespace {

const QByteArray oneLine =
    R"({"Archives":[{"values":["1.5","-2"]},{"values":["1600"]}],"Smelt":"A-17",)"
    R"("Temp":"1563.40","Eds":"nan","OxActivity":"32767","MassAl":"0.5","Carbon":"0.04"})";

QByteArray withKey(const QByteArray &key, const QByteArray &json)
{
    return "{\"" + key + "\":" + json + "}";
}

QByteArray curves(const QByteArray &emf, const QByteArray &temperature)
{
    return withKey("Archives", "[{\"values\":" + emf + "},{\"values\":" + temperature + "}]");
}

QByteArray sampleArray(int count)
{
    QByteArrayList samples;
    for (int i = 0; i < count; ++i)
        samples << '"' + QByteArray::number(i) + '"';
    return '[' + samples.join(',') + ']';
}

QByteArray utf16(const QString &text, QSysInfo::Endian order)
{
    QByteArray bytes = order == QSysInfo::LittleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
        bytes.append(order == QSysInfo::LittleEndian ? low : high);
        bytes.append(order == QSysInfo::LittleEndian ? high : low);
    }
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("steel_Tech-2017_03_05-14_22_08.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    file.setFileTime(QDateTime(QDate(2017, 3, 5), QTime(14, 22, 8), Qt::UTC),
                     QFileDevice::FileModificationTime);
    return path;
}

QString shown(const std::optional<QString> &text)
{
    return text ? *text : QStringLiteral("<none>");
}

Measurement parse(const QJsonObject &top)
{
    return measurement::parseMeasurement(QJsonDocument(top).toJson(QJsonDocument::Compact));
}

// A sample text of one family, drawn at random: leading zeros, signs and digit runs come up often.
QByteArray randomSample(QRandomGenerator &random, int family)
{
    static const char *const words[] = {
        "nan", "NaN",      " 1",   "1 ", "",     "32767",    "32767.0",
        "inf", "1e400",    "12,5", "00", "0.",   "+1",       ".5",
        "-0",  "4.9e-324", "-nan", "1e", "0e-9", "3.2767e4", "1.7976931348623159e308"};
    if (family == 3)
        return words[random.bounded(int(std::size(words)))];
    const auto digits = [&random](int count) {
        QByteArray run;
        for (int i = 0; i < count; ++i)
            run += char('0' + random.bounded(10));
        return run;
    };
    QByteArray text = random.bounded(3) == 0 ? "-" : "";
    if (family == 0)
        return text + digits(1 + random.bounded(6)) + '.' + digits(1 + random.bounded(4));
    const int length = 1 + random.bounded(family == 1 ? 40 : 20);
    const int point = random.bounded(length + 1);
    text += digits(point) + (point > 0 && point < length ? "." : "") + digits(length - point);
    if (family == 2)
        text += QByteArray(random.bounded(2) ? "e" : "E") + (random.bounded(2) ? "-" : "") +
                QByteArray::number(random.bounded(400));
    return text;
}

// Everything the reader gives, down to the bits of every sample and what it noticed.
bool sameRecord(const Measurement &a, const Measurement &b)
{
    const auto bitwise = [](const QVector<double> &x, const QVector<double> &y) {
        return x.size() == y.size() &&
               std::memcmp(x.constData(), y.constData(), sizeof(double) * size_t(x.size())) == 0;
    };
    const measurement::ReadFindings &f = a.findings;
    const measurement::ReadFindings &g = b.findings;
    bool same = static_cast<const measurement::MeasurementResults &>(a) == b && bitwise(a.emf, b.emf) &&
                bitwise(a.temperature, b.temperature) && f.documentNotParsed == g.documentNotParsed &&
                f.longestCurve == g.longestCurve && f.nonStringSamples == g.nonStringSamples &&
                f.nonStringResults == g.nonStringResults && f.statusWritten == g.statusWritten;
    for (int k = 0; k < measurement::sampleOddityCount; ++k)
        same = same && f.oddSamples[size_t(k)].count == g.oddSamples[size_t(k)].count &&
               f.oddSamples[size_t(k)].firstText == g.oddSamples[size_t(k)].firstText;
    return same;
}

using ResultField = std::optional<QString> Measurement::*;
const std::pair<QString, ResultField> resultKeys[] = {{QStringLiteral("Smelt"), &Measurement::smelt},
                                                      {QStringLiteral("Temp"), &Measurement::temperatureText},
                                                      {QStringLiteral("Eds"), &Measurement::emfText},
                                                      {QStringLiteral("OxActivity"), &Measurement::oxidation},
                                                      {QStringLiteral("MassAl"), &Measurement::aluminiumMass},
                                                      {QStringLiteral("Carbon"), &Measurement::carbon}};

} // namespace

class TestMeasurementFile : public QObject
{
    Q_OBJECT

private slots:
    void onlyTheFirstLineIsTheDocument_data();
    void onlyTheFirstLineIsTheDocument();
    void noValueMarksAreExactWholeTexts_data();
    void noValueMarksAreExactWholeTexts();
    void nonStringResultsReadAsEmptyText_data();
    void nonStringResultsReadAsEmptyText();
    void statusCodesSelectTableTexts_data();
    void statusCodesSelectTableTexts();
    void curveSamples_data();
    void curveSamples();
    void plainDocumentsReadAsTheGeneralRouteReadsThem_data();
    void plainDocumentsReadAsTheGeneralRouteReadsThem();
    void curveSummaries_data();
    void curveSummaries();
    void resultNumbersTakeAPointOrOneDecimalComma_data();
    void resultNumbersTakeAPointOrOneDecimalComma();
    void firstLineLengthLimitIsExact_data();
    void firstLineLengthLimitIsExact();
    void longLineWithoutBreakIsNotReadWhole();
    void specialAndMissingFilesAreRefused();
};

void TestMeasurementFile::onlyTheFirstLineIsTheDocument_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("temperature");
    QTest::addColumn<bool>("spreadOverLines");

    const QByteArray doc = withKey("Temp", "\"1563.40\"");
    QTest::newRow("one line") << doc << "1563.40" << false;
    QTest::newRow("LF, rest ignored") << doc + "\n{broken"
                                      << "1563.40" << false;
    QTest::newRow("CRLF") << doc + "\r\n" + withKey("Temp", "\"2\"") << "1563.40" << false;
    QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + doc << "1563.40" << false;
    // U+010A has the byte of a line feed in its encoding; only a whole code unit ends the line.
    const QString wide = QStringLiteral("{\"Temp\":\"\u010A\"}\r\n{");
    QTest::newRow("UTF-16LE") << utf16(wide, QSysInfo::LittleEndian) << QStringLiteral("\u010A") << false;
    QTest::newRow("UTF-16BE") << utf16(wide, QSysInfo::BigEndian) << QStringLiteral("\u010A") << false;
    QTest::newRow("indented") << QByteArray("{\n  \"Temp\": \"1563.40\"\n}\n") << "" << true;
    QTest::newRow("empty first line") << "\n" + doc << "" << true;
    QTest::newRow("empty file") << QByteArray() << "" << false;
    QTest::newRow("top-level array") << QByteArray("[{\"Temp\":\"1\"}]\n\n") << "" << false;
    QTest::newRow("syntax error") << QByteArray("{\"Temp\":\"1\",}") << "" << false;
}

void TestMeasurementFile::onlyTheFirstLineIsTheDocument()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, temperature);
    QFETCH(bool, spreadOverLines);

    const Measurement m = measurement::parseMeasurement(bytes);
    QCOMPARE(shown(m.temperatureText), temperature);
    QCOMPARE(m.findings.documentNotParsed, temperature.isEmpty());
    QCOMPARE(m.findings.spreadOverLines, spreadOverLines);
    QCOMPARE(m.emf.size(), measurement::samplesPerCurve);
    QCOMPARE(m.temperature.size(), measurement::samplesPerCurve);
    QVERIFY(!m.status);

    // The file reader sees the same bytes the same way.
    QTemporaryDir dir;
    const std::optional<Measurement> read = measurement::readMeasurementFile(writeFile(dir, bytes));
    QVERIFY(read);
    QCOMPARE(shown(read->temperatureText), temperature);
    QCOMPARE(read->findings.spreadOverLines, spreadOverLines);
}

void TestMeasurementFile::noValueMarksAreExactWholeTexts_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nan") << "nan"
                         << "<none>";
    QTest::newRow("32767") << "32767"
                           << "<none>";
    QTest::newRow("NaN") << "NaN"
                         << "NaN";
    QTest::newRow("32767.0") << "32767.0"
                             << "32767.0";
    QTest::newRow("leading space") << " 32767"
                                   << " 32767";
    QTest::newRow("trailing space") << "nan "
                                    << "nan ";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("trailing zero kept") << "1563.40"
                                        << "1563.40";
}

void TestMeasurementFile::noValueMarksAreExactWholeTexts()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    for (const auto &[key, field] : resultKeys) {
        const Measurement m = parse(QJsonObject{{key, stored}});
        // The key fills its own result and no other; absent keys are empty, never "no value".
        for (const auto &[otherKey, otherField] : resultKeys)
            QCOMPARE(shown(m.*otherField), otherKey == key ? expected : QString());
    }
}

void TestMeasurementFile::nonStringResultsReadAsEmptyText_data()
{
    QTest::addColumn<QJsonValue>("value");

    QTest::newRow("number") << QJsonValue(1600);
    QTest::newRow("number 32767") << QJsonValue(32767);
    QTest::newRow("null") << QJsonValue(QJsonValue::Null);
    QTest::newRow("bool") << QJsonValue(true);
    QTest::newRow("object") << QJsonValue(QJsonObject{{QStringLiteral("Temp"), QStringLiteral("1")}});
    QTest::newRow("array") << QJsonValue(QJsonArray{QStringLiteral("1")});
}

void TestMeasurementFile::nonStringResultsReadAsEmptyText()
{
    QFETCH(QJsonValue, value);

    for (const auto &[key, field] : resultKeys) {
        const Measurement m = parse(QJsonObject{{key, value}});
        QCOMPARE(shown(m.*field), QString());
        QVERIFY(m.findings.nonStringResults);
    }
    // The status is converted from a text too: the number 8 is not the code 8.
    const Measurement m = parse(QJsonObject{{QStringLiteral("Status"), value}});
    QCOMPARE(shown(m.status), QStringLiteral("ОШИБКА"));
    QVERIFY(m.findings.nonStringResults);
}

void TestMeasurementFile::statusCodesSelectTableTexts_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("inTable");

    const QStringList table = {QStringLiteral("ОШИБКА ТП"),  QStringLiteral("ОШИБКА ЗК"),
                               QStringLiteral("НЕТ ПЛ.ТП."), QStringLiteral("НЕТ ПЛ.ЗК."),
                               QStringLiteral("НЕТ ПЛ."),    QStringLiteral("ЕСТЬ ПЛ."),
                               QStringLiteral("ОБР. ТП."),   QString(),
                               QStringLiteral("ВЫС. ЗН."),   QStringLiteral("НИЗ. ЗН.")};
    for (int code = 3; code <= 12; ++code) {
        if (!table.at(code - 3).isEmpty())
            QTest::addRow("%d", code) << QString::number(code) << table.at(code - 3) << true;
    }
    const QString error = QStringLiteral("ОШИБКА");
    for (const char *code : {"0", "1", "2", "10", "13", "-1", "-8", "abc", "8.0", "", "99999999999",
                             "99999999999999999999", "2147483648", "-2147483649", "4294967304"})
        QTest::addRow("outside table '%s'", code) << QString::fromLatin1(code) << error << false;
}

void TestMeasurementFile::statusCodesSelectTableTexts()
{
    QFETCH(QString, code);
    QFETCH(QString, status);
    QFETCH(bool, inTable);

    const Measurement m = parse(QJsonObject{{QStringLiteral("Status"), code}});
    QCOMPARE(shown(m.status), status);
    QCOMPARE(m.findings.statusOutsideTable, !inTable);
    QCOMPARE(measurement::statusText(*m.statusCode), status);
    // What the check names: the text as written, not the code it could not be read as.
    QCOMPARE(m.findings.statusWritten, inTable ? QString() : code);
    // "nan" and "32767" have no special meaning in the status, and no status leaves it empty.
    QCOMPARE(shown(parse(QJsonObject{{QStringLiteral("Smelt"), code}}).status), QStringLiteral("<none>"));
}

void TestMeasurementFile::curveSamples_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QVector<double>>("emfHead");
    QTest::addColumn<int>("emfCount");
    QTest::addColumn<int>("temperatureCount");
    QTest::addColumn<bool>("nonStringSamples");

    const QByteArray hundred = sampleArray(100);
    QTest::newRow("100 samples, rest missing")
        << curves(hundred, hundred) << QVector<double>{0, 1, 2} << 100 << 100 << false;
    QTest::newRow("more than 160: first 160 kept, rest ignored")
        << curves(sampleArray(200).chopped(1) + ",7]", "[]") << QVector<double>{0, 1} << 160 << 0 << false;
    QTest::newRow("one Archives element")
        << withKey("Archives", R"([{"values":["5"]}])") << QVector<double>{5} << 1 << 0 << false;
    QTest::newRow("texts") << curves(R"(["32767","-1.5","1e3","nan","abc",""])", R"(["1"])")
                           << QVector<double>{32767, -1.5, 1000, qQNaN(), 0, 0} << 6 << 1 << false;
    QTest::newRow("non-string samples are 0")
        << curves(R"([7,null,{},[],true])", "[]") << QVector<double>{0, 0, 0, 0, 0} << 5 << 0 << true;
    QTest::newRow("Archives not an array")
        << withKey("Archives", R"({"values":["1"]})") << QVector<double>{} << 0 << 0 << false;
    QTest::newRow("element not an object")
        << withKey("Archives", R"([["1"],["1"]])") << QVector<double>{} << 0 << 0 << false;
    QTest::newRow("values not an array")
        << curves(R"("1")", R"({"0":"1"})") << QVector<double>{} << 0 << 0 << false;
}

void TestMeasurementFile::curveSamples()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QVector<double>, emfHead);
    QFETCH(int, emfCount);
    QFETCH(int, temperatureCount);
    QFETCH(bool, nonStringSamples);

    const Measurement m = measurement::parseMeasurement(bytes);
    QCOMPARE(m.emf.size(), measurement::samplesPerCurve);
    QCOMPARE(m.temperature.size(), measurement::samplesPerCurve);
    QCOMPARE(m.findings.nonStringSamples, nonStringSamples);
    for (int i = 0; i < emfHead.size(); ++i) {
        if (std::isnan(emfHead.at(i)))
            QVERIFY(std::isnan(m.emf.at(i)));
        else
            QCOMPARE(m.emf.at(i), emfHead.at(i));
    }
    // Slots past the stored samples are missing; with more stored than slots, every slot is filled.
    QCOMPARE(
        std::count_if(m.emf.cbegin() + emfHead.size(), m.emf.cend(), [](double v) { return !std::isnan(v); }),
        long(emfCount - emfHead.size()));
    QCOMPARE(
        std::count_if(m.temperature.cbegin(), m.temperature.cend(), [](double v) { return !std::isnan(v); }),
        long(temperatureCount));
    if (emfCount == measurement::samplesPerCurve)
        QCOMPARE(m.emf.last(), double(measurement::samplesPerCurve - 1));
}

void TestMeasurementFile::plainDocumentsReadAsTheGeneralRouteReadsThem_data()
{
    QTest::addColumn<int>("family");
    QTest::newRow("decimals as the plant writes them") << 0;
    QTest::newRow("long digit runs") << 1;
    QTest::newRow("exponents") << 2;
    QTest::newRow("words, marks and odd spellings") << 3;
}

// Random plain documents of each family of samples, read with and without the shortcut for plain
// documents: the records must agree to the bit.
void TestMeasurementFile::plainDocumentsReadAsTheGeneralRouteReadsThem()
{
    QFETCH(int, family);
    QRandomGenerator random(quint32(20170305 + family));
    for (int document = 0; document < 200; ++document) {
        QByteArrayList emf, temperature;
        for (int i = random.bounded(170); i > 0; --i)
            emf << '"' + randomSample(random, family) + '"';
        for (int i = random.bounded(170); i > 0; --i)
            temperature << '"' + randomSample(random, random.bounded(4)) + '"';
        const QByteArray bytes = R"({"Archives":[{"values":[)" + emf.join(',') + R"(]},{"values":[)" +
                                 temperature.join(',') + R"(]}],"Smelt":")" + randomSample(random, family) +
                                 R"(","Status":")" + randomSample(random, family) + "\"}\n";
        const Measurement shortcut = measurement::parseMeasurement(bytes);
        QVERIFY2(!shortcut.findings.documentNotParsed, bytes.constData());
        QVERIFY2(sameRecord(shortcut, measurement::parseMeasurementWithoutShortcut(bytes)),
                 bytes.constData());
    }
}

void TestMeasurementFile::curveSummaries_data()
{
    const double nan = qQNaN();
    const double inf = qInf();
    QTest::addColumn<QVector<double>>("samples");
    QTest::addColumn<int>("count");
    QTest::addColumn<QVector<double>>("span"); // minimum and maximum, empty when there is none

    QTest::newRow("missing samples only") << QVector<double>{nan, nan} << 0 << QVector<double>{};
    QTest::newRow("gaps left out") << QVector<double>{nan, 3, nan, -2, 5} << 3 << QVector<double>{-2, 5};
    QTest::newRow("infinities counted, not spanned")
        << QVector<double>{inf, 1, -inf, 2} << 4 << QVector<double>{1, 2};
    QTest::newRow("infinities only") << QVector<double>{-inf, inf} << 2 << QVector<double>{};
    // Equal values: the first one read stands, down to the sign of a zero.
    QTest::newRow("negative zero first") << QVector<double>{-0.0, 0.0} << 2 << QVector<double>{-0.0, -0.0};
    QTest::newRow("positive zero first") << QVector<double>{0.0, -0.0} << 2 << QVector<double>{0.0, 0.0};
}

void TestMeasurementFile::curveSummaries()
{
    QFETCH(QVector<double>, samples);
    QFETCH(int, count);
    QFETCH(QVector<double>, span);

    const measurement::CurveSummary summary = measurement::summarizeCurve(samples);
    QCOMPARE(summary.samples, count);
    QCOMPARE(summary.minimum.has_value(), !span.isEmpty());
    QCOMPARE(summary.maximum.has_value(), !span.isEmpty());
    if (span.isEmpty())
        return;
    QCOMPARE(summary.minimum.value(), span[0]);
    QCOMPARE(std::signbit(*summary.minimum), std::signbit(span[0]));
    QCOMPARE(summary.maximum.value(), span[1]);
    QCOMPARE(std::signbit(*summary.maximum), std::signbit(span[1]));
}

void TestMeasurementFile::resultNumbersTakeAPointOrOneDecimalComma_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("decimalComma");

    QTest::newRow("point") << "1598.5" << true << 1598.5 << 1 << false;
    QTest::newRow("comma") << "1598,5" << true << 1598.5 << 1 << true;
    QTest::newRow("trailing zero kept as a decimal") << "1563.40" << true << 1563.4 << 2 << false;
    QTest::newRow("comma, trailing zero") << "0,50" << true << 0.5 << 2 << true;
    QTest::newRow("whole number") << "1600" << true << 1600.0 << 0 << false;
    QTest::newRow("minus and comma") << "-0,5" << true << -0.5 << 1 << true;
    QTest::newRow("plus and comma") << "+12,25" << true << 12.25 << 2 << true;
    QTest::newRow("exponent after a comma") << "1,5e3" << true << 1500.0 << 1 << true;
    QTest::newRow("spaces around") << " 1598,5 " << true << 1598.5 << 1 << true;
    QTest::newRow("space inside") << "1 598,5" << false << 0.0 << 0 << false;
    QTest::newRow("comma and point") << "1,598.5" << false << 0.0 << 0 << false;
    QTest::newRow("point and comma") << "1.598,5" << false << 0.0 << 0 << false;
    QTest::newRow("two commas") << "1,5,5" << false << 0.0 << 0 << false;
    QTest::newRow("comma first") << ",5" << false << 0.0 << 0 << false;
    QTest::newRow("comma last") << "5," << false << 0.0 << 0 << false;
    QTest::newRow("comma after the sign") << "-,5" << false << 0.0 << 0 << false;
    QTest::newRow("word") << "abc" << false << 0.0 << 0 << false;
    QTest::newRow("empty") << "" << false << 0.0 << 0 << false;
    QTest::newRow("nan") << "nan" << false << 0.0 << 0 << false;
    QTest::newRow("infinity") << "inf" << false << 0.0 << 0 << false;
    QTest::newRow("too large") << "1e400" << false << 0.0 << 0 << false;
}

void TestMeasurementFile::resultNumbersTakeAPointOrOneDecimalComma()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(bool, decimalComma);

    const std::optional<measurement::ResultNumber> read = measurement::readResultNumber(text);
    QCOMPARE(read.has_value(), isNumber);
    QCOMPARE(measurement::resultNumber(text).has_value(), isNumber);
    if (!read)
        return;
    QCOMPARE(read->value, value);
    QCOMPARE(read->decimals, decimals);
    QCOMPARE(read->decimalComma, decimalComma);
    QCOMPARE(measurement::resultNumber(text).value(), value);
}

void TestMeasurementFile::firstLineLengthLimitIsExact_data()
{
    QTest::addColumn<int>("extraBytes");
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::addColumn<bool>("parsed");

    QTest::newRow("at the limit, LF") << 0 << QByteArray("\nx") << true;
    QTest::newRow("at the limit, CRLF") << 0 << QByteArray("\r\nx") << true;
    QTest::newRow("at the limit, end of file") << 0 << QByteArray() << true;
    QTest::newRow("one byte over, LF") << 1 << QByteArray("\n") << false;
    QTest::newRow("one byte over, end of file") << 1 << QByteArray() << false;
}

void TestMeasurementFile::firstLineLengthLimitIsExact()
{
    QFETCH(int, extraBytes);
    QFETCH(QByteArray, lineBreak);
    QFETCH(bool, parsed);

    const QByteArray doc = withKey("Temp", "\"1\"");
    QByteArray bytes = doc.left(doc.size() - 1);
    bytes += QByteArray(int(measurement::maxFirstLineBytes) + extraBytes - doc.size(), ' ') + '}' + lineBreak;

    QTemporaryDir dir;
    const std::optional<Measurement> read = measurement::readMeasurementFile(writeFile(dir, bytes));
    QVERIFY(read);
    for (const Measurement &m : {*read, measurement::parseMeasurement(bytes)}) {
        QCOMPARE(shown(m.temperatureText), parsed ? QStringLiteral("1") : QString());
        QCOMPARE(m.findings.firstLineTooLong, !parsed);
        QCOMPARE(m.findings.documentNotParsed, !parsed);
    }
}

void TestMeasurementFile::longLineWithoutBreakIsNotReadWhole()
{
#if defined(Q_OS_UNIX)
    // A sparse gigabyte of zero bytes: no line break anywhere.
    QTemporaryDir dir;
    const QString path = writeFile(dir, QByteArray());
    QVERIFY(QFile::resize(path, qint64(1) << 30));

    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const std::optional<Measurement> m = measurement::readMeasurementFile(path);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);

    QVERIFY(m);
    QVERIFY(m->findings.firstLineTooLong);
    QVERIFY(std::isnan(m->emf.first()));
    const long grownKiB = after.ru_maxrss - before.ru_maxrss;
    QVERIFY2(grownKiB < 256 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 KiB").arg(grownKiB)));
#else
    QSKIP("needs getrusage");
#endif
}

void TestMeasurementFile::specialAndMissingFilesAreRefused()
{
    QTemporaryDir dir;
    QVERIFY(!measurement::readMeasurementFile(QString()));
    QVERIFY(!measurement::readMeasurementFile(dir.filePath(QStringLiteral("missing.json"))));
    QVERIFY(!measurement::readMeasurementFile(dir.path()));
#if defined(Q_OS_UNIX)
    // A named pipe without a writer would block a plain open or read for ever.
    const QString fifo = dir.filePath(QStringLiteral("steel_Tech-2017_03_05-14_22_09.json"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!measurement::readMeasurementFile(fifo));
    const QString link = dir.filePath(QStringLiteral("link.json"));
    QVERIFY(QFile::link(fifo, link));
    QVERIFY(!measurement::readMeasurementFile(link));
    QVERIFY(!measurement::readMeasurementFile(QStringLiteral("/dev/null")));

    const QString regular = writeFile(dir, oneLine);
    QVERIFY(QFile::remove(link) && QFile::link(regular, link));
    QCOMPARE(shown(measurement::readMeasurementFile(link)->smelt), QStringLiteral("A-17"));

    if (geteuid() == 0)
        QSKIP("root reads files without read permission");
    QVERIFY(QFile::setPermissions(regular, QFileDevice::WriteOwner));
    QVERIFY(!measurement::readMeasurementFile(regular));
#endif
}

QTEST_APPLESS_MAIN(TestMeasurementFile)
#include "tst_measurementfile.moc"
