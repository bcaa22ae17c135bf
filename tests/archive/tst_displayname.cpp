// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/displayname.h"

#include <QObject>
#include <QTest>

// Names in plain-text output: one line each, nothing a terminal would act on, and a name that the
// file-name encoding cannot decode still shown by its bytes.
class DisplayNameTest : public QObject
{
    Q_OBJECT

private slots:
    void escapesWhatATerminalWouldActOn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("escaped");
        QTest::newRow("plain") << QByteArray("steel_K1-2024_01_10-08_00_00.json")
                               << QStringLiteral("steel_K1-2024_01_10-08_00_00.json") << false;
        QTest::newRow("cyrillic") << QStringLiteral("steel_Печь1.json").toUtf8()
                                  << QStringLiteral("steel_Печь1.json") << false;
        QTest::newRow("newline") << QByteArray("steel_a\nb.json") << QStringLiteral("steel_a\\nb.json")
                                 << true;
        QTest::newRow("tab and return") << QByteArray("a\tb\r") << QStringLiteral("a\\tb\\r") << true;
        QTest::newRow("escape sequence")
            << QByteArray("steel_\x1b[31mred.json") << QStringLiteral("steel_\\x1b[31mred.json") << true;
        QTest::newRow("delete") << QByteArray("a\x7f") << QStringLiteral("a\\x7f") << true;
        QTest::newRow("C1 control as UTF-8")
            << QByteArray("a\xc2\x85z") << QStringLiteral("a\\xc2\\x85z") << true;
        QTest::newRow("line separator U+2028")
            << QByteArray("a\xe2\x80\xa8z") << QStringLiteral("a\\xe2\\x80\\xa8z") << true;
        QTest::newRow("paragraph separator U+2029, invalid byte after")
            << QByteArray("a\xe2\x80\xa9\xff") << QStringLiteral("a\\xe2\\x80\\xa9\\xff") << true;
        QTest::newRow("other general punctuation stays")
            << QStringLiteral("a\u2027\u2030z").toUtf8() << QStringLiteral("a\u2027\u2030z") << false;
        QTest::newRow("backslash doubled") << QByteArray("a\\nb") << QStringLiteral("a\\\\nb") << true;
        QTest::newRow("invalid byte")
            << QByteArray("steel_K1-\xff.json") << QStringLiteral("steel_K1-\\xff.json") << true;
        QTest::newRow("truncated sequence before valid text")
            << QByteArray("\xd0Печь") << QStringLiteral("\\xd0Печь") << true;
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf") << QStringLiteral("a\\xc0\\xaf") << true;
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QStringLiteral("\\xed\\xa0\\x80") << true;
    }

    void escapesWhatATerminalWouldActOn()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(bool, escaped);
        QCOMPARE(archive::displayName(bytes), shown);
        QCOMPARE(archive::needsEscaping(bytes), escaped);
        // What is shown is one line of printable characters.
        for (const QChar c : shown)
            QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7f &&
                         !(c.unicode() >= 0x80 && c.unicode() < 0xa0),
                     qPrintable(shown));
        const QString decoded = QString::fromUtf8(bytes);
        if (decoded.toUtf8() == bytes)
            QCOMPARE(archive::displayName(decoded), shown);
    }
};

QTEST_GUILESS_MAIN(DisplayNameTest)
#include "tst_displayname.moc"
