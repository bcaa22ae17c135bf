// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandoutput.h"

#include "commandline.h"

#include "archive/displayname.h"
#include "output/codepageoutput.h"
#include "platform/console.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>

namespace cli {

CommandOutput::CommandOutput(const QString &command, QTextStream &out, QTextStream &err)
    : command(command), out(out), err(err)
{}

CommandOutput::~CommandOutput() = default;

bool CommandOutput::refuse(const QString &message)
{
    reportFailure(err, command, message);
    return false;
}

bool CommandOutput::choose(const QCommandLineParser &parser, const QCommandLineOption &outputOption,
                           const OutputFormats &given)
{
    formats = given;
    QString askedBy;
    // In the order typed, so that the message names what the user wrote first.
    for (const QString &name : parser.optionNames()) {
        for (const auto &[option, format] : formats.options) {
            if (name != option)
                continue;
            if (asked && *asked != format)
                return refuse(QCoreApplication::translate("cli", "--%1 and --%2 exclude each other")
                                  .arg(askedBy, name));
            asked = format;
            askedBy = name;
        }
    }
    if (parser.isSet(outputOption))
        path = parser.value(outputOption);
    chosen = asked.value_or(formats.formats.constFirst());
    return true;
}

bool CommandOutput::toStandardOutput() const
{
    return isStandardOutput(path);
}

// Standard output's own device: bytes that are no text pass by a code page's translation
// (--encoding), which would mangle them.
QIODevice *CommandOutput::standardDevice() const
{
    QIODevice *device = out.device();
    if (const auto *encoded = dynamic_cast<const output::CodePageOutput *>(device))
        device = encoded->targetDevice();
    return device;
}

QString CommandOutput::suffixRefusal()
{
    const QString shown = archive::displayPath(path);
    const std::optional<output::Format> named = output::formatOfName(path);
    const auto mustEnd = [&shown](output::Format format) {
        return QCoreApplication::translate("cli", "%1: the name must end in %2 for %3 output")
            .arg(shown, output::formatSuffix(format), output::formatName(format));
    };
    if (asked) {
        if (named == asked || (!named && !output::isBinary(*asked)))
            return QString();
        if (output::isBinary(*asked))
            return mustEnd(*asked);
        return QCoreApplication::translate("cli", "%1: the name ends in %2, but the output is %3")
            .arg(shown, output::formatSuffix(*named), output::formatName(*asked));
    }
    if (named && formats.formats.contains(*named)) {
        chosen = *named;
        return QString();
    }
    const bool binaryOnly = std::all_of(formats.formats.cbegin(), formats.formats.cend(),
                                        [](output::Format format) { return output::isBinary(format); });
    if (binaryOnly)
        return formats.unknownSuffixText.isEmpty() ? mustEnd(formats.formats.constFirst())
                                                   : formats.unknownSuffixText.arg(shown);
    if (named)
        return QCoreApplication::translate("cli", "%1: the name ends in %2, but %3 writes no %4")
            .arg(shown, output::formatSuffix(*named), command, output::formatName(*named));
    return QString();
}

bool CommandOutput::check(const output::ReadArchive &read)
{
    if (toStandardOutput()) {
        // Only the program's own standard output can be a terminal; the tests' streams hold a text.
        if (output::isBinary(chosen) && !out.string() &&
            platform::isTerminal(platform::StandardStream::output))
            return refuse(QCoreApplication::translate("cli", "%1 is not written to a terminal: name a file "
                                                             "with -o, or send standard output to a file "
                                                             "or a pipe")
                              .arg(output::formatName(chosen)));
        return true;
    }
    // The folder held from here to the write: the check and the write meet the same folder.
    file = std::make_unique<output::OutputFile>(path, read);
    const QString refusal = file->check();
    if (!refusal.isEmpty())
        return refuse(archive::displayPath(path) + QStringLiteral(": ") + refusal);
    const QString suffix = suffixRefusal();
    if (!suffix.isEmpty())
        return refuse(suffix);
    return true;
}

bool CommandOutput::open()
{
    if (toStandardOutput()) {
        if (output::isBinary(chosen) && out.string())
            bytes.open(QIODevice::WriteOnly);
        return true;
    }
    if (!file)
        file = std::make_unique<output::OutputFile>(path, output::ReadArchive());
    if (!file->open())
        return refuse(archive::displayPath(path) + QStringLiteral(": ") + file->failure());
    fileText = std::make_unique<QTextStream>(file->device());
    fileText->setCodec("UTF-8");
    return true;
}

QTextStream &CommandOutput::text()
{
    return fileText ? *fileText : out;
}

QIODevice *CommandOutput::device()
{
    if (file)
        return file->device();
    if (bytes.isOpen())
        return &bytes;
    out.flush();
    return standardDevice();
}

QString CommandOutput::commit()
{
    if (!file) {
        if (bytes.isOpen())
            out << QString::fromLatin1(bytes.data()); // one character a byte, for the tests to read back
        out.flush();
        return QString();
    }
    fileText->flush();
    fileText.reset();
    if (!file->commit(output::isBinary(chosen)))
        return file->failure();
    return QString();
}

void CommandOutput::discard()
{
    fileText.reset();
    if (file)
        file->discard();
}

QString CommandOutput::writeFailure() const
{
    return file ? file->writeFailure() : QString();
}

bool CommandOutput::standardOutputFailed() const
{
    const auto *checked = dynamic_cast<const output::CheckedOutput *>(standardDevice());
    return toStandardOutput() && checked && checked->failure() != 0;
}

bool CommandOutput::finish(const QString &writerFailure)
{
    if (standardOutputFailed())
        return true;
    QString failure = writerFailure;
    if (!failure.isEmpty()) {
        // A write failure says more than the writer's "no": the device keeps the system's reason.
        if (!writeFailure().isEmpty())
            failure = writeFailure();
        discard();
    } else {
        failure = commit();
    }
    if (failure.isEmpty())
        return true;
    reportFailure(err, command,
                  toStandardOutput() ? failure : archive::displayPath(path) + QStringLiteral(": ") + failure);
    return false;
}

QString writeSpreadsheet(CommandOutput &output, const output::ReadArchive &read,
                         const std::function<void(output::XlsxBook &)> &fill)
{
    output::XlsxBook book;
    if (!book.open(read))
        return book.failure();
    fill(book);
    if (!book.finish(output.device()))
        return book.failure();
    return QString();
}

} // namespace cli
