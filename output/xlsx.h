// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outputfile.h"

#include "platform/console.h"
#include "platform/messages.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTime>
#include <QVector>

#include <memory>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace output {

// Why `text` cannot be a spreadsheet cell exactly as it is, or the empty text: more than 32,767
// characters, a control character XML 1.0 forbids (a NUL among them), or one no UTF-8 text holds.
QString xlsxCellRefusal(const QString &text);

// The sentence of the help on values no format can hold as they are.
QString exactValuesHelpText();

// One cell of a spreadsheet row.
struct XlsxCell
{
    enum class Kind
    {
        empty,
        text,   // shown as written, never taken for a number or a date ("00731")
        number, // with `decimals` digits after the separator, or as many as it has where that is -1
        moment, // a date-time cell, shown dd.mm.yyyy hh:mm:ss
        share,  // a fraction shown as a percentage with one decimal ("66.7 %")
    };
    Kind kind = Kind::empty;
    QString text;
    double number = 0;
    int decimals = -1;
    QDate date;
    QTime time;

    static XlsxCell ofText(const QString &text);
    static XlsxCell ofNumber(double number, int decimals = -1);
    static XlsxCell ofMoment(const QDate &date, const QTime &time);
    static XlsxCell ofShare(double share);
};

// A workbook in the standard format of Excel, which LibreOffice Calc opens as well, written sheet by
// sheet and row by row: each sheet opens with a bold header row that stays in view (frozen) and
// carries an autofilter over the sheet's rows, and its columns are made as wide as their texts.
// libxlsxwriter writes to a path only: the book and the library's own temporary files go into a
// private folder of ours in the system's temporary folder, never beside an output or into an
// archive, and the finished bytes are then copied to the output's device.
class XlsxBook
{
public:
    XlsxBook();
    ~XlsxBook();
    XlsxBook(const XlsxBook &) = delete;
    XlsxBook &operator=(const XlsxBook &) = delete;

    // Makes the private folder; false (see failure()) where there is none, or where it would lie in
    // what the command reads.
    bool open(const ReadArchive &read);
    // Starts a sheet with its header row; the sheet before it is finished.
    void addSheet(const QString &name, const QStringList &header);
    // The next row of the current sheet; `emphasised` makes it bold (a total). A text no cell can hold
    // exactly fails the book (see failure()), naming `source` (the measurement file the row comes
    // from; the row's number where it is empty) and the column.
    void addRow(const QVector<XlsxCell> &cells, bool emphasised = false, const QString &source = QString());
    // Writes the book and copies it to `device`; false (see failure()) after any failure.
    bool finish(QIODevice *device);
    QString failure() const { return reason; }

    // The rows a sheet holds below its header.
    static int maximumRows();

private:
    struct Sheet;
    // The format of cells shown by `code` (General where it is empty), bold or not.
    lxw_format *format(const QByteArray &code, bool bold);
    void finishSheet();
    void fail(const QString &why);
    void checked(int error);

    std::unique_ptr<platform::QuietStandardError> quiet;
    std::unique_ptr<platform::CNumberNotation> notation;
    std::unique_ptr<QTemporaryDir> folder;
    QString path;
    QByteArray temporaryFolder; // kept for the library, which holds on to the pointer
    lxw_workbook *book = nullptr;
    QHash<QByteArray, lxw_format *> formats;
    std::unique_ptr<Sheet> sheet;
    QString reason;
};

} // namespace output
