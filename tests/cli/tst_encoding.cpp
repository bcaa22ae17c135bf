// SPDX-License-Identifier: GPL-3.0-or-later
// --encoding: standard output into a file or a pipe in one of the system's code pages, for cmd's
// type and more. Runs with a Russian locale, which under Wine gives the code pages of a Russian
// Windows (OEM 866, ANSI 1251); a system without code pages refuses them.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include "platform/console.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

using namespace support;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out; // the bytes as a file would hold them
    QString err;
};

// `english`: the program's own texts in English (the code pages stay those of the test's locale).
Run run(const QStringList &arguments, bool english = false)
{
    QProcess process;
    if (english) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(environment);
    }
    process.start(steelArchiveProgram(), arguments);
    Run result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// A measurement of the melt `number`. A file is read in the system's 8-bit encoding unless it begins
// with a byte-order mark: this one has the mark, so that its letters are read as written everywhere.
QByteArray melt(const QByteArray &number)
{
    return "\xef\xbb\xbf" + measurementDocument(ramp(160, 0.5, 1.25), ramp(160, 400.0, 7.5),
                                                goodResults("8").replace("41521", number));
}

} // namespace

class EncodingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir root;
    QString archive;
    QString file;

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archive = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(archive));
        // Cyrillic of the archive's own: the status verdicts, and a melt number in Russian letters.
        writeFile(archive, QStringLiteral("steel_K1-2024_11_05-08_00_00.json"), melt("41521"));
        file = writeFile(archive, QStringLiteral("steel_K2-2024_11_06-09_30_00.json"), melt("Ж-17"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("encoding");
        for (const char *encoding : {"utf-8", "oem", "ansi"}) {
            QTest::addRow("find, %s", encoding) << QStringList{QStringLiteral("find"), archive} << encoding;
            QTest::addRow("show, %s", encoding) << QStringList{QStringLiteral("show"), file} << encoding;
            QTest::addRow("ls, %s", encoding) << QStringList{QStringLiteral("ls"), archive} << encoding;
        }
    }

    // Decoded with the code page, the output is exactly the UTF-8 output: no character lost, none
    // replaced by "?" or a look-alike.
    void roundTrip()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, encoding);
        QByteArray codecName = "UTF-8";
        if (encoding != QLatin1String("utf-8")) {
            const unsigned number = platform::codePageNumber(
                encoding == QLatin1String("oem") ? platform::CodePage::oem : platform::CodePage::ansi);
            if (number == 0)
                QSKIP("this system has no code pages");
            codecName = "CP" + QByteArray::number(number);
        }
        QTextCodec *codec = QTextCodec::codecForName(codecName);
        QVERIFY2(codec, codecName.constData());

        const Run utf8 = run(command);
        const Run encoded = run(command + QStringList{QStringLiteral("--encoding"), encoding});

        QCOMPARE(utf8.exitCode, 0);
        QCOMPARE(encoded.exitCode, 0);
        QVERIFY2(encoded.err.isEmpty(), qPrintable(encoded.err));
        QVERIFY(QString::fromUtf8(utf8.out).contains(QStringLiteral("ЕСТЬ ПЛ.")) ||
                command.constFirst() == QLatin1String("ls"));
        QCOMPARE(codec->toUnicode(encoded.out), QString::fromUtf8(utf8.out));
        QCOMPARE(encoded.out.count('?'), utf8.out.count('?'));
    }

    void aCharacterTheCodePageLacksIsAnError_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("oem") << QStringLiteral("oem");
        QTest::newRow("ansi") << QStringLiteral("ansi");
    }

    // "Ә" (Kazakh) is in neither Russian code page. The lines before it are written, the line that
    // holds it and everything after are not, and the command fails naming the character.
    void aCharacterTheCodePageLacksIsAnError()
    {
        QFETCH(QString, encoding);
        const platform::CodePage page =
            encoding == QLatin1String("oem") ? platform::CodePage::oem : platform::CodePage::ansi;
        if (platform::codePageNumber(page) == 0)
            QSKIP("this system has no code pages");
        QTemporaryDir dir;
        writeFile(dir.path(), QStringLiteral("steel_K1-2024_11_05-08_00_00.json"), melt("Ә-3"));
        writeFile(dir.path(), QStringLiteral("steel_K1-2024_11_05-09_00_00.json"), melt("Ж-4"));
        writeFile(dir.path(), QStringLiteral("steel_K1-2024_11_05-07_00_00.json"), melt("Ж-2"));

        const Run result = run({QStringLiteral("find"), dir.path(), QStringLiteral("--encoding"), encoding});

        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(QStringLiteral("U+04d8")) &&
                     result.err.contains(QString::number(platform::codePageNumber(page))),
                 qPrintable(result.err));
        QTextCodec *codec =
            QTextCodec::codecForName("CP" + QByteArray::number(platform::codePageNumber(page)));
        QVERIFY(codec);
        const QStringList lines = codec->toUnicode(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1); // newest first: Ж-4, then the line of Ә-3, which stops the output
        QVERIFY2(lines.constFirst().contains(QStringLiteral("Ж-4")), qPrintable(lines.constFirst()));
        QVERIFY(!result.out.contains('?'));
    }

    void refusedOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("onlyWithoutCodePages");
        const QString find = QStringLiteral("find");
        QTest::newRow("an unknown encoding")
            << QStringList{find, archive, QStringLiteral("--encoding"), QStringLiteral("koi8-r")}
            << QStringLiteral("\"koi8-r\"") << false;
        QTest::newRow("no value") << QStringList{find, archive, QStringLiteral("--encoding")}
                                  << QStringLiteral("needs a value") << false;
        QTest::newRow("given twice") << QStringList{QStringLiteral("--encoding"), QStringLiteral("oem"), find,
                                                    archive, QStringLiteral("--encoding=ansi")}
                                     << QStringLiteral("more than once") << false;
        QTest::newRow("a code page where there are none")
            << QStringList{find, archive, QStringLiteral("--encoding"), QStringLiteral("oem")}
            << QStringLiteral("no code pages") << true;
    }

    void refusedOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QFETCH(bool, onlyWithoutCodePages);
        if (onlyWithoutCodePages && platform::codePageNumber(platform::CodePage::oem) != 0)
            QSKIP("this system has code pages");
        const Run result = run(arguments, true);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.contains(said) && result.err.count(QLatin1Char('\n')) == 1,
                 qPrintable(result.err));
    }

    // Given before the command, the option still leaves a drawing command its QApplication.
    void theOptionMayComeBeforeTheCommand()
    {
        const QString picture = root.filePath(QStringLiteral("plot.png"));
        const Run result = run({QStringLiteral("--encoding=utf-8"), QStringLiteral("render"), file,
                                QStringLiteral("-o"), picture});
        QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        QVERIFY(QFileInfo(picture).size() > 0);
    }

    // Where there are code pages, the tool's help says how to read UTF-8 and how to choose another.
    void helpSaysHowToReadRedirectedOutput()
    {
        if (platform::codePageNumber(platform::CodePage::oem) == 0)
            QSKIP("this system has no code pages");
        const QString help = QString::fromUtf8(run({QStringLiteral("--help")}).out);
        QVERIFY2(help.contains(QStringLiteral("chcp 65001")) && help.contains(QStringLiteral("PowerShell")) &&
                     help.contains(QStringLiteral("--encoding")),
                 qPrintable(help));
    }
};

QTEST_GUILESS_MAIN(EncodingTest)
#include "tst_encoding.moc"
