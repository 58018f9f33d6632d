#include "core/nextring.h"

#include <QVector>

#include <limits>

namespace RingTime {

namespace {

constexpr qint64 kDayMs = qint64(kDay) * 1000;

int offsetAt(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).offsetFromUtc();
}

// The first minute in [before, after] at which the local offset is `offsetAfter`: where a
// spring-forward gap ends.
qint64 endOfGap(qint64 before, qint64 after, int offsetAfter)
{
    constexpr qint64 minute = 60 * 1000;
    qint64 lo = before / minute;    // offset still the old one
    qint64 hi = after / minute + 1; // offset already the new one
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (offsetAt(mid * minute) == offsetAfter)
            hi = mid;
        else
            lo = mid;
    }
    return hi * minute;
}

} // namespace

QString formatCountdown(qint64 seconds)
{
    // Written digit by digit: the rows and the tray ask for it twice a second per running timer.
    seconds = qMax<qint64>(0, seconds);
    QChar text[24];
    int at = int(sizeof text / sizeof text[0]);
    const auto put = [&](qint64 value, int minDigits) {
        for (int d = 0; d < minDigits || value > 0; ++d, value /= 10)
            text[--at] = QLatin1Char(char('0' + value % 10));
    };
    put(seconds % kMinute, 2);
    text[--at] = QLatin1Char(':');
    put(seconds % kHour / kMinute, 2);
    text[--at] = QLatin1Char(':');
    put(seconds / kHour, 2);
    return QString(text + at, int(sizeof text / sizeof text[0]) - at);
}

qint64 countdownSeconds(const QString &text)
{
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char(':'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    const auto part = [&parts](int k) -> qint64 {
        bool ok = false;
        const qint64 value = k < parts.size() ? parts.at(k).toLongLong(&ok, 10) : 0;
        return ok ? value : 0;
    };
    return qMax<qint64>(0, part(0) * kHour + part(1) * kMinute + part(2));
}

QString formatDuration(qint64 seconds)
{
    // Written digit by digit, as the countdown is: the tray's text is made again every second.
    static const QString units = QStringLiteral("天小时分钟秒");
    const qint64 rest = seconds % kDay;
    const qint64 parts[] = {seconds / kDay, rest / kHour, rest % kHour / kMinute, rest % kMinute};
    const int unitStart[] = {0, 1, 3, 5, 6};
    QChar text[64];
    int at = 0;
    for (int p = 0; p < 4; ++p) {
        qint64 value = parts[p];
        const bool negative = value < 0;
        QChar digits[24];
        int n = 0;
        do {
            digits[n++] = QLatin1Char(char('0' + qAbs(value % 10)));
            value /= 10;
        } while (value != 0);
        if (negative)
            text[at++] = QLatin1Char('-');
        while (n > 0)
            text[at++] = digits[--n];
        for (int u = unitStart[p]; u < unitStart[p + 1]; ++u)
            text[at++] = units.at(u);
    }
    return QString(text, at);
}

QDateTime occurrenceOn(const QDate &date, const QTime &time)
{
    const QTime minute(time.hour(), time.minute());
    // The wall digits read as UTC; the offsets in force a day either side bracket any change.
    const qint64 naive = QDateTime(date, minute, Qt::UTC).toMSecsSinceEpoch();
    const int offsetBefore = offsetAt(naive - kDayMs);
    const int offsetAfter = offsetAt(naive + kDayMs);
    qint64 first = std::numeric_limits<qint64>::max();
    for (int offset : {offsetBefore, offsetAt(naive), offsetAfter}) {
        const qint64 candidate = naive - qint64(offset) * 1000;
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(candidate);
        if (local.date() == date && local.time() == minute)
            first = qMin(first, candidate); // a repeated hour has two: the first rings
    }
    if (first != std::numeric_limits<qint64>::max())
        return QDateTime::fromMSecsSinceEpoch(first);
    if (offsetAfter > offsetBefore) {
        // The clocks skip this time: ring when the gap ends.
        const qint64 gapEnd =
            endOfGap(naive - qint64(offsetAfter) * 1000, naive - qint64(offsetBefore) * 1000, offsetAfter);
        return QDateTime::fromMSecsSinceEpoch(gapEnd);
    }
    return QDateTime(date, minute);
}

QDateTime nextOccurrence(const QTime &time, const Weekdays &days, const QDateTime &after)
{
    const QDate start = after.date().addDays(-1);
    for (int d = 0; d <= 9; ++d) {
        const QDate date = start.addDays(d);
        if (!days.isEmpty() && !days.contains(Qt::DayOfWeek(date.dayOfWeek())))
            continue;
        const QDateTime occurrence = occurrenceOn(date, time);
        if (occurrence > after)
            return occurrence;
    }
    return QDateTime();
}

} // namespace RingTime
