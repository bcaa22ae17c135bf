// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QMetaObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace app {

// Long work of a window's object on a thread of its own. A new start stops the work before it; the
// work's news reach the owner on the owner's thread, and only while that work is the current one, so a
// stopped search never speaks after the next one has begun. The owner keeps it as a member: the thread
// is stopped and joined before the owner is gone.
template <typename Owner> class BackgroundWork
{
public:
    // Hands `call` to the owner on its thread, unless the work has been stopped or replaced since.
    using Deliver = std::function<void(std::function<void(Owner *)>)>;
    using StopRequested = std::function<bool()>;
    using Work = std::function<void(const Deliver &, const StopRequested &)>;

    BackgroundWork() = default;
    BackgroundWork(const BackgroundWork &) = delete;
    BackgroundWork &operator=(const BackgroundWork &) = delete;
    ~BackgroundWork()
    {
        stop();
        join();
    }

    // Runs `work` for `owner` on a thread of its own, once the work before it has ended.
    void start(Owner *owner, Work work)
    {
        stop();
        join();
        const auto stopped = std::make_shared<std::atomic<bool>>(false);
        current = stopped;
        running = true;
        const QPointer<Owner> self(owner);
        const Deliver deliver = [self, stopped](std::function<void(Owner *)> call) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, stopped, call] {
                    if (self && !stopped->load())
                        call(self.data());
                },
                Qt::QueuedConnection);
        };
        worker = std::thread([work = std::move(work), deliver, stopped] {
            work(deliver, [stopped] { return stopped->load(); });
        });
    }
    // Asks the work to end; whatever it still sends is dropped.
    void stop()
    {
        if (current)
            *current = true;
        running = false;
    }
    // The work's last news has been delivered.
    void finish() { running = false; }
    bool isRunning() const { return running; }

private:
    void join()
    {
        if (worker.joinable())
            worker.join();
    }

    std::thread worker;
    std::shared_ptr<std::atomic<bool>> current;
    bool running = false;
};

// Progress often enough to move, seldom enough not to flood the owner's event queue: `tell` at most
// every 100 ms, and always for the last step.
inline std::function<void(qint64, qint64)> pacedProgress(std::function<void(qint64, qint64)> tell)
{
    const auto since = std::make_shared<QElapsedTimer>();
    since->start();
    return [since, tell = std::move(tell)](qint64 done, qint64 total) {
        if (since->elapsed() < 100 && done < total)
            return;
        since->restart();
        tell(done, total);
    };
}

} // namespace app
