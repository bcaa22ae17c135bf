// SPDX-License-Identifier: GPL-3.0-or-later
// steel-viewer [--follow] [FOLDER | FILE]: what the command line means, where the window starts, and
// the program's own answers on its standard streams.
#include "app/measurementselection.h"
#include "app/viewerarguments.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <memory>

class ViewerArgumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data();
    void parsing();
    void startPlaceAndWindow_data();
    void startPlaceAndWindow();
    void programAnswers_data();
    void programAnswers();
};

void ViewerArgumentsTest::parsing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("follow");
    QTest::addColumn<bool>("help");
    QTest::addColumn<bool>("usageError");

    QTest::newRow("none") << QStringList() << QString() << false << false << false;
    QTest::newRow("folder") << QStringList{QStringLiteral("/plant/archive")}
                            << QStringLiteral("/plant/archive") << false << false << false;
    QTest::newRow("follow before the folder")
        << QStringList{QStringLiteral("--follow"), QStringLiteral("arch")} << QStringLiteral("arch") << true
        << false << false;
    QTest::newRow("follow after the folder")
        << QStringList{QStringLiteral("arch"), QStringLiteral("--follow")} << QStringLiteral("arch") << true
        << false << false;
    QTest::newRow("a folder named like an option after --")
        << QStringList{QStringLiteral("--"), QStringLiteral("--follow")} << QStringLiteral("--follow")
        << false << false << false;
    QTest::newRow("short help") << QStringList{QStringLiteral("-h")} << QString() << false << true << false;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--folow")} << QString() << false << false
                                    << true;
    QTest::newRow("two paths") << QStringList{QStringLiteral("a"), QStringLiteral("b")} << QString() << false
                               << false << true;
    // Windows' own splitting makes the backslash before the closing quote escape it.
    QTest::newRow("a quoted folder ending in a backslash")
        << QStringList{QStringLiteral("D:\\plant data\\archive\"")}
#ifdef Q_OS_WIN
        << QStringLiteral("D:\\plant data\\archive\\")
#else
        << QStringLiteral("D:\\plant data\\archive\"")
#endif
        << false << false << false;
    QTest::newRow("a Cyrillic folder") << QStringList{QStringLiteral("/завод/архив")}
                                       << QStringLiteral("/завод/архив") << false << false << false;
}

void ViewerArgumentsTest::parsing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);
    QFETCH(bool, follow);
    QFETCH(bool, help);
    QFETCH(bool, usageError);

    const app::ViewerArguments parsed = app::parseViewerArguments(arguments);
    QCOMPARE(!parsed.usageError.isEmpty(), usageError);
    if (usageError)
        return;
    QCOMPARE(parsed.path, path);
    QCOMPARE(parsed.follow, follow);
    QCOMPARE(parsed.help, help);
}

void ViewerArgumentsTest::startPlaceAndWindow_data()
{
    // The path given, relative to a working folder whose archive/ holds three measurements.
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("folder"); // relative to the working folder
    QTest::addColumn<QString>("melt");   // the melt on show afterwards; empty: the panel's empty texts
    QTest::addColumn<bool>("problem");   // the path is neither a folder nor a measurement file
    QTest::addColumn<bool>("marked");    // the path field says what is wrong

    QTest::newRow("nothing given") << QString() << QStringLiteral("archive") << QStringLiteral("newest")
                                   << false << false;
    QTest::newRow("the folder") << QStringLiteral("archive") << QStringLiteral("archive")
                                << QStringLiteral("newest") << false << false;
    QTest::newRow("the newest file") << QStringLiteral("archive/steel_K1-2024_05_02-08_00_00.json")
                                     << QStringLiteral("archive") << QStringLiteral("newest") << false
                                     << false;
    QTest::newRow("an older file of another technology and month")
        << QStringLiteral("archive/steel_DSP-2023_11_29-23_59_59.json") << QStringLiteral("archive")
        << QStringLiteral("older") << false << false;
    QTest::newRow("an older file of a Cyrillic technology and another month")
        << QStringLiteral("archive/steel_ДСП-2023_11_30-23_59_59.json") << QStringLiteral("archive")
        << QStringLiteral("oldest") << false << false;
    QTest::newRow("an older file of the same day")
        << QStringLiteral("archive/steel_K1-2024_05_02-07_00_00.json") << QStringLiteral("archive")
        << QStringLiteral("earlier") << false << false;
    // Listed under its technology, but no month leads to it: said, and no other melt in its place.
    QTest::newRow("a file the lists cannot lead to")
        << QStringLiteral("archive/steel_K1-2024_02_30-10_00_00.json") << QStringLiteral("archive")
        << QString() << false << true;
    QTest::newRow("a missing folder")
        << QStringLiteral("gone") << QStringLiteral("gone") << QString() << true << true;
    QTest::newRow("a file that is not a measurement")
        << QStringLiteral("notes.txt") << QStringLiteral("notes.txt") << QString() << true << true;
}

void ViewerArgumentsTest::startPlaceAndWindow()
{
    QFETCH(QString, given);
    QFETCH(QString, folder);
    QFETCH(QString, melt);
    QFETCH(bool, problem);
    QFETCH(bool, marked);

    fixture::WorkingFolder place;
    QVERIFY(place.addFile(QStringLiteral("steel_K1-2024_05_02-08_00_00.json"),
                          fixture::line(fixture::measurement(QStringLiteral("newest"))), fixture::at(30)));
    QVERIFY(place.addFile(QStringLiteral("steel_K1-2024_05_02-07_00_00.json"),
                          fixture::line(fixture::measurement(QStringLiteral("earlier"))), fixture::at(20)));
    QVERIFY(place.addFile(QStringLiteral("steel_ДСП-2023_11_30-23_59_59.json"),
                          fixture::line(fixture::measurement(QStringLiteral("oldest"))), fixture::at(10)));
    QVERIFY(place.addFile(QStringLiteral("steel_DSP-2023_11_29-23_59_59.json"),
                          fixture::line(fixture::measurement(QStringLiteral("older"))), fixture::at(8)));
    QVERIFY(place.addFile(QStringLiteral("steel_K1-2024_02_30-10_00_00.json"),
                          fixture::line(fixture::measurement(QStringLiteral("no day"))), fixture::at(5)));
    QVERIFY(place.addFileIn(place.path(), QStringLiteral("notes.txt"), "notes\n", fixture::at(0)));
    QVERIFY(QDir::setCurrent(place.path()));

    const app::StartPlace start = app::startPlace(given);
    QCOMPARE(QDir(place.path()).relativeFilePath(QDir(start.folder).absolutePath()), folder);
    QCOMPARE(!start.problem.isEmpty(), problem);

    MainWindow window(start.folder);
    if (!start.fileName.isEmpty())
        QCOMPARE(app::selectGivenMeasurement(&window, start.fileName), !melt.isEmpty());
    const QString shown = fixture::label(&window, "nameSteelSmelt")->text();
    QCOMPARE(shown, melt.isEmpty() ? fixture::emptyValues().first() : melt);
    // A path that leads nowhere, or to a file the lists cannot choose, is said in the window too.
    const QString said = fixture::pathField(&window)->toolTip();
    QCOMPARE(!said.isEmpty(), marked);
    if (marked && !problem)
        QVERIFY2(said.contains(start.fileName), qPrintable(said));
}

void ViewerArgumentsTest::programAnswers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("standardOutput"); // a text the output begins with
    QTest::addColumn<QString>("standardError");  // a text the error output holds

    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0
                            << QStringLiteral("Usage: steel-viewer [options] [FOLDER | FILE]") << QString();
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0
                               << QStringLiteral("steel-viewer ") << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << 2 << QString()
                                    << QStringLiteral("steel-viewer: unknown option --bogus");
    // The window opens all the same (here it answers the image check and ends): exit status 0.
    QTest::newRow("missing folder") << QStringList{QStringLiteral("no-such-folder")} << 0 << QString()
                                    << QStringLiteral("steel-viewer: no-such-folder does not exist");
}

void ViewerArgumentsTest::programAnswers()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, standardOutput);
    QFETCH(QString, standardError);

    QTemporaryDir working;
    QProcess viewer;
    viewer.setWorkingDirectory(working.path());
    // The install check's question ends the program once the window is made, without a screen.
    viewer.start(qEnvironmentVariable("STEEL_VIEWER"),
                 QStringList{QStringLiteral("--report-images")} + arguments);
    QVERIFY2(viewer.waitForFinished(60000), qPrintable(viewer.errorString()));
    const QString out = QString::fromUtf8(viewer.readAllStandardOutput());
    const QString err = QString::fromUtf8(viewer.readAllStandardError());
    QCOMPARE(viewer.exitStatus(), QProcess::NormalExit);
    if (!standardOutput.isEmpty()) {
        QVERIFY2(out.startsWith(standardOutput), qPrintable(out));
        QCOMPARE(viewer.exitCode(), exitCode);
    } else {
        QVERIFY2(err.contains(standardError), qPrintable(err));
        // The image check's own status says whether the images were found; only a usage error ends
        // the program before it, with 2.
        if (exitCode == 2)
            QCOMPARE(viewer.exitCode(), 2);
        else
            QVERIFY(viewer.exitCode() != 2);
    }
}

QTEST_MAIN(ViewerArgumentsTest)
#include "tst_viewerarguments.moc"
