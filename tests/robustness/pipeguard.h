// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMutex>
#include <QStringList>
#include <QThread>
#include <QWaitCondition>

namespace fixture {

// Watches named pipes while the window works. Opening a pipe that has no writer blocks forever, so a
// window that tries would hang the test until CTest kills it. If the guarded work has not ended after
// a grace far longer than any step of the window takes, the guard opens each pipe for writing and
// closes it again, which lets a blocked reader go on (it reads the end of the file), and records that
// it had to: the test then fails with a clear message instead of hanging.
class PipeGuard : public QThread
{
public:
    explicit PipeGuard(const QStringList &pipes, int graceMsecs = 20000);
    ~PipeGuard() override;

    // Ends the watch; true when the guard had to release a reader.
    bool finish();

protected:
    void run() override;

private:
    QStringList pipes;
    int graceMsecs;
    QMutex mutex;
    QWaitCondition finished;
    bool done = false;
    bool released = false;
};

} // namespace fixture
