// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QObject>

#include <cstdio>
#include <mutex>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

namespace {

HANDLE handleOf(StandardStream stream)
{
    return ::GetStdHandle(stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// The length of the longest prefix of `bytes` that ends on a whole UTF-8 sequence: the rest waits
// for the next write, so that a character split across two writes is not shown as two wrong ones.
int wholeSequences(const QByteArray &bytes)
{
    const int size = bytes.size();
    for (int back = 1; back <= 3 && back <= size; ++back) {
        const auto c = static_cast<unsigned char>(bytes[size - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const int needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return needed > back ? size - back : size;
    }
    return size;
}

// Text to a console window: UTF-8 in, UTF-16 to WriteConsoleW, which shows every character the
// console's font has whatever the code page (cmd.exe and PowerShell alike).
class ConsoleDevice : public QIODevice
{
public:
    explicit ConsoleDevice(HANDLE console) : console(console)
    {
        // Escape sequences (the progress line's "erase to the end") are understood from Windows 10 on.
        DWORD mode = 0;
        if (::GetConsoleMode(console, &mode))
            ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        pending.append(data, int(size));
        const int whole = wholeSequences(pending);
        const std::wstring text = QString::fromUtf8(pending.constData(), whole).toStdWString();
        pending.remove(0, whole);
        size_t done = 0;
        while (done < text.size()) {
            DWORD written = 0;
            const DWORD chunk = DWORD(qMin<size_t>(text.size() - done, 16384));
            if (!::WriteConsoleW(console, text.data() + done, chunk, &written, nullptr) || written == 0)
                return -1;
            done += written;
        }
        return size;
    }

private:
    HANDLE console;
    QByteArray pending;
};

} // namespace

QuietStandardError::QuietStandardError()
{
    std::fflush(stderr);
    saved = ::_dup(2);
    const int nowhere = ::_open("NUL", _O_WRONLY);
    if (saved >= 0 && nowhere >= 0)
        ::_dup2(nowhere, 2);
    if (nowhere >= 0)
        ::_close(nowhere);
}

QuietStandardError::~QuietStandardError()
{
    std::fflush(stderr);
    if (saved >= 0) {
        ::_dup2(saved, 2);
        ::_close(saved);
    }
}

bool isTerminal(StandardStream stream)
{
    return isConsole(handleOf(stream));
}

bool terminalTakesEscapes(StandardStream stream)
{
    const HANDLE handle = handleOf(stream);
    DWORD mode = 0;
    if (!isConsole(handle) || !::GetConsoleMode(handle, &mode))
        return false;
    // A console before Windows 10 refuses the mode it does not know.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
           ::SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

std::unique_ptr<QIODevice> openConsoleDevice(StandardStream stream)
{
    const HANDLE handle = handleOf(stream);
    if (isConsole(handle))
        return std::make_unique<ConsoleDevice>(handle);
    // A file or a pipe gets the UTF-8 bytes as written: no "\n" turned into "\r\n" by the C run-time.
    ::_setmode(stream == StandardStream::output ? 1 : 2, _O_BINARY);
    return nullptr;
}

std::unique_ptr<QIODevice> openStandardStream(StandardStream stream)
{
    if (std::unique_ptr<QIODevice> console = openConsoleDevice(stream))
        return console;
    auto device = std::make_unique<QFile>();
    device->open(stream == StandardStream::output ? stdout : stderr,
                 QIODevice::WriteOnly | QIODevice::Unbuffered);
    return device;
}

namespace {

// The kind of a standard handle the program's starter gave it. A program without a console of its own
// started from Explorer, or from cmd.exe with nothing redirected, may have none at all.
DWORD handleType(DWORD which)
{
    const HANDLE handle = ::GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE ? ::GetFileType(handle) : FILE_TYPE_UNKNOWN;
}

bool toFileOrPipe(DWORD which)
{
    const DWORD type = handleType(which);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// Points one standard stream at the console, for the system's handle and the C run-time's stream.
void writeToConsole(DWORD which, FILE *stream)
{
    const HANDLE console =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE)
        return;
    ::SetStdHandle(which, console);
    // The C run-time's stream as well, which stdout and stderr write through; should it fail, that
    // stream stays as silent as it was.
    [[maybe_unused]] FILE *const reopened = std::freopen("CONOUT$", "w", stream);
}

// A process attached to a console ends with it (the window closed) and on Ctrl+C typed there, even
// when that was meant for cmd.exe's own prompt: the window is released once the program runs.
void releaseConsoleOnceRunning()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { ::FreeConsole(); }, Qt::QueuedConnection);
}

} // namespace

bool attachParentConsole()
{
    if ((toFileOrPipe(STD_OUTPUT_HANDLE) && toFileOrPipe(STD_ERROR_HANDLE)) ||
        !::AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    // A handle that was given stays: a file, a pipe, NUL, or the console itself (usable once attached).
    if (handleType(STD_OUTPUT_HANDLE) == FILE_TYPE_UNKNOWN)
        writeToConsole(STD_OUTPUT_HANDLE, stdout);
    if (handleType(STD_ERROR_HANDLE) == FILE_TYPE_UNKNOWN)
        writeToConsole(STD_ERROR_HANDLE, stderr);
    qAddPreRoutine(releaseConsoleOnceRunning);
    return true;
}

bool endsOnConsoleEvents()
{
    return true;
}

namespace {

UINT systemCodePage(CodePage page)
{
    return page == CodePage::oem ? ::GetOEMCP() : ::GetACP();
}

// Whether the code page holds every character of the UTF-16 text (no best fit, no default character).
bool holdsAll(UINT codePage, const wchar_t *text, int size)
{
    BOOL defaultUsed = FALSE;
    const int bytes =
        ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text, size, nullptr, 0, nullptr, &defaultUsed);
    return bytes > 0 && !defaultUsed;
}

} // namespace

unsigned codePageNumber(CodePage page)
{
    return systemCodePage(page);
}

std::optional<QByteArray> encodeInCodePage(CodePage page, const QString &text, char32_t *missing)
{
    const UINT codePage = systemCodePage(page);
    if (text.isEmpty())
        return QByteArray();
    if (codePage == CP_UTF8) // a system set to UTF-8 throughout
        return text.toUtf8();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    if (holdsAll(codePage, wide, text.size())) {
        QByteArray bytes(::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, text.size(), nullptr, 0,
                                               nullptr, nullptr),
                         Qt::Uninitialized);
        ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, text.size(), bytes.data(), bytes.size(),
                              nullptr, nullptr);
        return bytes;
    }
    // Only on the way to the error: the first character the code page lacks, a pair of surrogates
    // counting as one.
    *missing = 0xFFFD;
    for (int i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int length = pair ? 2 : 1;
        if (!holdsAll(codePage, wide + i, length)) {
            *missing = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
            break;
        }
        i += length;
    }
    return std::nullopt;
}

struct TerminationRequests::Private
{
    QObject context; // lives in the thread that made the object: `ended` runs there
    std::function<void()> ended;
};

namespace {

std::mutex requestsMutex;
TerminationRequests::Private *current = nullptr;
// Set when the requests are no longer listened to: the program has finished its work.
HANDLE finished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

// Runs on a thread of its own that the system starts for each console event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    {
        const std::lock_guard<std::mutex> lock(requestsMutex);
        if (!current)
            return FALSE;
        TerminationRequests::Private *d = current;
        QMetaObject::invokeMethod(
            &d->context, [d] { d->ended(); }, Qt::QueuedConnection);
    }
    // For a closed window the process ends as soon as this returns: the program is given the few
    // seconds Windows allows to finish its work and write its last lines.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        ::WaitForSingleObject(finished, 4500);
    return TRUE;
}

} // namespace

TerminationRequests::TerminationRequests(std::function<void()> ended) : d(std::make_unique<Private>())
{
    d->ended = std::move(ended);
    {
        const std::lock_guard<std::mutex> lock(requestsMutex);
        current = d.get();
    }
    ::ResetEvent(finished);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

TerminationRequests::~TerminationRequests()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    {
        const std::lock_guard<std::mutex> lock(requestsMutex);
        current = nullptr;
    }
    ::SetEvent(finished);
}

} // namespace platform
