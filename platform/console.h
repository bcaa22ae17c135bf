// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIODevice>

#include <functional>
#include <memory>

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
