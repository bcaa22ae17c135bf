// SPDX-License-Identifier: GPL-3.0-or-later
// The shift report from the viewer: the shift's measurements gathered off the window's thread, the
// same pages as steel-archive report with the same conditions, printed or saved, never into the
// archive.
#include "app/shiftreportdialog.h"
#include "printing/shippedfonts.h"

#include "support/commands.h"
#include "support/documents.h"
#include "support/files.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A poppler tool's output, or empty where it did not run.
QString poppler(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pageCount(const QString &pdf)
{
    for (const QString &line : poppler(QStringLiteral("pdfinfo"), {pdf}).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed();
    }
    return QString();
}

// The text of the pages after the first, whose heading names the moment it was made.
QString laterPages(const QString &pdf)
{
    return poppler(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), QStringLiteral("2"), pdf, QStringLiteral("-")});
}

QStringList wordsOf(const QString &text)
{
    QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    words.sort();
    return words;
}

} // namespace

class ShiftReportDialogTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;
    QString archiveDir;

    std::unique_ptr<app::ShiftReportDialog> gatheredDialog()
    {
        auto dialog = std::make_unique<app::ShiftReportDialog>([this] { return archiveDir; }, nullptr);
        dialog->open(QStringLiteral("K1"), archive::Moment{QDate(2025, 1, 26), QTime(9, 0)});
        QSignalSpy gathered(dialog.get(), &app::ShiftReportDialog::gatheredAll);
        dialog->gather();
        if (!gathered.wait(60000))
            qWarning("the measurements were not gathered");
        return dialog;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        // As the viewer and steel-archive start: the same fonts draw the same pages.
        printing::loadShippedFonts();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           root.filePath(QStringLiteral("settings")));
        archiveDir = root.filePath(QStringLiteral("archive"));
        QVERIFY(QDir().mkpath(archiveDir));
        // Seven K1 melts from 07:00 (the night shift) to 19:00, one K2 in the day shift.
        const char *const temps[] = {"1600", "1620", "nan", "1610", "1598,5", "1700", "1650"};
        for (int i = 0; i < 7; ++i)
            support::writeFile(
                archiveDir,
                QStringLiteral("steel_K1-2025_01_26-%1_00_00.json").arg(7 + 2 * i, 2, 10, QLatin1Char('0')),
                support::measurementWithMelt(QByteArray::number(41500 + i), temps[i]));
        support::writeFile(archiveDir, QStringLiteral("steel_K2-2025_01_26-08_30_00.json"),
                           support::measurementWithMelt(QByteArray::number(9), "1500"));
    }

    void gathersTheShiftOfItsTechnology()
    {
        const auto dialog = gatheredDialog();
        const query::SearchCriteria criteria = dialog->criteria();
        QCOMPARE(*criteria.technology, QStringLiteral("K1"));
        QCOMPARE(criteria.from->time, QTime(8, 0));
        QCOMPARE(criteria.to->time, QTime(20, 0));
        QCOMPARE(dialog->facts().size(), 6); // 09:00 to 19:00; 07:00 is the night's
        QCOMPARE(dialog->facts().constFirst().moment.time, QTime(19, 0)); // newest first
    }

    // The printed pages are the command line's report with the same conditions, page for page.
    void printsTheCommandLinesReport()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("no poppler to read the pages with");
        const auto dialog = gatheredDialog();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString printed = root.filePath(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(printed);
        QCOMPARE(dialog->printTo(&printer), QString());
        const QString saved = root.filePath(QStringLiteral("saved.pdf"));
        QCOMPARE(dialog->savePdfTo(saved), QString());

        const QString written = root.filePath(QStringLiteral("command.pdf"));
        QStringList arguments{QStringLiteral("report"), archiveDir};
        for (const auto &[name, value] : dialog->conditions())
            arguments << QStringLiteral("--") + name << value;
        const support::CommandResult result = support::runProgram(
            arguments << QStringLiteral("-o") << written, {QStringLiteral("LC_ALL=C.UTF-8")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(pageCount(written), QStringLiteral("2"));
        // The file saved is drawn as the command's; the printer places the same texts, which poppler
        // may read in another order.
        QCOMPARE(pageCount(saved), pageCount(written));
        QCOMPARE(wordsOf(laterPages(saved)), wordsOf(laterPages(written)));
        QCOMPARE(pageCount(printed), pageCount(written));
        QCOMPARE(wordsOf(laterPages(printed)), wordsOf(laterPages(written)));
    }

    void refusesTheArchive_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("in the archive") << QStringLiteral("archive/report.pdf");
        QTest::newRow("through ..") << QStringLiteral("archive/../archive/report.pdf");
    }
    void refusesTheArchive()
    {
        const auto dialog = gatheredDialog();
        QFETCH(QString, path);
        const QStringList before = QDir(archiveDir).entryList(QDir::Files);
        const QString refusal = dialog->savePdfTo(root.filePath(path));
        QVERIFY(!refusal.isEmpty());
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("reportStatus"))->text(), refusal);
        QCOMPARE(QDir(archiveDir).entryList(QDir::Files), before);
    }
};

QTEST_MAIN(ShiftReportDialogTest)
#include "tst_shiftreportdialog.moc"
