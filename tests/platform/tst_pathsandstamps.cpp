// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/filesystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// The room's promises where the systems differ most: the folder and file names an archive may have
// (spaces, Cyrillic, names the Windows path rules would bend), the ways a path may be written (slashes
// or backslashes, relative), the instant of a stamp (past 2038 included), and a reader
// that never holds the plant's own writer up. The same cases run on Linux and, under Wine, on Windows.
class PathsAndStampsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;

    QString makeFile(const QString &folderName, const QString &fileName, const QByteArray &content)
    {
        const QString folder = root.filePath(folderName);
        if (!QDir().mkpath(folder))
            return QString();
        QFile file(folder + QLatin1Char('/') + fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        file.close();
        return file.fileName();
    }

    static QByteArray readAll(platform::ReadOnlyFile &file)
    {
        QByteArray all;
        char buffer[7]; // small, so that a file takes several reads
        qint64 got;
        while ((got = file.read(buffer, sizeof buffer)) > 0)
            all.append(buffer, int(got));
        return got < 0 ? QByteArray("<read error>") : all;
    }

private slots:
    void initTestCase() { QVERIFY(root.isValid()); }

    void namesAndSpellings_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("spelling");

        const QString measurement = QStringLiteral("steel_K1-2019_03_07-14_05_09.json");
        QTest::newRow("plain") << "plain" << measurement << "absolute";
        QTest::newRow("spaces") << "plant archive 2019" << measurement << "absolute";
        QTest::newRow("Cyrillic folder and technology")
            << QStringLiteral("Архив цеха") << QStringLiteral("steel_ДСП-2019_03_07-14_05_09.json")
            << "absolute";
        QTest::newRow("relative") << "relative" << measurement << "relative";
        QTest::newRow("dot-dot") << "dotdot" << measurement << "dotdot";
        QTest::newRow("native separators") << QStringLiteral("native сепаратор") << measurement << "native";
        QTest::newRow("long path") << QString(40, QLatin1Char('a')) + QLatin1Char('/') +
                                          QString(200, QLatin1Char('b'))
                                   << measurement << "absolute";
    }
    void namesAndSpellings()
    {
        QFETCH(QString, folderName);
        QFETCH(QString, fileName);
        QFETCH(QString, spelling);
        const QByteArray content = "{\"Smelt\":\"1\"}\n";
        const QString path = makeFile(folderName, fileName, content);
        QVERIFY2(!path.isEmpty(), qPrintable(folderName));
        const QString folder = QFileInfo(path).absolutePath();

        QString written = path;
        if (spelling == QLatin1String("relative"))
            written = QDir::current().relativeFilePath(path);
        else if (spelling == QLatin1String("dotdot"))
            written =
                folder + QStringLiteral("/../") + QFileInfo(folder).fileName() + QLatin1Char('/') + fileName;
        else if (spelling == QLatin1String("native"))
            written = QDir::toNativeSeparators(path);

        // The listing names the file exactly, in the room's encoding, as a regular file.
        QStringList listed;
        bool regular = false;
        QVERIFY(platform::forEachFolderEntry(
            QFileInfo(written).absolutePath(), [&](const platform::FolderEntry &entry) {
                const QString name = platform::decodeFileName(QByteArray(entry.name, entry.length));
                listed << name;
                if (name == fileName)
                    regular = entry.kind != platform::FolderEntry::Kind::other &&
                              entry.regularFileStamp().has_value();
            }));
        QVERIFY2(listed.contains(fileName), qPrintable(listed.join(QLatin1Char('|'))));
        QVERIFY(regular);
        QCOMPARE(platform::decodeFileName(platform::encodeFileName(fileName)), fileName);

        // Opened through either spelling, the file reads whole and names the same file.
        platform::ReadOnlyFile file;
        QVERIFY(file.open(written));
        QCOMPARE(file.stamp().size, qint64(content.size()));
        QCOMPARE(readAll(file), content);
        QVERIFY(platform::isSameFile(written, path));
        QCOMPARE(platform::regularFileStamp(written)->size, qint64(content.size()));
        QCOMPARE(platform::lookupFailure(written), QString());
    }

    void stampInstants_data()
    {
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<qint64>("nanoseconds");
        QTest::newRow("the epoch") << qint64(0) << qint64(0) << qint64(0);
        QTest::newRow("a millisecond on") << qint64(1551967509001) << qint64(1551967509) << qint64(1000000);
        QTest::newRow("a leap day's quarter second")
            << qint64(1582977600250) << qint64(1582977600) << qint64(250000000);
        QTest::newRow("past 2038") << qint64(4102444800999) << qint64(4102444800) << qint64(999000000);
    }
    void stampInstants()
    {
        QFETCH(qint64, msecs);
        QFETCH(qint64, seconds);
        QFETCH(qint64, nanoseconds);
        const QString path = makeFile(QStringLiteral("instants"), QString::number(msecs), "x");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC),
                                 QFileDevice::FileModificationTime));
        file.close();

        const std::optional<platform::FileStamp> stamp = platform::regularFileStamp(path);
        QVERIFY(stamp);
        QCOMPARE(stamp->modifiedSeconds, seconds);
        QCOMPARE(stamp->modifiedNanoseconds, nanoseconds);
        QCOMPARE(stamp->modifiedMsecs(), msecs);
        platform::ReadOnlyFile opened;
        QVERIFY(opened.open(path));
        QCOMPARE(opened.stamp(), *stamp);
    }

    // The plant's system writes, replaces and removes measurements while we read them.
    void readerHoldsNoOneUp_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("written to") << "write";
        QTest::newRow("renamed") << "rename";
        QTest::newRow("removed") << "remove";
    }
    void readerHoldsNoOneUp()
    {
        QFETCH(QString, action);
        const QString path =
            makeFile(QStringLiteral("busy-") + action, QStringLiteral("measurement.json"), "old\n");
        platform::ReadOnlyFile reader;
        QVERIFY(reader.open(path));
        if (action == QLatin1String("write")) {
            QFile writer(path);
            QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Append));
            QCOMPARE(writer.write("new\n"), qint64(4));
        } else if (action == QLatin1String("rename")) {
            QVERIFY(QFile::rename(path, path + QStringLiteral(".moved")));
        } else {
            QVERIFY(QFile::remove(path));
        }
        // The reader still reads what it opened.
        QVERIFY(readAll(reader).startsWith("old\n"));
    }

    void whatIsNotARegularFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("lookupFails");
        QTest::newRow("a folder") << "a-folder" << false;
        QTest::newRow("a missing file") << "no-such-file.json" << true;
        QTest::newRow("below a missing folder") << "no-such-folder/file.json" << true;
    }
    void whatIsNotARegularFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, lookupFails);
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("a-folder"))));
        const QString path = root.filePath(name);
        platform::ReadOnlyFile file;
        QVERIFY(!file.open(path));
        QVERIFY(!platform::regularFileStamp(path));
        QCOMPARE(platform::lookupFailure(path).isEmpty(), !lookupFails);
        if (lookupFails)
            QVERIFY(!platform::fileIdentity(path));
    }
};

QTEST_GUILESS_MAIN(PathsAndStampsTest)
#include "tst_pathsandstamps.moc"
