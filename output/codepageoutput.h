// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/console.h"

#include <QIODevice>
#include <QString>
#include <QTextDecoder>

#include <memory>
#include <optional>

namespace output {

// Standard output for readers that take one of the system's code pages instead of UTF-8 (cmd's type
// and more on Windows): the UTF-8 text written here goes on to `target` in the code page, line by
// line. A character the code page cannot hold is never written as a question mark or a look-alike:
// the output stops before the line that holds it, every later write fails, and failure() says which
// character and which code page.
class CodePageOutput : public QIODevice
{
public:
    CodePageOutput(platform::CodePage page, QIODevice *target);
    // The error line's text after a character the code page lacks, or the empty text.
    QString failure() const { return failureText; }
    // Where the text goes: what bytes that are no text (a PDF, a spreadsheet) are written to as they are.
    QIODevice *targetDevice() const { return target; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    const platform::CodePage page;
    QIODevice *const target;
    std::unique_ptr<QTextDecoder> decoder; // keeps a character split between two writes
    QString pending;                       // the start of a line not yet ended
    QString failureText;
};

// The option that chooses the code page, as given ("oem", "ansi", "utf-8"): the code page, or
// std::nullopt for UTF-8. `error` is set to the reason when the text names none this system has.
std::optional<platform::CodePage> codePageOption(const QString &name, QString *error);

// The paragraph of the tool's help on output through files and pipes and --encoding; empty where
// the system has no code pages.
QString encodingHelpText();

} // namespace output
