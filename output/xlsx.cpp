// SPDX-License-Identifier: GPL-3.0-or-later
#include "xlsx.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "language/systemtext.h"
#include "output/csv.h"
#include "platform/filesystem.h"
#include "platform/writing.h"

#include <xlsxwriter.h>

#include <cerrno>

#include <algorithm>

namespace output {

namespace {

// A cell holds at most this many characters (UTF-16 units, as the spreadsheet programs count).
constexpr int longestText = 32767;
// Columns wider than this many characters are left to the reader to widen.
constexpr int widestColumn = 60;
constexpr int mostDecimals = 15;

QByteArray cellText(const QString &text)
{
    return text.toUtf8();
}

// How many characters a cell shows, for the width of its column.
int shownWidth(const XlsxCell &cell)
{
    switch (cell.kind) {
    case XlsxCell::Kind::empty:
        return 0;
    case XlsxCell::Kind::text:
        return int(cell.text.size());
    case XlsxCell::Kind::number:
        return int((cell.decimals < 0 ? QString::number(cell.number, 'g', 10)
                                      : QString::number(cell.number, 'f', cell.decimals))
                       .size());
    case XlsxCell::Kind::moment:
        return 19; // dd.mm.yyyy hh:mm:ss
    case XlsxCell::Kind::share:
        return 6; // 100.0%
    }
    return 0;
}

} // namespace

QString xlsxCellRefusal(const QString &text)
{
    if (text.size() > longestText)
        return QCoreApplication::translate("output", "%1 characters, more than a spreadsheet cell holds (%2)")
            .arg(text.size())
            .arg(longestText);
    const QString unwritable = unwritableCharacter(text);
    if (!unwritable.isEmpty())
        return unwritable;
    // XML 1.0 allows no other control characters (a NUL ends the library's text besides), nor the two
    // non-characters U+FFFE and U+FFFF.
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != 0x09 && u != 0x0a && u != 0x0d) || u == 0xfffe || u == 0xffff)
            return QCoreApplication::translate("output",
                                               "the character U+%1, which a spreadsheet cell cannot hold")
                .arg(uint(u), 4, 16, QLatin1Char('0'));
    }
    return QString();
}

QString exactValuesHelpText()
{
    return QCoreApplication::translate(
        "output", "Every value is written exactly or the command fails (exit code 2), naming the file\n"
                  "and the column; nothing is ever cut. A spreadsheet cell holds at most 32,767\n"
                  "characters and none of the control characters XML forbids (a NUL among them); no\n"
                  "CSV, JSON or spreadsheet holds half of a surrogate pair alone (\"\\ud800\" in a file).\n");
}

XlsxCell XlsxCell::ofText(const QString &text)
{
    XlsxCell cell;
    cell.kind = Kind::text;
    cell.text = text;
    return cell;
}

XlsxCell XlsxCell::ofNumber(double number, int decimals)
{
    XlsxCell cell;
    cell.kind = Kind::number;
    cell.number = number;
    cell.decimals = std::min(decimals, mostDecimals);
    return cell;
}

XlsxCell XlsxCell::ofMoment(const QDate &date, const QTime &time)
{
    XlsxCell cell;
    cell.kind = Kind::moment;
    cell.date = date;
    cell.time = time;
    return cell;
}

XlsxCell XlsxCell::ofShare(double share)
{
    XlsxCell cell;
    cell.kind = Kind::share;
    cell.number = share;
    return cell;
}

struct XlsxBook::Sheet
{
    lxw_worksheet *worksheet = nullptr;
    int columns = 0;
    lxw_row_t row = 0; // the next row to write
    QVector<int> widths;
    QStringList header;
    QString name;
};

XlsxBook::XlsxBook() = default;

XlsxBook::~XlsxBook()
{
    if (book)
        lxw_workbook_free(book); // never finished: nothing is written, and the folder goes with it
    quiet.reset();
    notation.reset();
}

int XlsxBook::maximumRows()
{
    return LXW_ROW_MAX - 1;
}

void XlsxBook::fail(const QString &why)
{
    if (reason.isEmpty())
        reason = why;
}

void XlsxBook::checked(int error)
{
    if (error != LXW_NO_ERROR)
        fail(QString::fromUtf8(lxw_strerror(lxw_error(error))));
}

bool XlsxBook::open(const ReadArchive &read)
{
    folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/steel-archive-XXXXXX"));
    if (!folder->isValid()) {
        fail(QCoreApplication::translate("output", "no private temporary folder can be made: %1")
                 .arg(folder->errorString()));
        return false;
    }
    path = folder->filePath(QStringLiteral("book.xlsx"));
    // The system's temporary folder set to a place in the archive must not make us write there.
    const QString refusal = outputRefusal(read, path);
    if (!refusal.isEmpty()) {
        fail(
            QCoreApplication::translate("output", "the temporary folder %1 %2").arg(folder->path(), refusal));
        return false;
    }
    // The library opens its files with the C run-time's narrow calls, which read the ANSI code page on
    // Windows (a Cyrillic user name in the temporary folder's path).
    temporaryFolder = platform::narrowRuntimePath(folder->path());
    if (temporaryFolder.isEmpty()) {
        fail(QCoreApplication::translate("output", "the spreadsheet cannot be started"));
        return false;
    }
    // The library tells its failures on standard error itself; ours is the one line that counts.
    quiet = std::make_unique<platform::QuietStandardError>();
    // The library writes numbers with printf: under a locale of decimal commas ("9,71" for a column's
    // width) the file would be broken.
    notation = std::make_unique<platform::CNumberNotation>();
    lxw_workbook_options options{};
    // Rows go to the library's temporary files as they are written: a million of them stay small.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = temporaryFolder.data();
    book = workbook_new_opt((temporaryFolder + "/book.xlsx").constData(), &options);
    if (!book) {
        fail(QCoreApplication::translate("output", "the spreadsheet cannot be started"));
        return false;
    }
    return true;
}

lxw_format *XlsxBook::format(const QByteArray &code, bool bold)
{
    if (code.isEmpty() && !bold)
        return nullptr; // General: as many digits as the number has
    const QByteArray key = code + (bold ? "/bold" : "");
    lxw_format *&made = formats[key];
    if (!made) {
        made = workbook_add_format(book);
        if (!code.isEmpty())
            format_set_num_format(made, code.constData());
        if (bold)
            format_set_bold(made);
    }
    return made;
}

void XlsxBook::addSheet(const QString &name, const QStringList &header)
{
    if (!book)
        return;
    finishSheet();
    sheet = std::make_unique<Sheet>();
    sheet->name = name;
    sheet->worksheet = workbook_add_worksheet(book, cellText(name).constData());
    if (!sheet->worksheet) {
        fail(QCoreApplication::translate("output", "the sheet \"%1\" cannot be added").arg(name));
        sheet.reset();
        return;
    }
    sheet->columns = int(header.size());
    sheet->header = header;
    sheet->widths.fill(0, sheet->columns);
    QVector<XlsxCell> cells;
    for (const QString &title : header)
        cells.append(XlsxCell::ofText(title));
    addRow(cells, true);
    // Bold texts take a little more room.
    for (int &width : sheet->widths)
        width += 1;
}

void XlsxBook::addRow(const QVector<XlsxCell> &cells, bool emphasised, const QString &source)
{
    if (!sheet || !reason.isEmpty())
        return;
    // Every cell exact or no book at all: a value is never cut to what the format holds.
    for (int c = 0; c < std::min(int(cells.size()), sheet->columns); ++c) {
        const QString refusal =
            cells[c].kind == XlsxCell::Kind::text ? xlsxCellRefusal(cells[c].text) : QString();
        if (refusal.isEmpty())
            continue;
        const QString where = source.isEmpty()
                                  ? QCoreApplication::translate("output", "row %1 of the sheet \"%2\"")
                                        .arg(sheet->row)
                                        .arg(sheet->name)
                                  : source;
        fail(QCoreApplication::translate("output",
                                         "%1, column \"%2\": %3; nothing is cut, so no spreadsheet is "
                                         "written")
                 .arg(where, sheet->header.value(c), refusal));
        return;
    }
    if (sheet->row >= LXW_ROW_MAX) {
        fail(QCoreApplication::translate("output", "more rows than a sheet holds (%1)").arg(maximumRows()));
        return;
    }
    lxw_worksheet *const worksheet = sheet->worksheet;
    const lxw_row_t row = sheet->row++;
    for (int c = 0; c < std::min(int(cells.size()), sheet->columns); ++c) {
        const XlsxCell &cell = cells[c];
        const lxw_col_t column = lxw_col_t(c);
        switch (cell.kind) {
        case XlsxCell::Kind::empty:
            break;
        case XlsxCell::Kind::text:
            checked(worksheet_write_string(worksheet, row, column, cellText(cell.text).constData(),
                                           format(QByteArray(), emphasised)));
            break;
        case XlsxCell::Kind::number: {
            const QByteArray code = cell.decimals < 0    ? QByteArray()
                                    : cell.decimals == 0 ? QByteArray("0")
                                                         : "0." + QByteArray(cell.decimals, '0');
            checked(worksheet_write_number(worksheet, row, column, cell.number, format(code, emphasised)));
            break;
        }
        case XlsxCell::Kind::moment: {
            lxw_datetime when{cell.date.year(), cell.date.month(),  cell.date.day(),
                              cell.time.hour(), cell.time.minute(), double(cell.time.second())};
            checked(worksheet_write_datetime(worksheet, row, column, &when,
                                             format("dd.mm.yyyy hh:mm:ss", emphasised)));
            break;
        }
        case XlsxCell::Kind::share:
            checked(worksheet_write_number(worksheet, row, column, cell.number, format("0.0%", emphasised)));
            break;
        }
        sheet->widths[c] = std::max(sheet->widths[c], shownWidth(cell));
    }
}

void XlsxBook::finishSheet()
{
    if (!sheet)
        return;
    lxw_worksheet *const worksheet = sheet->worksheet;
    for (int c = 0; c < sheet->columns; ++c)
        checked(worksheet_set_column(worksheet, lxw_col_t(c), lxw_col_t(c),
                                     std::min(sheet->widths[c] + 2, widestColumn), nullptr));
    worksheet_freeze_panes(worksheet, 1, 0);
    if (sheet->columns > 0)
        checked(worksheet_autofilter(worksheet, 0, 0, sheet->row - 1, lxw_col_t(sheet->columns - 1)));
    sheet.reset();
}

bool XlsxBook::finish(QIODevice *device)
{
    if (!book)
        return false;
    finishSheet();
    errno = 0;
    const lxw_error closed = workbook_close(book);
    // The system's reason where a write of the library's failed (a full disk): it says more.
    const int systemError = errno;
    book = nullptr;
    quiet.reset();
    notation.reset();
    if (closed != LXW_NO_ERROR && systemError != 0)
        fail(language::systemReason(platform::writing::errorText(systemError)));
    checked(closed);
    if (!reason.isEmpty())
        return false;
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly)) {
        fail(written.errorString());
        return false;
    }
    // In pieces: a sheet of a million rows need not be held in memory at once.
    while (!written.atEnd()) {
        const QByteArray piece = written.read(1 << 20);
        if (piece.isEmpty() || device->write(piece) != piece.size()) {
            fail(piece.isEmpty() ? written.errorString() : device->errorString());
            return false;
        }
    }
    return true;
}

} // namespace output
