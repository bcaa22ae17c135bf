// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// The handler only writes a byte into a pipe, the one thing a signal handler may safely do, and a
// socket notifier reads it in the event loop.
int signalPipe[2] = {-1, -1};

void writeSignalByte(int)
{
    const char byte = 1;
    if (::write(signalPipe[1], &byte, 1) < 0) {
        // The pipe is full: an earlier signal is still to be read, and that one ends the program.
    }
}

} // namespace

QuietStandardError::QuietStandardError()
{
    std::fflush(stderr);
    saved = ::fcntl(2, F_DUPFD_CLOEXEC, 0);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && nowhere >= 0)
        ::dup2(nowhere, 2);
    if (nowhere >= 0)
        ::close(nowhere);
}

QuietStandardError::~QuietStandardError()
{
    std::fflush(stderr);
    if (saved >= 0) {
        ::dup2(saved, 2);
        ::close(saved);
    }
}

bool isTerminal(StandardStream stream)
{
    return ::isatty(stream == StandardStream::output ? 1 : 2);
}

bool terminalTakesEscapes(StandardStream stream)
{
    return isTerminal(stream);
}

std::unique_ptr<QIODevice> openStandardStream(StandardStream stream)
{
    auto file = std::make_unique<QFile>();
    file->open(stream == StandardStream::output ? stdout : stderr,
               QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

std::unique_ptr<QIODevice> openConsoleDevice(StandardStream)
{
    return nullptr; // a terminal here takes the bytes as they are
}

bool attachParentConsole()
{
    return false; // a program started from a terminal writes to it already
}

bool endsOnConsoleEvents()
{
    return false;
}

unsigned codePageNumber(CodePage)
{
    return 0; // no code pages: text is UTF-8
}

std::optional<QByteArray> encodeInCodePage(CodePage, const QString &text, char32_t *missing)
{
    *missing = text.isEmpty() ? 0 : text.at(0).unicode();
    return std::nullopt;
}

struct TerminationRequests::Private
{
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previousInterrupt = {};
    struct sigaction previousTerminate = {};
};

TerminationRequests::TerminationRequests(std::function<void()> ended) : d(std::make_unique<Private>())
{
    if (::pipe(signalPipe) != 0)
        return;
    for (const int fd : signalPipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &d->previousInterrupt);
    ::sigaction(SIGTERM, &action, &d->previousTerminate);
    d->notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [ended] { ended(); });
}

TerminationRequests::~TerminationRequests()
{
    if (!d->notifier)
        return;
    d->notifier.reset();
    ::sigaction(SIGINT, &d->previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &d->previousTerminate, nullptr);
    for (int &fd : signalPipe) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace platform
