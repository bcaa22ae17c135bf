// SPDX-License-Identifier: GPL-3.0-or-later
// export and render: every sample written so that it reads back exactly, CSV as spreadsheets take it,
// files written whole or not at all, and no output over the input or anything the viewer lists.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "measurement/measurementfile.h"
#include "statistics/archivestatistics.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace support;

namespace {

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool makeHardLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    return ::CreateHardLinkW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(link).utf16()),
                             reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()),
                             nullptr);
#else
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
#endif
}

} // namespace

class ExportAndRenderTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString searchDir;

    // Where outputs go: never the folder of the measurement read, which is an archive.
    QString outputFolder()
    {
        const QString path = root.filePath(QStringLiteral("outputs"));
        QDir().mkpath(path);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        searchDir = freshFolder(root, QStringLiteral("search"));
        writeSearchArchive(searchDir);
    }

    // ---- export

    void exportWritesEverySampleSoItReadsBackExactly()
    {
        QStringList emf = ramp(100, 0.1, 0.1);
        emf[1] = QStringLiteral("1603.4000000000001");
        emf[2] = QStringLiteral("-0");
        emf[3] = QStringLiteral("1e-300");
        emf[4] = QStringLiteral("nan");
        emf[5] = QStringLiteral("abc"); // not a number: the viewer draws 0
        emf[6] = QStringLiteral("32767");
        emf[7] = QStringLiteral("0.30000000000000004");
        const QByteArray bytes = measurementDocument(emf, ramp(160, 1500.05, 0.7), goodResults());
        const QString path =
            writeFile(freshFolder(root, QStringLiteral("export")), QStringLiteral("m.json"), bytes);
        const measurement::Measurement m = measurement::parseMeasurement(bytes);

        const CommandResult result = runTool({QStringLiteral("export"), path});

        QCOMPARE(result.exitCode, 0);
        const QStringList lines = result.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 162); // header, 160 rows, and the empty text after the last line break
        QCOMPARE(lines.first(), QStringLiteral("time_s,emf_mV,temperature_C"));
        QCOMPARE(lines.last(), QString());
        for (int i = 0; i < 160; ++i) {
            const QStringList cells = lines[i + 1].split(QLatin1Char(','));
            QCOMPARE(cells.size(), 3);
            QCOMPARE(cells[0], QStringLiteral("%1.%2").arg(i / 10).arg(i % 10));
            const QVector<double> *curves[] = {&m.emf, &m.temperature};
            for (int c = 0; c < 2; ++c) {
                const double expected = curves[c]->at(i);
                if (std::isnan(expected)) {
                    QVERIFY2(cells[c + 1].isEmpty(), qPrintable(lines[i + 1]));
                    continue;
                }
                bool ok = false;
                const double written = cells[c + 1].toDouble(&ok);
                QVERIFY2(ok && sameDouble(written, expected), qPrintable(lines[i + 1]));
            }
        }
    }

    void csvSuitsSpreadsheets_data()
    {
        QTest::addColumn<QStringList>("arguments"); // FILE: an ordinary measurement; DIR: the search archive
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        const QStringList export_{QStringLiteral("export"), QStringLiteral("FILE")};
        const QStringList russian{QStringLiteral("--delimiter"), QStringLiteral(";"),
                                  QStringLiteral("--decimal-comma")};
        const QStringList find{QStringLiteral("find"), QStringLiteral("DIR"), QStringLiteral("--csv"),
                               QStringLiteral("--melt")};
        QTest::newRow("export") << export_ << 2 << QStringLiteral("0.1,1.75,407.5");
        QTest::newRow("export to standard output")
            << export_ + QStringList{QStringLiteral("-o"), QStringLiteral("-")} << 2
            << QStringLiteral("0.1,1.75,407.5");
        QTest::newRow("export for a Russian spreadsheet")
            << export_ + russian << 2 << QStringLiteral("0,1;1,75;407,5");
        QTest::newRow("find, header")
            << find + QStringList{QStringLiteral("101")} << 0
            << QStringLiteral(
                   "melt,moment,technology,temperature_C,emf_mV,oxidation_ppm,aluminium_kg,carbon_pct,"
                   "status_code,status,file");
        QTest::newRow("find, no-value marks empty")
            << find + QStringList{QStringLiteral("101")} << 1
            << QStringLiteral("a-101,2024-01-11 09:00:00,K1,,,,,,10,") + measurement::statusText(10) +
                   QStringLiteral(",steel_K1-2024_01_11-09_00_00.json");
        QTest::newRow("find for a Russian spreadsheet")
            << find + QStringList{QStringLiteral("B-200")} + russian << 1
            << QStringLiteral("B-200;2024-01-12 10:00:00;k1;1650,5;-20;;;;7;") + measurement::statusText(7) +
                   QStringLiteral(";steel_k1-2024_01_12-10_00_00.json");
        // --excel: what a spreadsheet on a Russian desktop opens right by double-click.
        const QStringList excel{QStringLiteral("--excel")};
        QTest::newRow("export --excel: byte-order mark, CRLF")
            << export_ + excel << 0 << QStringLiteral("\uFEFFtime_s;emf_mV;temperature_C\r");
        QTest::newRow("export --excel: numbers")
            << export_ + excel << 2 << QStringLiteral("0,1;1,75;407,5\r");
        const QStringList findOdd{QStringLiteral("find"), QStringLiteral("ODD"), QStringLiteral("--csv"),
                                  QStringLiteral("--melt")};
        const QString ok = measurement::statusText(8);
        const QString oddName = QStringLiteral("steel_K1-2024_03_01-10_00_00.json");
        QTest::newRow("find: texts that look like formulas show as text")
            << findOdd + QStringList{QStringLiteral("=1+2")} << 1
            << QStringLiteral("\"'=1+2\",2024-03-01 10:00:00,K1,-12.5,\"'@x\",,,,8,") + ok +
                   QLatin1Char(',') + oddName;
        QTest::newRow("find --excel: formula-like texts and negative numbers")
            << findOdd + QStringList{QStringLiteral("=1+2"), QStringLiteral("--excel")} << 1
            << QStringLiteral("\"'=1+2\";2024-03-01 10:00:00;K1;-12,5;\"'@x\";;;;8;") + ok +
                   QLatin1Char(';') + oddName + QLatin1Char('\r');
        QTest::newRow("find: a melt that is a number stays one")
            << findOdd + QStringList{QStringLiteral("-7")} << 1
            << QStringLiteral("-7,2024-03-01 11:00:00,K1,1600.5,150,,,,3,") + measurement::statusText(3) +
                   QStringLiteral(",steel_K1-2024_03_01-11_00_00.json");
        const QStringList stats{QStringLiteral("stats"), QStringLiteral("ODD"), QStringLiteral("--csv")};
        QTest::newRow("stats --csv") << stats << 1
                                     << QStringLiteral(
                                            "K1,2,1,0,0,0,0,1,0,0,0,0,0,0.5,-12.5,794,1600.5,150,150,150");
        QTest::newRow("stats --csv for a Russian spreadsheet")
            << stats + russian << 1
            << QStringLiteral("K1;2;1;0;0;0;0;1;0;0;0;0;0;0,5;-12,5;794;1600,5;150;150;150");
        QTest::newRow("find --excel asks for CSV by itself")
            << QStringList{QStringLiteral("find"), QStringLiteral("ODD"), QStringLiteral("--melt"),
                           QStringLiteral("-7"), QStringLiteral("--excel")}
            << 0
            << QStringLiteral("\uFEFFmelt;moment;technology;temperature_C;emf_mV;oxidation_ppm;aluminium_kg;"
                              "carbon_pct;status_code;status;file\r");
        QTest::newRow("stats --excel: byte-order mark, CRLF")
            << QStringList{QStringLiteral("stats"), QStringLiteral("ODD")} + excel << 0
            << QStringLiteral("\uFEFFtechnology;measurements;") +
                   statistics::statusColumns().join(QLatin1Char(';')) +
                   QStringLiteral(";ok_share;temp_min;temp_median;temp_max;emf_min;emf_median;emf_max\r");
    }

    void csvSuitsSpreadsheets()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, line);
        QFETCH(QString, expected);
        const QString file =
            writeFile(freshFolder(root, QStringLiteral("csv")), QStringLiteral("m.json"), goodMeasurement());
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DIR$")), searchDir);
        const QString odd = freshFolder(root, QStringLiteral("csv-odd"));
        writeFile(
            odd, QStringLiteral("steel_K1-2024_03_01-10_00_00.json"),
            measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5),
                                "\"Smelt\":\"=1+2\",\"Temp\":\"-12.5\",\"Eds\":\"@x\",\"Status\":\"8\""));
        writeFile(
            odd, QStringLiteral("steel_K1-2024_03_01-11_00_00.json"),
            measurementDocument(ramp(160, 0, 1), ramp(160, 500, 5),
                                "\"Smelt\":\"-7\",\"Temp\":\"1600.5\",\"Eds\":\"150\",\"Status\":\"3\""));
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^ODD$")), odd);
        const CommandResult result = runTool(arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QCOMPARE(result.out.split(QLatin1Char('\n')).value(line), expected);
    }

    void exportToAFileIsAllOrNothing()
    {
        const QString dir = freshFolder(root, QStringLiteral("export-file"));
        const QString path = writeFile(dir, QStringLiteral("m.json"), goodMeasurement());
        const QString output = writeFile(outputFolder(), QStringLiteral("curves.csv"), "earlier export\n");
        const auto outputContent = [&output] {
            QFile file(output);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        // A failed read leaves an earlier export alone.
        const QString missing = dir + QStringLiteral("/missing.json");
        QCOMPARE(runTool({QStringLiteral("export"), missing, QStringLiteral("-o"), output}).exitCode, 2);
        QCOMPARE(outputContent(), QStringLiteral("earlier export\n"));
        // A good one replaces it with what standard output would get.
        const CommandResult toFile = runTool({QStringLiteral("export"), path, QStringLiteral("-o"), output});
        QCOMPARE(toFile.exitCode, 0);
        QCOMPARE(toFile.out, QString());
        QCOMPARE(outputContent(), runTool({QStringLiteral("export"), path}).out);
        // An output that cannot be written is named in the error.
        const QString nowhere = dir + QStringLiteral("/no-such-folder/curves.csv");
        const CommandResult unwritable =
            runTool({QStringLiteral("export"), path, QStringLiteral("-o"), nowhere});
        QCOMPARE(unwritable.exitCode, 2);
        QVERIFY2(unwritable.err.contains(QDir::toNativeSeparators(nowhere)), qPrintable(unwritable.err));
    }

    // ---- render

    void renderDrawsBothCurvesIntoAPngOfTheRequestedSize()
    {
        const QString dir = freshFolder(root, QStringLiteral("render"));
        const QString path =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), goodMeasurement());
        const QString output = outputFolder() + QStringLiteral("/plot.png");
        // No platform given: the program must choose one that needs no screen.
        const CommandResult result =
            runProgram({QStringLiteral("render"), path, QStringLiteral("-o"), output,
                        QStringLiteral("--size"), QStringLiteral("640x360")},
                       {QStringLiteral("QT_QPA_PLATFORM="), QStringLiteral("DISPLAY="),
                        QStringLiteral("WAYLAND_DISPLAY=")});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        const QImage image(output);
        QCOMPARE(image.size(), QSize(640, 360));
        int temperaturePixels = 0, emfPixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                temperaturePixels += pixel == qRgb(232, 76, 61) ? 1 : 0;
                emfPixels += pixel == qRgb(43, 62, 76) ? 1 : 0;
            }
        }
        QVERIFY2(temperaturePixels > 200, qPrintable(QString::number(temperaturePixels)));
        QVERIFY2(emfPixels > 200, qPrintable(QString::number(emfPixels)));
    }

    void renderWritesAOnePagePdf()
    {
        const QString dir = freshFolder(root, QStringLiteral("render-pdf"));
        const QString path =
            writeFile(dir, QStringLiteral("steel_K1-2019_03_07-14_05_09.json"), goodMeasurement());
        const QString output = outputFolder() + QStringLiteral("/plot.pdf");
        const CommandResult result =
            runProgram({QStringLiteral("render"), path, QStringLiteral("-o"), output});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(QString::fromLatin1(pdf.constData(), pdf.size())
                     .count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))),
                 1);
    }

    void outputCommandsRejectBadRequests_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("mentioned");
        const QString render = QStringLiteral("render");
        const auto output = [](const char *name) {
            return QStringList{QStringLiteral("-o"), QString::fromUtf8(name)};
        };
        QTest::newRow("no output") << render << QStringList{} << QStringLiteral("-o");
        // Run in the input's folder, where nothing may be written: good outputs go to a folder beside it.
        QTest::newRow("unknown format")
            << render << output("../outputs/plot.jpg") << QStringLiteral("plot.jpg");
        for (const char *size : {"0x100", "640", "640x", "99999x100", "640x360x2", "axb", "-640x360"})
            QTest::addRow("size %s", size)
                << render
                << output("../outputs/plot.png") +
                       QStringList{QStringLiteral("--size"), QString::fromLatin1(size)}
                << QString::fromLatin1(size);
        // Standard output takes a picture now (a pipe is a fine place for one); a name and an option
        // that ask for two formats do not.
        QTest::newRow("render a PNG under a PDF's name")
            << render << output("../outputs/plot.pdf") + QStringList{QStringLiteral("--png")}
            << QStringLiteral("must end in .png");
        // The input itself, however spelled, and any name the viewer would list beside it.
        for (const char *command : {"export", "render"}) {
            const QString name = QString::fromLatin1(command);
            QTest::addRow("%s over the input", command)
                << name << output("steel_K1-2019_03_07-14_05_09.json") << QStringLiteral("being read");
            QTest::addRow("%s over the input, spelled otherwise", command)
                << name << output("./sub/../steel_K1-2019_03_07-14_05_09.json")
                << QStringLiteral("being read");
#ifndef Q_OS_WIN // Windows: QFile::link makes a shell shortcut, not a link the file system follows
            QTest::addRow("%s through a symbolic link", command)
                << name << output("link.png") << QStringLiteral("symbolic link to");
#endif
            QTest::addRow("%s through a hard link", command)
                << name << output("hard.png") << QStringLiteral("being read");
            QTest::addRow("%s to an archive name beside the input", command)
                << name << output("STEEL_K2-2020_01_01-00_00_00.JSON")
                << QStringLiteral("named like an archive file");
            QTest::addRow("%s to an archive name through another spelling of the folder", command)
                << name << output("sub/../steel_K1-2019_03_07-14_05_10.json")
                << QStringLiteral("named like an archive file");
        }
        QTest::newRow("decimal comma with the comma delimiter")
            << QStringLiteral("export") << QStringList{QStringLiteral("--decimal-comma")}
            << QStringLiteral("--delimiter");
        QTest::newRow("--excel with another delimiter")
            << QStringLiteral("export")
            << QStringList{QStringLiteral("--excel"), QStringLiteral("--delimiter"), QStringLiteral("|")}
            << QStringLiteral("--excel");
        QTest::newRow("delimiter that is part of numbers")
            << QStringLiteral("export") << QStringList{QStringLiteral("--delimiter"), QStringLiteral(".")}
            << QStringLiteral("--delimiter \".\"");
    }

    void outputCommandsRejectBadRequests()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, options);
        QFETCH(QString, mentioned);
        const QString dir = freshFolder(root, QStringLiteral("output-bad"));
        outputFolder();
        const QString input = QStringLiteral("steel_K1-2019_03_07-14_05_09.json");
        const QString path = writeFile(dir, input, goodMeasurement());
        QVERIFY(QDir(dir).mkdir(QStringLiteral("sub")));
#ifndef Q_OS_WIN // as above: a shortcut there
        QVERIFY(QFile::link(path, dir + QStringLiteral("/link.png")));
#endif
        QVERIFY(makeHardLink(path, dir + QStringLiteral("/hard.png")));
        const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir);
        // render runs as the real program: it needs its own QApplication.
        const QStringList arguments = QStringList{command, path} + options;
        const CommandResult result =
            command == QLatin1String("render") ? runProgram(arguments) : runTool(arguments);
        QDir::setCurrent(previous);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(result.err.contains(mentioned), qPrintable(result.err));
        QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), goodMeasurement());
    }
};

QTEST_GUILESS_MAIN(ExportAndRenderTest)
#include "tst_exportandrender.moc"
