// SPDX-License-Identifier: GPL-3.0-or-later
#include "codepageoutput.h"

#include <QCoreApplication>
#include <QTextCodec>

namespace output {

CodePageOutput::CodePageOutput(platform::CodePage page, QIODevice *target)
    : page(page), target(target), decoder(QTextCodec::codecForName("UTF-8")->makeDecoder())
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 CodePageOutput::writeData(const char *data, qint64 size)
{
    if (!failureText.isEmpty())
        return -1;
    pending += decoder->toUnicode(data, int(size));
    // Whole lines only: the text a reader gets ends with the last line the code page holds whole.
    const int end = pending.lastIndexOf(QLatin1Char('\n')) + 1;
    QByteArray bytes;
    int start = 0;
    while (start < end) {
        const int lineEnd = pending.indexOf(QLatin1Char('\n'), start) + 1;
        char32_t missing = 0;
        const std::optional<QByteArray> line =
            platform::encodeInCodePage(page, pending.mid(start, lineEnd - start), &missing);
        if (!line) {
            failureText =
                QCoreApplication::translate(
                    "output", "--encoding %1: code page %2 has no \"%3\" (U+%4); the output stops before "
                              "the line that holds it. Leave --encoding out to write UTF-8, and read "
                              "it in PowerShell, or in cmd after \"chcp 65001\"")
                    .arg(page == platform::CodePage::oem ? QStringLiteral("oem") : QStringLiteral("ansi"))
                    .arg(platform::codePageNumber(page))
                    .arg(QString::fromUcs4(&missing, 1))
                    .arg(uint(missing), 4, 16, QLatin1Char('0'));
            break;
        }
        bytes += *line;
        start = lineEnd;
    }
    pending.remove(0, start);
    if (!bytes.isEmpty() && target->write(bytes) != bytes.size())
        return -1;
    return failureText.isEmpty() ? size : -1;
}

std::optional<platform::CodePage> codePageOption(const QString &name, QString *error)
{
    const QString lower = name.toLower();
    if (lower == QLatin1String("utf-8") || lower == QLatin1String("utf8"))
        return std::nullopt;
    const bool oem = lower == QLatin1String("oem");
    if (!oem && lower != QLatin1String("ansi")) {
        *error = QCoreApplication::translate("output", "--encoding \"%1\" is none of oem, ansi and utf-8")
                     .arg(name);
        return std::nullopt;
    }
    const platform::CodePage page = oem ? platform::CodePage::oem : platform::CodePage::ansi;
    if (platform::codePageNumber(page) == 0)
        *error = QCoreApplication::translate("output",
                                             "--encoding %1: this system has no code pages; its output is "
                                             "UTF-8")
                     .arg(lower);
    return page;
}

QString encodingHelpText()
{
    if (platform::codePageNumber(platform::CodePage::oem) == 0)
        return QString();
    return QCoreApplication::translate(
               "output",
               "Output in a console window is shown right whatever its code page. Output into a file\n"
               "or a pipe is UTF-8: read it in PowerShell, or in cmd after \"chcp 65001\" (type, more).\n"
               "  --encoding E    (with any command) writes standard output into a file or a pipe in a\n"
               "                  code page instead: oem, cmd's own (%1 here), or ansi, that of\n"
               "                  Windows programs (%2 here); utf-8 is the default. A character the\n"
               "                  code page lacks ends the command with an error (exit code 2),\n"
               "                  never a \"?\".\n")
        .arg(platform::codePageNumber(platform::CodePage::oem))
        .arg(platform::codePageNumber(platform::CodePage::ansi));
}

} // namespace output
