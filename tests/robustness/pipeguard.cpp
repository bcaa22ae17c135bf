// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeguard.h"

#include <QFile>
#include <QMutexLocker>

#include <fcntl.h>
#include <unistd.h>

namespace fixture {

PipeGuard::PipeGuard(const QStringList &pipes, int graceMsecs) : pipes(pipes), graceMsecs(graceMsecs)
{
    start();
}

PipeGuard::~PipeGuard()
{
    finish();
}

bool PipeGuard::finish()
{
    {
        QMutexLocker lock(&mutex);
        done = true;
        finished.wakeAll();
    }
    wait();
    QMutexLocker lock(&mutex);
    return released;
}

void PipeGuard::run()
{
    QMutexLocker lock(&mutex);
    if (!done)
        finished.wait(&mutex, static_cast<unsigned long>(graceMsecs));
    while (!done) {
        released = true;
        lock.unlock();
        for (const QString &pipe : pipes) {
            const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
        lock.relock();
        if (!done)
            finished.wait(&mutex, 50);
    }
}

} // namespace fixture
