// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/outputfile.h"
#include "output/outputformat.h"
#include "output/xlsx.h"

#include <QBuffer>
#include <QPair>
#include <QString>
#include <QTextStream>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class QCommandLineOption;
class QCommandLineParser;

namespace cli {

// The formats a command writes and the options that ask for them.
struct OutputFormats
{
    QVector<output::Format> formats;                 // the first one unless another is asked for
    QVector<QPair<QString, output::Format>> options; // an option's name and the format it asks for
    // For a command that writes only binary formats, the line for a name that ends in none of their
    // suffixes ("%1" the name); empty: the general one.
    QString unknownSuffixText;
};

// Where the output of a command that writes a file goes, by one rule for every such command. "-"
// (the default where -o may be left out) is standard output, which takes every format, a PDF, PNG or
// spreadsheet too, unless it is a terminal. A file follows the output rule (outputRefusal: never into
// an archive, written whole or not at all) and its name's suffix: without an option that asks for a
// format the suffix chooses it among the command's formats; a binary format is written only under
// its own suffix, and no text goes under the suffix of another format.
class CommandOutput
{
public:
    CommandOutput(const QString &command, QTextStream &out, QTextStream &err);
    ~CommandOutput();

    // After parsing: the output named with `outputOption` ("-" where it is not given) and the format
    // its options ask for. Two options that ask for different formats are a usage error, reported on
    // the error stream: then false.
    bool choose(const QCommandLineParser &parser, const QCommandLineOption &outputOption,
                const OutputFormats &formats);
    // Checks the output against the rule for a command that reads `read`, and settles its format.
    // False after a refusal reported on the error stream.
    bool check(const output::ReadArchive &read);
    // Makes the file of our own beside the target (after check()). False after a failure reported on
    // the error stream.
    bool open();

    output::Format format() const { return chosen; }
    QString name() const { return path; }
    bool toStandardOutput() const;
    // Where a text format goes, once open.
    QTextStream &text();
    // Where a binary format goes, once open.
    QIODevice *device();
    // Puts the output in place; the empty text, or why it failed (the file is then gone). An empty
    // binary output is a failure: its writer said nothing.
    QString commit();
    // Leaves the target as it was.
    void discard();
    // The system's reason for a write that failed so far, or the empty text.
    QString writeFailure() const;
    // Whether the program's standard output failed a write: the program says so itself once the
    // command has ended ("write error"), or says nothing where the reader of a pipe went away.
    bool standardOutputFailed() const;
    // Puts the output in place after its writer said why it failed (`writerFailure`) or nothing. False
    // after a failure reported on the error stream ("OUT: no space left on device"); then the target
    // is left as it was.
    bool finish(const QString &writerFailure = QString());

private:
    QIODevice *standardDevice() const;
    QString suffixRefusal();
    bool refuse(const QString &message);

    QString command;
    QTextStream &out;
    QTextStream &err;
    OutputFormats formats;
    std::optional<output::Format> asked;
    output::Format chosen = output::Format::text;
    QString path = QStringLiteral("-");
    std::unique_ptr<output::OutputFile> file;
    std::unique_ptr<QTextStream> fileText;
    QBuffer bytes; // binary standard output of a run whose output stream holds a text
};

// Writes a spreadsheet file filled by `fill` to `output` (open, binary), for a command that reads
// `read`. The empty text, or why it could not be written.
QString writeSpreadsheet(CommandOutput &output, const output::ReadArchive &read,
                         const std::function<void(output::XlsxBook &book)> &fill);

} // namespace cli
