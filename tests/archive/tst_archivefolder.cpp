// SPDX-License-Identifier: GPL-3.0-or-later
// The one rule of whether a folder can be listed, which the command line's reasons and the viewer's
// marks both follow.
#include "archive/archivefolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using archive::FolderProblem;

Q_DECLARE_METATYPE(archive::FolderProblem)

class ArchiveFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void aFolderIsJudgedOnce_data()
    {
        QTest::addColumn<QString>("made");            // what stands at the path
        QTest::addColumn<FolderProblem>("listing");   // whether it can be listed
        QTest::addColumn<FolderProblem>("emptiness"); // for one that lists no measurement
        QTest::newRow("nothing") << "" << FolderProblem::missing << FolderProblem::empty;
        QTest::newRow("a file") << "file" << FolderProblem::notAFolder << FolderProblem::empty;
        QTest::newRow("an empty folder") << "folder" << FolderProblem::none << FolderProblem::empty;
        QTest::newRow("a folder of other files")
            << "folder/notes.txt" << FolderProblem::none << FolderProblem::noMeasurements;
        QTest::newRow("a folder of a hidden file")
            << "folder/.hidden" << FolderProblem::none << FolderProblem::noMeasurements;
        QTest::newRow("a folder of a subfolder")
            << "folder/sub/" << FolderProblem::none << FolderProblem::noMeasurements;
    }

    void aFolderIsJudgedOnce()
    {
        QFETCH(QString, made);
        QFETCH(FolderProblem, listing);
        QFETCH(FolderProblem, emptiness);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString path = root.filePath(QStringLiteral("place"));
        if (made == QLatin1String("file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (made.startsWith(QLatin1String("folder"))) {
            QVERIFY(QDir().mkpath(path));
            const QString entry = made.section(QLatin1Char('/'), 1);
            if (entry.endsWith(QLatin1Char('/')))
                QVERIFY(QDir(path).mkdir(entry));
            else if (!entry.isEmpty())
                QVERIFY(QFile(QDir(path).filePath(entry)).open(QIODevice::WriteOnly));
        }
        QCOMPARE(archive::folderProblem(path), listing);
        // The command line's reason says the same: none exactly where the folder can be listed.
        QCOMPARE(archive::unlistableFolderReason(path).isEmpty(), listing == FolderProblem::none);
        if (listing == FolderProblem::none)
            QCOMPARE(archive::emptinessOf(path), emptiness);
    }

    void theEmptyPathIsTheWorkingDirectory()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.path()));
        const FolderProblem listing = archive::folderProblem(QString());
        const FolderProblem emptiness = archive::emptinessOf(QString());
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(listing, FolderProblem::none);
        QCOMPARE(emptiness, FolderProblem::empty);
    }
};

QTEST_APPLESS_MAIN(ArchiveFolderTest)
#include "tst_archivefolder.moc"
