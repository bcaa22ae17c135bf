// SPDX-License-Identifier: GPL-3.0-or-later
// Spreadsheet files and CSV for spreadsheets, read back as a spreadsheet reads them: the cells of the
// sheet's XML (unzipped), and where LibreOffice is installed, what Calc makes of the files.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace support;

namespace {

const QString firstMeasurement = QStringLiteral("steel_K1-2025_01_26-08_00_00.json");

// Whether Info-ZIP's unzip is there to read the files back with (not on Windows).
bool canUnzip()
{
    return !QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty();
}

// A member of a zip file as unzip gives it; empty when it is not there.
QByteArray zipMember(const QString &zip, const QString &member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, member});
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0)
        return QByteArray();
    return unzip.readAllStandardOutput();
}

// One cell as the sheet's XML holds it.
struct Cell
{
    QString kind; // "text", "number" or "empty"
    QString value;
    QString format; // the number format's code, "General" where none is set
    bool bold = false;
};

// A workbook's sheets read back from the file: each cell by its reference ("B2"), with its style
// resolved to a number format and a weight, as a spreadsheet program resolves them.
class Workbook
{
public:
    explicit Workbook(const QString &path) : path(path)
    {
        readStyles(zipMember(path, QStringLiteral("xl/styles.xml")));
        readSharedStrings(zipMember(path, QStringLiteral("xl/sharedStrings.xml")));
    }

    QString sheetXml(int sheet) const
    {
        return QString::fromUtf8(zipMember(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet)));
    }

    QHash<QString, Cell> cells(int sheet) const
    {
        QHash<QString, Cell> cells;
        QXmlStreamReader xml(sheetXml(sheet));
        QString reference;
        Cell cell;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
                reference = xml.attributes().value(QStringLiteral("r")).toString();
                const QString type = xml.attributes().value(QStringLiteral("t")).toString();
                const int style = xml.attributes().value(QStringLiteral("s")).toInt();
                cell = Cell{type.isEmpty() || type == QLatin1String("n") ? QStringLiteral("number")
                                                                         : QStringLiteral("text"),
                            QString(), styles.value(style).first, styles.value(style).second};
                if (cell.format.isEmpty())
                    cell.format = QStringLiteral("General");
            } else if (xml.isStartElement() &&
                       (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t"))) {
                const QString text = xml.readElementText();
                cell.value = cell.kind == QLatin1String("text") && xml.name() == QLatin1String("v")
                                 ? sharedStrings.value(text.toInt())
                                 : text;
            } else if (xml.isEndElement() && xml.name() == QLatin1String("c")) {
                cells.insert(reference, cell);
            }
        }
        return cells;
    }

private:
    QString path;
    QVector<QPair<QString, bool>> styles; // per style index: format code, bold
    QStringList sharedStrings;

    void readStyles(const QByteArray &bytes)
    {
        const QHash<int, QString> builtIn{{0, QString()},
                                          {1, QStringLiteral("0")},
                                          {2, QStringLiteral("0.00")},
                                          {10, QStringLiteral("0.00%")}};
        QHash<int, QString> codes = builtIn;
        QVector<bool> boldFonts;
        QXmlStreamReader xml(bytes);
        bool inCellFormats = false;
        while (!xml.atEnd()) {
            xml.readNext();
            const auto attribute = [&xml](const char *name) {
                return xml.attributes().value(QLatin1String(name));
            };
            if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
                codes.insert(attribute("numFmtId").toInt(), attribute("formatCode").toString());
            else if (xml.isStartElement() && xml.name() == QLatin1String("font"))
                boldFonts.append(false);
            else if (xml.isStartElement() && xml.name() == QLatin1String("b") && !boldFonts.isEmpty())
                boldFonts.last() = true;
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellFormats = xml.isStartElement();
            else if (inCellFormats && xml.isStartElement() && xml.name() == QLatin1String("xf"))
                styles.append({codes.value(attribute("numFmtId").toInt()),
                               boldFonts.value(attribute("fontId").toInt())});
        }
    }

    void readSharedStrings(const QByteArray &bytes)
    {
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                sharedStrings.append(QString());
            else if (xml.isStartElement() && xml.name() == QLatin1String("t") && !sharedStrings.isEmpty())
                sharedStrings.last() += xml.readElementText();
        }
    }
};

// LibreOffice's soffice, or the empty text where it is not installed.
QString sofficeProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

// What LibreOffice Calc makes of `input` (opened with `filter` where given), saved as `format`
// ("xlsx", or "csv" with every cell as shown) in `folder`; the path of what it wrote.
QString convertedByCalc(const QString &input, const QString &filter, const QString &format,
                        const QString &folder)
{
    QStringList arguments{QStringLiteral("-env:UserInstallation=file://") + folder +
                              QStringLiteral("/profile"),
                          QStringLiteral("--headless")};
    if (!filter.isEmpty())
        arguments << QStringLiteral("--infilter=") + filter;
    // CSV: ',' between cells, UTF-8, cells as shown (a date as a date, a number with its format).
    arguments << QStringLiteral("--convert-to")
              << (format == QLatin1String("csv")
                      ? QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true")
                      : format)
              << QStringLiteral("--outdir") << folder + QStringLiteral("/converted") << input;
    QProcess soffice;
    soffice.start(sofficeProgram(), arguments);
    if (!soffice.waitForFinished(180000) || soffice.exitCode() != 0)
        return QString();
    const QString written = folder + QStringLiteral("/converted/") + QFileInfo(input).completeBaseName() +
                            QLatin1Char('.') + format;
    return QFileInfo::exists(written) ? written : QString();
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class SpreadsheetsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archiveDir;
    QString outputs;

    QStringList withPaths(QStringList arguments) const
    {
        arguments.replaceInStrings(QStringLiteral("DIR"), archiveDir);
        arguments.replaceInStrings(QStringLiteral("FILE"), archiveDir + QLatin1Char('/') + firstMeasurement);
        arguments.replaceInStrings(QStringLiteral("OUT"), outputs);
        return arguments;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archiveDir = root.filePath(QStringLiteral("archive"));
        outputs = root.filePath(QStringLiteral("outputs"));
        QVERIFY(QDir().mkpath(archiveDir));
        QVERIFY(QDir().mkpath(outputs));
        // As a plant PC with Russian number settings writes them, beside the usual ones.
        writeFile(archiveDir, firstMeasurement,
                  measurementDocument(
                      ramp(160, 0.5, 1.25), ramp(160, 400, 7.5),
                      "\"Smelt\":\"00731\",\"Temp\":\"1598,5\",\"Eds\":\"150.90\","
                      "\"OxActivity\":\"nan\",\"MassAl\":\"13\",\"Carbon\":\"0,329\",\"Status\":\"8\""));
        writeFile(archiveDir, QStringLiteral("steel_K1-2025_01_26-09_30_00.json"),
                  measurementDocument(
                      ramp(160, 0, 1), ramp(160, 500, 5),
                      "\"Smelt\":\"A-17\",\"Temp\":\"1600\",\"Eds\":\"140.2\",\"OxActivity\":\"12\","
                      "\"MassAl\":\"1700x\",\"Carbon\":\"0.1\",\"Status\":\"7\""));
        writeFile(archiveDir, QStringLiteral("steel_K2-2025_01_27-10_00_00.json"),
                  measurementDocument(
                      ramp(160, 0, 1), ramp(160, 500, 5),
                      "\"Smelt\":\"00732\",\"Temp\":\"1562.40\",\"Eds\":\"-5,5\",\"OxActivity\":\"3\","
                      "\"MassAl\":\"11\",\"Carbon\":\"0.2\""));
    }

    void spreadsheetCellsHaveTheirTypes_data()
    {
        QTest::addColumn<QStringList>("arguments"); // DIR the archive, FILE its first file, OUT a folder
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("bold");

        const QStringList find{QStringLiteral("find"),   QStringLiteral("DIR"),
                               QStringLiteral("--melt"), QStringLiteral("00731"),
                               QStringLiteral("-o"),     QStringLiteral("OUT/find.xlsx")};
        QTest::newRow("find: a bold header") << find << 1 << "A1"
                                             << "text"
                                             << "melt"
                                             << "General" << true;
        QTest::newRow("find: the melt as text, leading zeros kept") << find << 1 << "A2"
                                                                    << "text"
                                                                    << "00731"
                                                                    << "General" << false;
        // 26.01.2025 08:00 is day 45683 of a spreadsheet's calendar, a third of the day gone.
        QTest::newRow("find: the moment as a date-time") << find << 1 << "B2"
                                                         << "number"
                                                         << "45683.333333333336"
                                                         << "dd.mm.yyyy hh:mm:ss" << false;
        QTest::newRow("find: the technology") << find << 1 << "C2"
                                              << "text"
                                              << "K1"
                                              << "General" << false;
        QTest::newRow("find: a decimal comma read as a number") << find << 1 << "D2"
                                                                << "number"
                                                                << "1598.5"
                                                                << "0.0" << false;
        QTest::newRow("find: the decimals as written") << find << 1 << "E2"
                                                       << "number"
                                                       << "150.9"
                                                       << "0.00" << false;
        QTest::newRow("find: no value, no cell") << find << 1 << "F2"
                                                 << "empty"
                                                 << ""
                                                 << "" << false;
        QTest::newRow("find: a whole number") << find << 1 << "G2"
                                              << "number"
                                              << "13"
                                              << "0" << false;
        QTest::newRow("find: a comma and three decimals") << find << 1 << "H2"
                                                          << "number"
                                                          << "0.329"
                                                          << "0.000" << false;
        QTest::newRow("find: the status code") << find << 1 << "I2"
                                               << "number"
                                               << "8"
                                               << "General" << false;
        QTest::newRow("find: the verdict") << find << 1 << "J2"
                                           << "text"
                                           << "ЕСТЬ ПЛ."
                                           << "General" << false;
        const QStringList findAll{QStringLiteral("find"), QStringLiteral("DIR"), QStringLiteral("--xlsx"),
                                  QStringLiteral("-o"), QStringLiteral("OUT/all.xlsx")};
        QTest::newRow("find: newest first") << findAll << 1 << "A2"
                                            << "text"
                                            << "00732"
                                            << "General" << false;
        QTest::newRow("find: a text that is no number stays one") << findAll << 1 << "G3"
                                                                  << "text"
                                                                  << "1700x"
                                                                  << "General" << false;

        const QStringList stats{QStringLiteral("stats"), QStringLiteral("DIR"), QStringLiteral("-o"),
                                QStringLiteral("OUT/stats.xlsx")};
        QTest::newRow("stats: the group") << stats << 1 << "A2"
                                          << "text"
                                          << "K1"
                                          << "General" << false;
        QTest::newRow("stats: a count") << stats << 1 << "B2"
                                        << "number"
                                        << "2"
                                        << "General" << false;
        // technology, measurements, the eleven status columns, then the share.
        QTest::newRow("stats: the share as a percentage") << stats << 1 << "N2"
                                                          << "number"
                                                          << "0.5"
                                                          << "0.0%" << false;
        QTest::newRow("stats: a comma result in the minimum") << stats << 1 << "O2"
                                                              << "number"
                                                              << "1598.5"
                                                              << "General" << false;
        QTest::newRow("stats: the total row") << stats << 1 << "A4"
                                              << "text"
                                              << "all"
                                              << "General" << true;
        QTest::newRow("stats: the total count") << stats << 1 << "B4"
                                                << "number"
                                                << "3"
                                                << "General" << true;
        QTest::newRow("stats: the total share") << stats << 1 << "N4"
                                                << "number"
                                                << "0.3333333333333333"
                                                << "0.0%" << true;

        const QStringList export_{QStringLiteral("export"), QStringLiteral("FILE"), QStringLiteral("-o"),
                                  QStringLiteral("OUT/curves.xlsx")};
        QTest::newRow("export: samples, the time") << export_ << 1 << "A3"
                                                   << "number"
                                                   << "0.1"
                                                   << "0.0" << false;
        QTest::newRow("export: samples, the EMF") << export_ << 1 << "B3"
                                                  << "number"
                                                  << "1.75"
                                                  << "General" << false;
        QTest::newRow("export: samples, the temperature") << export_ << 1 << "C161"
                                                          << "number"
                                                          << "1592.5"
                                                          << "General" << false;
        QTest::newRow("export: results, the melt") << export_ << 2 << "A2"
                                                   << "text"
                                                   << "00731"
                                                   << "General" << false;
        QTest::newRow("export: results, the temperature") << export_ << 2 << "D2"
                                                          << "number"
                                                          << "1598.5"
                                                          << "0.0" << false;
    }

    void spreadsheetCellsHaveTheirTypes()
    {
        if (!canUnzip())
            QSKIP("no unzip to read the spreadsheet's sheets back with");
        QFETCH(QStringList, arguments);
        QFETCH(int, sheet);
        QFETCH(QString, reference);
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, format);
        QFETCH(bool, bold);

        arguments = withPaths(arguments);
        const CommandResult result = runTool(arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const Workbook book(arguments.constLast());
        const QHash<QString, Cell> cells = book.cells(sheet);
        QVERIFY2(!cells.isEmpty(), "the sheet reads back");
        if (kind == QLatin1String("empty")) {
            QVERIFY(!cells.contains(reference));
            return;
        }
        QVERIFY2(cells.contains(reference), qPrintable(reference));
        const Cell cell = cells.value(reference);
        QCOMPARE(cell.kind, kind);
        if (kind == QLatin1String("number"))
            QCOMPARE(cell.value.toDouble(), value.toDouble());
        else
            QCOMPARE(cell.value, value);
        QCOMPARE(cell.format, format);
        QCOMPARE(cell.bold, bold);
        // Every sheet keeps its header in view, filters its rows and has its columns set wide.
        const QString xml = book.sheetXml(sheet);
        QVERIFY(xml.contains(QLatin1String(
            "<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>")));
        QVERIFY(xml.contains(QLatin1String("<autoFilter ref=\"A1:")));
        QVERIFY(xml.contains(QLatin1String("customWidth=\"1\"")));
    }

    // A melt no format can hold as it is: the whole value in the file, or the run refused with one line
    // naming the measurement file and the column; never a value cut to what fits.
    void valuesAreExactOrRefused_data()
    {
        QTest::addColumn<QString>("format");  // the output's suffix
        QTest::addColumn<QString>("command"); // find or export
        QTest::addColumn<QString>("melt");    // as the file's JSON spells it
        QTest::addColumn<QString>("refusal"); // a pattern of the error line; empty: written whole

        const QString longMelt = QString(40000, QLatin1Char('m'));
        const QString fullCell = QString(32767, QLatin1Char('m'));
        const struct
        {
            const char *name;
            const char *format;
            const char *command;
            QString melt;
            const char *refusal;
        } rows[] = {
            {"a NUL in a spreadsheet", "xlsx", "find", QStringLiteral("nul\\u0000inside"), "U\\+0000"},
            {"another control character in a spreadsheet", "xlsx", "find", QStringLiteral("a\\u001bb"),
             "U\\+001b"},
            {"a NUL in a spreadsheet of export", "xlsx", "export", QStringLiteral("nul\\u0000inside"),
             "U\\+0000"},
            {"more than a cell holds", "xlsx", "find", longMelt, "40000 characters"},
            {"exactly what a cell holds", "xlsx", "find", fullCell, ""},
            {"a tab and a line break in a spreadsheet", "xlsx", "find", QStringLiteral("a\\tb\\nc"), ""},
            {"a pair of surrogates in a spreadsheet", "xlsx", "find", QStringLiteral("\\ud83d\\ude00"), ""},
            {"half a pair in a spreadsheet", "xlsx", "find", QStringLiteral("a\\ud800b"), "U\\+d800 alone"},
            {"half a pair in CSV", "csv", "find", QStringLiteral("a\\ud800b"), "U\\+d800 alone"},
            {"half a pair in JSON", "json", "find", QStringLiteral("a\\udc00"), "U\\+dc00 alone"},
            {"a NUL in CSV", "csv", "find", QStringLiteral("nul\\u0000inside"), ""},
            {"a long melt in CSV", "csv", "find", longMelt, ""},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << QString::fromLatin1(row.format) << QString::fromLatin1(row.command)
                                    << row.melt << QString::fromLatin1(row.refusal);
    }
    void valuesAreExactOrRefused()
    {
        QFETCH(QString, format);
        QFETCH(QString, command);
        QFETCH(QString, melt);
        QFETCH(QString, refusal);
        const QString archive = root.filePath(QStringLiteral("hostile"));
        QDir(archive).removeRecursively();
        QVERIFY(QDir().mkpath(archive));
        const QString name = QStringLiteral("steel_K1-2025_02_01-08_00_00.json");
        writeFile(
            archive, name,
            measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5),
                                "\"Smelt\":\"" + melt.toUtf8() + "\",\"Temp\":\"1600\",\"Status\":\"8\""));
        const QString output = outputs + QStringLiteral("/exact.") + format;
        QFile::remove(output);
        const QStringList arguments =
            command == QLatin1String("find")
                ? QStringList{command, archive, QStringLiteral("--no-index"), QStringLiteral("-o"), output}
                : QStringList{command, archive + QLatin1Char('/') + name, QStringLiteral("-o"), output};

        const CommandResult result = runTool(arguments);

        // The value as the reader has it: JSON's escapes undone.
        const QString expected =
            QJsonDocument::fromJson("[\"" + melt.toUtf8() + "\"]").array().at(0).toString();
        if (!refusal.isEmpty()) {
            QCOMPARE(result.exitCode, 2);
            QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(result.err.contains(name + QStringLiteral(", column \"melt\": ")),
                     qPrintable(result.err));
            QVERIFY2(result.err.contains(QRegularExpression(refusal)), qPrintable(result.err));
            QVERIFY(!QFileInfo::exists(output));
            return;
        }
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        if (format == QLatin1String("csv")) {
            QFile written(output);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QVERIFY(written.readAll().contains('\n' + expected.toUtf8() + ','));
            return;
        }
        if (!canUnzip())
            QSKIP("no unzip to read the spreadsheet's sheets back with");
        QCOMPARE(Workbook(output).cells(1).value(QStringLiteral("A2")).value, expected);
    }

    void numbersStayInCNotationUnderALocaleOfDecimalCommas()
    {
        if (!canUnzip())
            QSKIP("no unzip to read the spreadsheet's sheets back with");
        // A Russian desktop's C library writes "9,71" for 9.71: libxlsxwriter writes its numbers with
        // printf. The locale is made here, where none may be installed.
        const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
        if (localedef.isEmpty())
            QSKIP("no localedef to make a Russian locale with");
        const QString locales = root.filePath(QStringLiteral("locales"));
        QVERIFY(QDir().mkpath(locales));
        QProcess make;
        make.start(localedef, {QStringLiteral("-i"), QStringLiteral("ru_RU"), QStringLiteral("-f"),
                               QStringLiteral("UTF-8"), locales + QStringLiteral("/ru_RU.UTF-8")});
        if (!make.waitForFinished(120000) || make.exitCode() != 0)
            QSKIP("the Russian locale cannot be made here (no locale sources)");
        const QString book = outputs + QStringLiteral("/russian-desktop.xlsx");
        const CommandResult result =
            runProgram(withPaths({QStringLiteral("find"), QStringLiteral("DIR"), QStringLiteral("-o"), book}),
                       {QStringLiteral("LOCPATH=") + locales, QStringLiteral("LC_ALL=ru_RU.UTF-8")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QString xml = Workbook(book).sheetXml(1);
        QVERIFY(xml.contains(QLatin1String("<v>1598.5</v>")));
        const QRegularExpression commaNumber(QStringLiteral("(width=\"|<v>)[0-9]+,[0-9]"));
        QVERIFY2(!xml.contains(commaNumber), qPrintable(xml.left(600)));
    }

    void aTemporaryFolderWithACyrillicNameServes()
    {
        // As on a plant PC whose user has a Russian name: the library's own files go there too.
        const QString temporary = root.filePath(QStringLiteral("Временные файлы"));
        QVERIFY(QDir().mkpath(temporary));
        const QString book = outputs + QStringLiteral("/cyrillic-temporary.xlsx");
        const QString native = QDir::toNativeSeparators(temporary);
        const CommandResult result = runProgram(
            withPaths({QStringLiteral("stats"), QStringLiteral("DIR"), QStringLiteral("-o"), book}),
            {QStringLiteral("TMPDIR=") + native, QStringLiteral("TMP=") + native,
             QStringLiteral("TEMP=") + native});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QFile written(book);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(2), QByteArray("PK"));
        QCOMPARE(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    void headersFollowTheLanguageOfTheLocale_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("header");
        QTest::newRow("find, Russian") << QStringList{QStringLiteral("find"), QStringLiteral("DIR"),
                                                      QStringLiteral("-o"), QStringLiteral("OUT/ru.xlsx")}
                                       << "ru_RU.UTF-8"
                                       << "плавка";
        QTest::newRow("find, English") << QStringList{QStringLiteral("find"), QStringLiteral("DIR"),
                                                      QStringLiteral("-o"), QStringLiteral("OUT/en.xlsx")}
                                       << "C.UTF-8"
                                       << "melt";
        QTest::newRow("stats by status, Russian")
            << QStringList{QStringLiteral("stats"), QStringLiteral("DIR"),
                           QStringLiteral("--by"),  QStringLiteral("status"),
                           QStringLiteral("-o"),    QStringLiteral("OUT/ru-stats.xlsx")}
            << "ru_RU.UTF-8"
            << "статус";
    }

    void headersFollowTheLanguageOfTheLocale()
    {
        if (!canUnzip())
            QSKIP("no unzip to read the spreadsheet's sheets back with");
        QFETCH(QStringList, arguments);
        QFETCH(QString, locale);
        QFETCH(QString, header);
        arguments = withPaths(arguments);
        const CommandResult result =
            runProgram(arguments, {QStringLiteral("LANG=") + locale, QStringLiteral("LC_ALL="),
                                   QStringLiteral("LC_MESSAGES=")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QHash<QString, Cell> cells = Workbook(arguments.constLast()).cells(1);
        QCOMPARE(cells.value(QStringLiteral("A1")).value, header);
    }

    void excelCsvSuitsARussianSpreadsheet_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        const QStringList find{QStringLiteral("find"), QStringLiteral("DIR"), QStringLiteral("--technology"),
                               QStringLiteral("K1"), QStringLiteral("--excel")};
        QTest::newRow("find: the header in Russian")
            << find << 0
            << QStringLiteral("плавка;момент;технология;температура, °C;ЭДС, мВ;окисленность, ppm;"
                              "масса алюминия, кг;углерод, %;код статуса;статус;файл\r");
        QTest::newRow("find: a melt number kept as text, results with commas")
            << find << 2
            << QStringLiteral(
                   "\"=\"\"00731\"\"\";2025-01-26 08:00:00;K1;1598,5;150,90;;13;0,329;8;ЕСТЬ ПЛ.;") +
                   firstMeasurement + QLatin1Char('\r');
        QTest::newRow("find: a melt with letters as it stands")
            << find << 1
            << QStringLiteral("A-17;2025-01-26 09:30:00;K1;1600;140,2;12;1700x;0,1;7;НЕТ ПЛ.;"
                              "steel_K1-2025_01_26-09_30_00.json\r");
        const QStringList stats{QStringLiteral("stats"), QStringLiteral("DIR"), QStringLiteral("--excel")};
        QTest::newRow("stats: the share as the table rounds it")
            << stats << 1
            << QStringLiteral("K1;2;0;0;0;0;1;1;0;0;0;0;0;50,0%;1598,5;1599,25;1600;140,2;145,55;150,9\r");
        QTest::newRow("stats: the total row")
            << stats << 3
            << QStringLiteral("всего;3;0;0;0;0;1;1;0;0;0;0;1;33,3%;1562,4;1598,5;1600;-5,5;140,2;150,9\r");
        QTest::newRow("stats by status: files without a status named in Russian")
            << QStringList{QStringLiteral("stats"), QStringLiteral("DIR"), QStringLiteral("--by"),
                           QStringLiteral("status"), QStringLiteral("--excel")}
            << 3
            << QStringLiteral(
                   "без статуса;1;0;0;0;0;0;0;0;0;0;0;1;0,0%;1562,4;1562,4;1562,4;-5,5;-5,5;-5,5\r");
        QTest::newRow("export: the header in Russian")
            << QStringList{QStringLiteral("export"), QStringLiteral("FILE"), QStringLiteral("--excel")} << 0
            << QStringLiteral("время, с;ЭДС, мВ;температура, °C\r");
    }

    void excelCsvSuitsARussianSpreadsheet()
    {
        // The program's own bytes begin with a byte-order mark, which reading them as UTF-8 drops.
        QFETCH(QStringList, arguments);
        QFETCH(int, line);
        QFETCH(QString, expected);
        const CommandResult result =
            runProgram(withPaths(arguments), {QStringLiteral("LANG=ru_RU.UTF-8"), QStringLiteral("LC_ALL="),
                                              QStringLiteral("LC_MESSAGES=")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out.split(QLatin1Char('\n')).value(line), expected);
    }

    void libreOfficeCalcReadsTheFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");     // written to OUT/<row>.<suffix>
        QTest::addColumn<QString>("filter");            // how Calc opens it; empty for a spreadsheet file
        QTest::addColumn<QStringList>("expectedLines"); // the cells as Calc shows them, as CSV
        QTest::addColumn<bool>("measurements");         // rows of measurements, as find writes them
        const QString row2 =
            QStringLiteral("00731,26.01.2025 08:00:00,K1,1598.5,150.90,,13,0.329,8,ЕСТЬ ПЛ.,") +
            firstMeasurement;
        QTest::newRow("find.xlsx") << QStringList{QStringLiteral("find"),
                                                  QStringLiteral("DIR"),
                                                  QStringLiteral("--melt"),
                                                  QStringLiteral("00731"),
                                                  QStringLiteral("-o"),
                                                  QStringLiteral("OUT/calc-find.xlsx")}
                                   << QString() << QStringList{QString(), row2} << true;
        QTest::newRow("stats.xlsx")
            << QStringList{QStringLiteral("stats"), QStringLiteral("DIR"), QStringLiteral("-o"),
                           QStringLiteral("OUT/calc-stats.xlsx")}
            << QString()
            << QStringList{QString(),
                           QStringLiteral(
                               "K1,2,0,0,0,0,1,1,0,0,0,0,0,50.0%,1598.5,1599.25,1600,140.2,145.55,150.9")}
            << false;
        // A Russian desktop opens the CSV with ';' between the cells and Russian numbers: the numbers
        // then show as Calc writes numbers, the moments as dates, the melt numbers with their zeros.
        QTest::newRow("find --excel")
            << QStringList{QStringLiteral("find"),
                           QStringLiteral("DIR"),
                           QStringLiteral("--melt"),
                           QStringLiteral("0073"),
                           QStringLiteral("--excel"),
                           QStringLiteral("-o"),
                           QStringLiteral("OUT/calc-find.csv")}
            << QStringLiteral("CSV:59,34,76,1,,1049")
            << QStringList{QString(),
                           QStringLiteral("00732,2025-01-27 10:00:00,K2,1562.4,-5.5,3,11,0.2,,,"
                                          "steel_K2-2025_01_27-10_00_00.json"),
                           QStringLiteral("00731,2025-01-26 08:00:00,K1,1598.5,150.9,,13,0.329,8,ЕСТЬ ПЛ.,") +
                               firstMeasurement}
            << true;
    }

    void libreOfficeCalcReadsTheFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, filter);
        QFETCH(QStringList, expectedLines);
        QFETCH(bool, measurements);
        if (sofficeProgram().isEmpty())
            QSKIP("LibreOffice (soffice) is not installed: the files are not opened by Calc here");
        arguments = withPaths(arguments);
        const CommandResult result = runTool(arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QString shown =
            convertedByCalc(arguments.constLast(), filter, QStringLiteral("csv"), root.path());
        QVERIFY2(!shown.isEmpty(), "Calc opens the file");
        const QStringList lines = readText(shown).split(QLatin1Char('\n'));
        for (int i = 0; i < expectedLines.size(); ++i) {
            if (!expectedLines[i].isEmpty())
                QCOMPARE(lines.value(i), expectedLines[i]);
        }
        if (!measurements)
            return;
        // What Calc took each cell of the first measurement for: the melt a text, the moment a
        // date-time, the results numbers.
        const QString saved =
            convertedByCalc(arguments.constLast(), filter, QStringLiteral("xlsx"), root.path());
        QVERIFY2(!saved.isEmpty(), "Calc saves the file as a workbook");
        const QHash<QString, Cell> cells = Workbook(saved).cells(1);
        QCOMPARE(cells.value(QStringLiteral("A2")).kind, QStringLiteral("text"));
        QCOMPARE(cells.value(QStringLiteral("B2")).kind, QStringLiteral("number"));
        QVERIFY2(
            cells.value(QStringLiteral("B2")).format.contains(QLatin1String("hh:mm:ss"), Qt::CaseInsensitive),
            qPrintable(cells.value(QStringLiteral("B2")).format));
        QCOMPARE(cells.value(QStringLiteral("C2")).kind, QStringLiteral("text"));
        QCOMPARE(cells.value(QStringLiteral("D2")).kind, QStringLiteral("number"));
    }
};

QTEST_GUILESS_MAIN(SpreadsheetsTest)
#include "tst_spreadsheets.moc"
