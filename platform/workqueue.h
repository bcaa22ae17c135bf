// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The two ways the core hands work between threads: a bounded queue from one producer to one
// consumer, and the same piece of work run on every core.
namespace platform {

// Items from a producer to a consumer, at most `capacity` of them waiting: the producer waits while
// the queue is full, so a fast producer never holds more than that in memory.
template <typename T> class BoundedQueue
{
public:
    explicit BoundedQueue(size_t capacity) : capacity(std::max<size_t>(capacity, 1)) {}
    BoundedQueue(const BoundedQueue &) = delete;
    BoundedQueue &operator=(const BoundedQueue &) = delete;

    // Waits for room. False once the queue is closed or cancelled: the item is not taken.
    bool push(T &&item)
    {
        std::unique_lock<std::mutex> lock(mutex);
        roomMade.wait(lock, [this] { return items.size() < capacity || closed || cancelled; });
        if (closed || cancelled)
            return false;
        items.push_back(std::move(item));
        itemAdded.notify_one();
        return true;
    }

    // Waits for an item. False when there is none and none will come (closed or cancelled).
    bool pop(T *item)
    {
        std::unique_lock<std::mutex> lock(mutex);
        itemAdded.wait(lock, [this] { return !items.empty() || closed || cancelled; });
        if (items.empty() || cancelled)
            return false;
        *item = std::move(items.front());
        items.pop_front();
        roomMade.notify_one();
        return true;
    }

    // The producer is done: what waits is still taken, then pop() says the end.
    void close()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        itemAdded.notify_all();
        roomMade.notify_all();
    }

    // Either side gives up: what waits is dropped, and push() and pop() return false from now on.
    void cancel()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        cancelled = true;
        items.clear();
        itemAdded.notify_all();
        roomMade.notify_all();
    }

    bool isCancelled() const
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return cancelled;
    }

private:
    const size_t capacity;
    mutable std::mutex mutex;
    std::condition_variable itemAdded;
    std::condition_variable roomMade;
    std::deque<T> items;
    bool closed = false;
    bool cancelled = false;
};

// The cores the machine offers, at least one.
inline unsigned coreCount()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

// One piece of work running on threads of its own in the background until finish(): the caller goes
// on with its own work meanwhile.
class BackgroundWork
{
public:
    BackgroundWork() = default;
    ~BackgroundWork() { finish(); }
    BackgroundWork(const BackgroundWork &) = delete;
    BackgroundWork &operator=(const BackgroundWork &) = delete;

    // Runs `work` on `threads` threads at once (by default one a core).
    void start(const std::function<void()> &work, unsigned threads = coreCount())
    {
        for (unsigned t = 0; t < threads; ++t)
            workers.emplace_back(work);
    }
    // Waits for every thread started.
    void finish()
    {
        for (std::thread &worker : workers)
            worker.join();
        workers.clear();
    }
    bool running() const { return !workers.empty(); }

private:
    std::vector<std::thread> workers;
};

// The items 0 to count - 1 handed out `stretch` at a time to whichever thread asks first: each item
// is handed out once, however many threads share it.
class SharedCounter
{
public:
    SharedCounter(size_t count, size_t stretch) : count(count), stretch(std::max<size_t>(stretch, 1)) {}

    // Calls `job` for every item of the next stretches until none is left.
    template <typename Job> void drain(const Job &job)
    {
        for (size_t first = next.fetch_add(stretch); first < count; first = next.fetch_add(stretch)) {
            const size_t last = std::min(first + stretch, count);
            for (size_t i = first; i < last; ++i)
                job(i);
        }
    }

private:
    const size_t count;
    const size_t stretch;
    std::atomic<size_t> next{0};
};

// Calls `job(i)` for every i below `count` on every core, `stretch` items at a time, and returns when
// all are done.
template <typename Job> void forEachOnAllCores(size_t count, size_t stretch, const Job &job)
{
    SharedCounter counter(count, stretch);
    BackgroundWork work;
    work.start([&counter, &job] { counter.drain(job); },
               unsigned(std::min<size_t>(coreCount(), std::max<size_t>(count / stretch, 1))));
    work.finish();
}

} // namespace platform
