// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/archivelisting.h"
#include "archivefolder.h"

#include <QObject>
#include <QTest>

using namespace archive;

namespace {

QStringList namesOf(const QVector<ListedFile> &files)
{
    QStringList names;
    for (const ListedFile &file : files)
        names.append(file.fileName);
    return names;
}

} // namespace

class ArchiveListingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data() { addBackendRows(); }
    void init() { useBackendOfRow(); }

    void wildcardMatch_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");

        const auto row = [](const char *pattern, const char *name, bool matches) {
            QTest::addRow("%s ~ %s", pattern, name)
                << QString::fromUtf8(pattern) << QString::fromUtf8(name) << matches;
        };
        row("steel_*.json", "STEEL_K1-2019_03_07-14_05_09.JSON", true);
        row("steel_*.json", "steel_.json", true);
        row("steel_*.json", "steel_K1.json.bak", false);
        row("steel_*.json", "xsteel_.json", false);
        row("steel_*.json", "steel_a.json.json", true);
        row("*ab", "aab", true);
        row("a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false);
        row("a?c", "abc", true);
        row("a?c", "ac", false);
        row("a?c", "abbc", false);
        row("x[abc]", "xb", true);
        row("x[abc]", "xd", false);
        row("x[!abc]", "xb", false);
        row("x[^abc]", "xd", true);
        row("[a-c]", "B", true);
        row("[A-C]", "b", true);
        row("[a-c]", "d", false);
        row("[]]", "]", true);
        row("[!]]", "a", true);
        row("[a-]", "-", true);
        row("a[b", "a[b", true);
        row("a\\*", "a\\x", true);
        row("", "", true);
        row("", "a", false);
        row("*", "", true);
        row("steel_Ковш-*.json", "STEEL_КОВШ-x.json", true);
        row("steel_Ковш-*.json", "steel_Ков-x.json", false);
        row("steel_*.json", "steel_Ж.json", true);
    }

    void wildcardMatch()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(archive::wildcardMatch(pattern, name), matches);
    }

    void escapeWildcards_data()
    {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<QString>("lookalike");

        QTest::newRow("plain") << QStringLiteral("K1") << QStringLiteral("K1") << QStringLiteral("K2");
        QTest::newRow("star") << QStringLiteral("K*") << QStringLiteral("K[*]") << QStringLiteral("K1");
        QTest::newRow("question mark") << QStringLiteral("?") << QStringLiteral("[?]") << QStringLiteral("x");
        QTest::newRow("set") << QStringLiteral("[!a]") << QStringLiteral("[[]!a]") << QStringLiteral("b");
        QTest::newRow("together") << QStringLiteral("a*?[b]") << QStringLiteral("a[*][?][[]b]")
                                  << QStringLiteral("axyb");
    }

    void escapeWildcards()
    {
        QFETCH(QString, literal);
        QFETCH(QString, escaped);
        QFETCH(QString, lookalike);
        QCOMPARE(archive::escapeWildcards(literal), escaped);
        QVERIFY(archive::wildcardMatch(escaped, literal));
        QVERIFY(!archive::wildcardMatch(escaped, lookalike));
    }

    void newestFirstThenNameByCharacterCode()
    {
#ifdef Q_OS_WIN
        QSKIP("steel_a.json and steel_A.json are one file on Windows' case-insensitive file systems");
#endif
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_a.json"), ArchiveFolder::minutes(5));
        folder.addFile(QStringLiteral("steel_B.json"), ArchiveFolder::minutes(5));
        folder.addFile(QStringLiteral("steel_c.json"), ArchiveFolder::minutes(9));
        folder.addFile(QStringLiteral("steel_0.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("steel_A.json"), ArchiveFolder::minutes(5));
        folder.addFile(QStringLiteral("steel_A.json~"), ArchiveFolder::minutes(10));

        const QVector<ListedFile> files = listDirectory(folder.path(), QStringLiteral("steel_*.json"));
        QCOMPARE(namesOf(files), (QStringList{QStringLiteral("steel_c.json"), QStringLiteral("steel_A.json"),
                                              QStringLiteral("steel_B.json"), QStringLiteral("steel_a.json"),
                                              QStringLiteral("steel_0.json")}));
        QCOMPARE(files.first().modifiedMsecs, ArchiveFolder::minutes(9));
        QCOMPARE(files.last().modifiedMsecs, ArchiveFolder::minutes(1));
    }

    void hiddenFilesAndDirectoriesAreLeftOut()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral(".hidden"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral(".steel_K1.json"), ArchiveFolder::minutes(1));
        folder.addDirectory(QStringLiteral("steel_D.json"));
        folder.addDirectory(QStringLiteral(".git"));
        folder.addFile(QStringLiteral("visible"), ArchiveFolder::minutes(1));
        QCOMPARE(namesOf(listDirectory(folder.path(), QStringLiteral("*"))),
                 QStringList{QStringLiteral("visible")});
    }

    void specialEntriesAreLeftOut()
    {
#ifdef Q_OS_UNIX
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_target.json"), ArchiveFolder::minutes(4));
        folder.addFifo(QStringLiteral("steel_fifo.json"));
        folder.addSocket(QStringLiteral("steel_socket.json"));
        folder.addSymlink(QStringLiteral("missing.json"), QStringLiteral("steel_broken.json"));
        folder.addSymlink(QStringLiteral("steel_loop.json"), QStringLiteral("steel_loop.json"));
        folder.addDirectory(QStringLiteral("sub"));
        folder.addSymlink(QStringLiteral("sub"), QStringLiteral("steel_todir.json"));
        folder.addSymlink(QStringLiteral("steel_fifo.json"), QStringLiteral("steel_tofifo.json"));
        folder.addSymlink(QStringLiteral("steel_target.json"), QStringLiteral("steel_tofile.json"));

        const QVector<ListedFile> files = listDirectory(folder.path(), QStringLiteral("steel_*"));
        QCOMPARE(namesOf(files),
                 (QStringList{QStringLiteral("steel_target.json"), QStringLiteral("steel_tofile.json")}));
        // A link counts as the file it points at, with that file's time.
        QCOMPARE(files.at(1).modifiedMsecs, ArchiveFolder::minutes(4));
#else
        QSKIP("FIFOs, sockets and symbolic links are a Unix matter");
#endif
    }

    void missingOrNonDirectoryPathListsNothing()
    {
        ArchiveFolder folder;
        folder.addFile(QStringLiteral("steel_a.json"), ArchiveFolder::minutes(1));
        QVERIFY(listDirectory(folder.filePath(QStringLiteral("missing")), QStringLiteral("*")).isEmpty());
        QVERIFY(
            listDirectory(folder.filePath(QStringLiteral("steel_a.json")), QStringLiteral("*")).isEmpty());
        QVERIFY(!forEachMatchingFile(folder.filePath(QStringLiteral("missing")), QStringLiteral("*"), false,
                                     [](QStringView, qint64) {}));
    }

    void emptyAndRelativePathsAreFromWorkingDirectory()
    {
        ArchiveFolder folder;
        folder.addDirectory(QStringLiteral("archive"));
        folder.addFile(QStringLiteral("steel_top.json"), ArchiveFolder::minutes(1));
        folder.addFile(QStringLiteral("archive/steel_inner.json"), ArchiveFolder::minutes(1));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QStringList fromEmpty = namesOf(listDirectory(QString(), QStringLiteral("steel_*")));
        const QStringList fromRelative =
            namesOf(listDirectory(QStringLiteral("archive"), QStringLiteral("steel_*")));
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(fromEmpty, QStringList{QStringLiteral("steel_top.json")});
        QCOMPARE(fromRelative, QStringList{QStringLiteral("steel_inner.json")});
    }

    void modificationInstantIsExactMilliseconds_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<int>("nanoseconds");
        QTest::addColumn<qint64>("expected");

        QTest::newRow("whole second") << qint64(1551967509) << 0 << qint64(1551967509000);
        QTest::newRow("sub-millisecond part dropped")
            << qint64(1551967509) << 123999999 << qint64(1551967509123);
        QTest::newRow("before 1970 rounds down") << qint64(-2) << 500000000 << qint64(-1500);
        // 2023-10-29 02:30 happens twice in Berlin; the instant must not depend on the zone.
        QTest::newRow("first 02:30 of a repeated hour") << qint64(1698539400) << 0 << qint64(1698539400000);
        QTest::newRow("second 02:30 of a repeated hour") << qint64(1698543000) << 0 << qint64(1698543000000);
    }

    void modificationInstantIsExactMilliseconds()
    {
#ifdef Q_OS_UNIX
        QFETCH(qint64, seconds);
        QFETCH(int, nanoseconds);
        QFETCH(qint64, expected);
        ArchiveFolder folder;
        folder.addRawFile(QByteArrayLiteral("steel_K1.json"), seconds, nanoseconds);
        const QVector<ListedFile> files = listDirectory(folder.path(), QStringLiteral("steel_*.json"));
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.first().modifiedMsecs, expected);
#else
        QSKIP("needs nanosecond file times");
#endif
    }

    void undecodableNamesAreLeftOutWithoutCrashing()
    {
#ifdef Q_OS_UNIX
        // Such a name decodes to another name, under which the file can never be opened.
        ArchiveFolder folder;
        folder.addRawFile(QByteArray("steel_\xff\xfe.json"), 100);
        folder.addRawFile(QByteArray("steel_\xe2\x82.json"), 200);
        folder.addRawFile(QByteArray("\xc0\xafsteel_.json"), 300);
        folder.addRawFile(QByteArray("steel_\xd0\x96.json"), 400);
        const QVector<ListedFile> files = listDirectory(folder.path(), QStringLiteral("steel_*.json"));
        QCOMPARE(namesOf(files), QStringList{QStringLiteral("steel_Ж.json")});
        QCOMPARE(files.first().modifiedMsecs, qint64(400000));
        QCOMPARE(listDirectory(folder.path(), QStringLiteral("*")).size(), 1);
#else
        QSKIP("names are UTF-16 on this system");
#endif
    }

    void bothBackendsListTheSameFolderAlike()
    {
        ArchiveFolder folder;
        const QStringList names{QStringLiteral("steel_K1-2019_03_07-14_05_09.json"),
                                QStringLiteral("STEEL_k1-2019_03_07-14_05_10.JSON"),
                                QStringLiteral("steel_Ковш-2019_03_07-14_05_09.json"),
                                QStringLiteral("steel_x.json"),
                                QStringLiteral("steel_K1-2019_03_07-14_05_09.old.json"),
                                QStringLiteral("other.json")};
        for (int i = 0; i < names.size(); ++i)
            folder.addFile(names.at(i), ArchiveFolder::minutes(i % 3));
        folder.addDirectory(QStringLiteral("steel_dir.json"));

        const ListingBackend chosen = listingBackend();
        setListingBackend(ListingBackend::Portable);
        const QVector<ListedFile> portable = listDirectory(folder.path(), QStringLiteral("steel_*.json"));
        setListingBackend(chosen);
        const QVector<ListedFile> current = listDirectory(folder.path(), QStringLiteral("steel_*.json"));
        QCOMPARE(namesOf(current), namesOf(portable));
        QCOMPARE(current.size(), 5);
        for (int i = 0; i < current.size(); ++i)
            QCOMPARE(current.at(i).modifiedMsecs, portable.at(i).modifiedMsecs);
    }
};

QTEST_GUILESS_MAIN(ArchiveListingTest)
#include "tst_archivelisting.moc"
