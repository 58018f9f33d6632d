#include "core/wallclockwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <sys/timerfd.h>
#include <unistd.h>

WallClockWatcher::WallClockWatcher(QObject *parent) : QObject(parent)
{
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    armDescriptor();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockWatcher::readDescriptor);
}

WallClockWatcher::~WallClockWatcher()
{
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
}

// The timer is set so far ahead it never expires; all it is for is being cancelled when the
// wall clock is set.
void WallClockWatcher::armDescriptor()
{
    itimerspec farAhead{};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    farAhead.it_value.tv_sec = now.tv_sec + 10 * 365 * 86400L;
    timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &farAhead, nullptr);
}

void WallClockWatcher::readDescriptor()
{
    quint64 expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    if (n < 0 && errno == EAGAIN)
        return;
    // ECANCELED: the clock was set. Anything else (an expiry ten years on): re-arm all the same.
    armDescriptor();
    emit wallClockChanged();
}

bool WallClockWatcher::checkReading(const ClockReading &now)
{
    const qint64 offset = now.wallMs - now.bootMs;
    const bool moved = m_haveReading && qAbs(offset - m_lastOffsetMs) > kToleranceMs;
    m_haveReading = true;
    m_lastOffsetMs = offset;
    if (moved)
        emit wallClockChanged();
    return moved;
}

int WallClockWatcher::wakeUpInterval(qint64 msUntilDue)
{
    return int(qBound<qint64>(0, msUntilDue, kLongestWaitMs));
}
