// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderevents.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <QFile>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

#ifdef Q_OS_LINUX

struct FolderEvents::Private
{
    Handler handler;
    int fd = -1;
    QObject notifiers; // owns each notifier, also one whose deletion is still pending
    QSocketNotifier *notifier = nullptr;

    void close()
    {
        if (notifier) {
            // It may be the one whose signal is being delivered.
            notifier->setEnabled(false);
            notifier->disconnect();
            notifier->deleteLater();
            notifier = nullptr;
        }
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    // Everything queued, in one batch: the watch then looks at the folder once per burst of changes.
    void read()
    {
        alignas(inotify_event) char buffer[64 * 1024];
        QVector<Change> changes;
        bool lost = false;
        bool ended = false;
        for (;;) {
            const ssize_t length = ::read(fd, buffer, sizeof buffer);
            if (length < 0 && errno == EINTR)
                continue;
            if (length <= 0) {
                // Empty: everything queued is read; anything else ends the watch.
                if (length == 0 || errno != EAGAIN)
                    ended = true;
                break;
            }
            for (const char *p = buffer; p < buffer + length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(p);
                p += sizeof(inotify_event) + event->len;
                // The folder's own end: removed (then ignored), unmounted, or moved elsewhere, where
                // its changes would no longer be those of the path.
                if (event->mask & (IN_IGNORED | IN_UNMOUNT | IN_DELETE_SELF | IN_MOVE_SELF))
                    ended = true;
                if (event->mask & IN_Q_OVERFLOW)
                    lost = true;
                if (event->len == 0 || !(event->mask & (IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM)))
                    continue;
                changes.append({QByteArray(event->name), (event->mask & (IN_CREATE | IN_MOVED_TO)) != 0});
            }
        }
        if (ended)
            close();
        handler(changes, lost || ended);
    }
};

FolderEvents::FolderEvents(Handler handler) : d(std::make_unique<Private>())
{
    d->handler = std::move(handler);
}

FolderEvents::~FolderEvents()
{
    d->close();
}

bool FolderEvents::watch(const QString &folder)
{
    d->close();
    d->fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (d->fd < 0)
        return false;
    const uint32_t mask =
        IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (::inotify_add_watch(d->fd, path.constData(), mask) < 0) {
        d->close();
        return false;
    }
    d->notifier = new QSocketNotifier(d->fd, QSocketNotifier::Read, &d->notifiers);
    Private *events = d.get();
    QObject::connect(d->notifier, &QSocketNotifier::activated, [events] { events->read(); });
    return true;
}

void FolderEvents::stop()
{
    d->close();
}

bool FolderEvents::isWatching() const
{
    return d->fd >= 0;
}

#else

// Other POSIX systems: no named changes; the watch lists the folder at each change.
struct FolderEvents::Private
{
};

FolderEvents::FolderEvents(Handler) : d(std::make_unique<Private>()) {}

FolderEvents::~FolderEvents() = default;

bool FolderEvents::watch(const QString &)
{
    return false;
}

void FolderEvents::stop() {}

bool FolderEvents::isWatching() const
{
    return false;
}

#endif

} // namespace platform
