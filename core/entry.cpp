#include "core/entry.h"

#include <QRegularExpression>

using namespace Texts;

namespace {

QStringList fields(const QString &line)
{
    return line.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

// Name, sound and command may hold commas; the other lines end at their second field.
QString storedValue(const QString &line, int recordLine)
{
    const QStringList f = fields(line);
    if (f.size() < 2)
        return QString();
    const bool keepsCommas = recordLine == 3 || recordLine == 6 || recordLine == 7;
    return keepsCommas ? f.mid(1).join(QLatin1Char(',')) : f.at(1);
}

// Decimal, with unreadable text counting as 0.
int number(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

QString singleLine(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{0085}\\x{2028}\\x{2029}]"));
    QString out = text;
    return out.replace(breaks, QStringLiteral(" "));
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

Entry Entry::fromStoredLines(const QStringList &nine, ReadProblem *problem)
{
    const auto value = [&nine](int k) { return storedValue(nine.value(k - 1), k); };
    Entry e;
    ReadProblem found = ReadProblem::None;
    const QString type = value(2);
    e.kind = type == kAlarm ? Kind::Alarm : Kind::Timer;
    if (type != kAlarm && type != kTimer)
        found = ReadProblem::UnknownKind;
    e.name = value(3);
    const ReadProblem time = e.setTimeText(value(4));
    if (found == ReadProblem::None)
        found = time;
    e.weekdays = weekdaysFromText(value(5));
    e.sound = value(6) == kDefaultSound ? QString() : value(6);
    e.command = value(7) == kNone ? QString() : value(7);
    e.loop = value(8) == kYes;
    e.enabled = value(9) == kOn;
    if (problem)
        *problem = found;
    return e;
}

QStringList Entry::toStoredLines(int number) const
{
    const QLatin1Char comma(',');
    return {kIndexKey + comma + QString::number(number),
            kTypeKey + comma + (isAlarm() ? kAlarm : kTimer),
            kNameKey + comma + singleLine(name),
            kTimeKey + comma + timeText(),
            kRepeatKey + comma + weekdaysText(weekdays),
            kSoundKey + comma + (sound.isEmpty() ? kDefaultSound : singleLine(sound)),
            kCommandKey + comma + (command.isEmpty() ? kNone : singleLine(command)),
            kLoopKey + comma + (loop ? kYes : kNo),
            kStateKey + comma + (enabled ? kOn : kOff)};
}

QString Entry::timeText() const
{
    if (isAlarm()) {
        const QTime t = alarmTime.isValid() ? alarmTime : QTime(0, 0);
        return twoDigits(t.hour()) + QLatin1Char(':') + twoDigits(t.minute());
    }
    const int s = qBound(0, timerSeconds, kMaxTimerSeconds);
    return twoDigits(s / 3600) + QLatin1Char(':') + twoDigits(s / 60 % 60) + QLatin1Char(':') +
           twoDigits(s % 60);
}

Entry::ReadProblem Entry::setTimeText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    const int h = number(parts.value(0));
    const int m = number(parts.value(1));
    const int s = number(parts.value(2));
    const bool partsInRange = h >= 0 && m >= 0 && m <= 59 && s >= 0 && s <= 59;
    if (isAlarm()) {
        alarmTime = QTime(h, m);
        return partsInRange && alarmTime.isValid() ? ReadProblem::None : ReadProblem::BadTime;
    }
    timerSeconds = 0;
    if (!partsInRange)
        return ReadProblem::BadTime;
    if (h > 99)
        return ReadProblem::TimerTooLong;
    timerSeconds = h * 3600 + m * 60 + s;
    return ReadProblem::None;
}

QString Entry::weekdaysText(const Weekdays &days)
{
    QStringList names;
    for (int d = Qt::Monday; d <= Qt::Sunday; ++d) {
        if (days.contains(Qt::DayOfWeek(d)))
            names << dayName(Qt::DayOfWeek(d));
    }
    return names.isEmpty() ? kNo : names.join(QLatin1Char('|'));
}

Weekdays Entry::weekdaysFromText(const QString &text)
{
    Weekdays days;
    for (const QString &name : text.split(QLatin1Char('|'))) {
        const int i = kDayNames.indexOf(name);
        if (i >= 0)
            days.insert(Qt::DayOfWeek(i + 1));
    }
    return days;
}

QString Entry::dayName(Qt::DayOfWeek day)
{
    return kDayNames.value(int(day) - 1);
}

StorageHeader StorageHeader::read(const QString &line)
{
    const QStringList f = fields(line);
    StorageHeader h;
    h.fieldCount = f.size();
    h.key = f.value(0);
    if (f.size() >= 2) {
        h.count = f.at(1).toInt(&h.countReadable, 10);
        if (!h.countReadable)
            h.count = 0;
    }
    h.field3 = f.value(2);
    if (f.size() >= 4)
        h.background = f.mid(3).join(QLatin1Char(','));
    return h;
}

QString StorageHeader::compose(int count, const QString &background, const QString &field3)
{
    const QLatin1Char comma(',');
    return kCountKey + comma + QString::number(count) + comma + field3 + comma + background;
}
