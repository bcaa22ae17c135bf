// SPDX-License-Identifier: GPL-3.0-or-later
// Paths in steel-archive's messages are written as the system writes them (backslashes on Windows),
// however they were typed or Qt made them; --json writes them with "/" on every system.
#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace support;

class ShownPathsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir root;
    QString archive;
    QString file;
    QString notMeasurement;

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        archive = root.filePath(QStringLiteral("plant/archive"));
        QVERIFY(QDir().mkpath(archive));
        file = writeFile(archive, QStringLiteral("steel_K1-2024_11_05-08_00_00.json"), goodMeasurement());
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("notes"))));
        notMeasurement = writeFile(root.filePath(QStringLiteral("notes")), QStringLiteral("x.json"),
                                   "not a measurement\n");
    }

    void messagesUseTheSystemsSeparators_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("shown"); // the path the message names, as Qt writes it
        const QString missing = root.filePath(QStringLiteral("no/such/folder"));
        QTest::newRow("ls of a missing folder") << QStringList{QStringLiteral("ls"), missing} << missing;
        QTest::newRow("a subfolder holding the archive")
            << QStringList{QStringLiteral("ls"), root.filePath(QStringLiteral("plant"))} << archive;
        QTest::newRow("show of a file that is no measurement")
            << QStringList{QStringLiteral("show"), notMeasurement} << notMeasurement;
        QTest::newRow("export into a missing folder")
            << QStringList{QStringLiteral("export"), file, QStringLiteral("-o"),
                           root.filePath(QStringLiteral("nodir/out.csv"))}
            << root.filePath(QStringLiteral("nodir"));
        QTest::newRow("export into the archive folder being read")
            << QStringList{QStringLiteral("export"), file, QStringLiteral("-o"),
                           archive + QStringLiteral("/out.csv")}
            << archive;
        QTest::newRow("demo into a file")
            << QStringList{QStringLiteral("demo"), notMeasurement} << notMeasurement;
    }

    void messagesUseTheSystemsSeparators()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, shown);
        const CommandResult result = runTool(arguments);
        QVERIFY(result.exitCode != 0);
        QVERIFY2(result.err.contains(QDir::toNativeSeparators(shown)), qPrintable(result.err));
        // Never both kinds in one line ("C:\plant\archive/steel_…"): "/" only where the system uses it.
        QCOMPARE(result.err.contains(QLatin1Char('/')), QDir::separator() == QLatin1Char('/'));
    }

    void jsonKeepsSlashes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("path");
        QTest::newRow("ls --json") << QStringList{QStringLiteral("ls"), QDir::toNativeSeparators(archive),
                                                  QStringLiteral("--json")}
                                   << QStringLiteral("directory") << archive;
        QTest::newRow("show --json") << QStringList{QStringLiteral("show"), QDir::toNativeSeparators(file),
                                                    QStringLiteral("--json")}
                                     << QStringLiteral("file") << file;
    }

    // Typed with the system's separators, the path comes out with "/" in JSON on every system.
    void jsonKeepsSlashes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, key);
        QFETCH(QString, path);
        const CommandResult result = runTool(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(result.out.toUtf8()).object().value(key).toString(), path);
    }
};

QTEST_GUILESS_MAIN(ShownPathsTest)
#include "tst_shownpaths.moc"
