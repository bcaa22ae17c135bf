// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The program's console: its standard streams and the user's request to end it.
namespace platform {

enum class StandardStream
{
    output,
    error,
};

// Whether the stream is an interactive terminal (a Windows console window): where progress lines
// that redraw themselves make sense.
bool isTerminal(StandardStream stream);

// Whether the stream is a terminal that takes escape sequences ("erase to the end of the line"): a
// POSIX terminal, or a Windows console that accepts them (Windows 10 and later, once asked to).
// Elsewhere a sequence would show as its bytes ("[K").
bool terminalTakesEscapes(StandardStream stream);

// The stream as a device for UTF-8 text. To a file or a pipe the bytes go out as they are written
// (line ends included); on a Windows console the text is handed over as UTF-16, so that Cyrillic is
// readable in cmd.exe and PowerShell whatever the console's code page.
std::unique_ptr<QIODevice> openStandardStream(StandardStream stream);

// Only the console half of that: a device for a stream that is a Windows console, or nullptr where
// the stream takes UTF-8 bytes as they are written (a file, a pipe, any POSIX terminal), which the
// caller then writes and checks itself; such a stream is set to pass line ends unchanged.
std::unique_ptr<QIODevice> openConsoleDevice(StandardStream stream);

// While it exists, what a library writes on the standard error stream by itself (libxlsxwriter's
// "[ERROR]" lines) goes nowhere: the program says in one line of its own what failed.
class QuietStandardError
{
public:
    QuietStandardError();
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int saved = -1;
};

// For a program linked without a console of its own (the viewer on Windows): when it was started from
// a console window (cmd.exe, PowerShell), standard output and error that were not redirected go to that
// window, so that `--help` and `--version` answer where they were asked. The window is let go as soon
// as the application's event loop runs: afterwards Ctrl+C typed there, or closing it, leaves the
// program alone. Output redirected to a file or a pipe stays where it goes. Returns whether a console
// was borrowed; does nothing where every program has its terminal anyway (POSIX).
bool attachParentConsole();

// Whether a person ends a console program with console events (Ctrl+C, Ctrl+Break, closing its
// window: Windows) rather than with signals (SIGINT, SIGTERM: POSIX); help texts name them so.
bool endsOnConsoleEvents();

// The system's two code pages of a Windows console program besides UTF-8: the console's own ("OEM",
// 866 on a Russian Windows, which cmd's type and more read) and that of Windows programs ("ANSI",
// 1251 there).
enum class CodePage
{
    oem,
    ansi,
};

// The number of the system's code page of that kind, or 0 where the system has none (POSIX, where
// text is UTF-8).
unsigned codePageNumber(CodePage page);

// `text` in the code page; std::nullopt when a character is not in it, with `*missing` set to the
// first such character. Never the system's best fit nor its "?" in place of a character.
std::optional<QByteArray> encodeInCodePage(CodePage page, const QString &text, char32_t *missing);

// While it exists, the user's requests to end the program call `ended` through the event loop of
// the thread that made it, instead of ending the process at once: SIGINT and SIGTERM on POSIX;
// Ctrl+C, Ctrl+Break and the console window being closed (also logoff and shutdown) on Windows.
class TerminationRequests
{
public:
    explicit TerminationRequests(std::function<void()> ended);
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests &) = delete;
    TerminationRequests &operator=(const TerminationRequests &) = delete;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace platform
