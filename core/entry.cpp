#include "core/entry.h"

#include <QRegularExpression>
#include <QStringBuilder>
#include <QVector>

#include <algorithm>

using namespace Texts;

namespace {

QStringList fields(const QString &line)
{
    return Entry::storedFields(line);
}

// Decimal, with unreadable text counting as 0.
int number(const QStringRef &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

QString singleLine(const QString &text)
{
    const auto isBreak = [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x85) || c == QChar(0x2028) ||
               c == QChar(0x2029);
    };
    if (std::none_of(text.begin(), text.end(), isBreak))
        return text; // the usual case, without a regular expression
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{0085}\\x{2028}\\x{2029}]"));
    QString out = text;
    return out.replace(breaks, QStringLiteral(" "));
}

// 0..99 as two digits.
void appendTwoDigits(QString &out, int n)
{
    out += QLatin1Char(char('0' + n / 10));
    out += QLatin1Char(char('0' + n % 10));
}

} // namespace

Entry Entry::fromStoredLines(const QStringList &nine, ReadProblem *problem)
{
    QString values[10];
    for (int k = 1; k <= 9 && k <= nine.size(); ++k)
        values[k] = storedValue(nine.at(k - 1), k);
    const auto value = [&values](int k) -> const QString & { return values[k]; };
    Entry e;
    ReadProblem found = ReadProblem::None;
    const QString type = value(2);
    e.kind = type == kAlarm ? Kind::Alarm : Kind::Timer;
    if (type != kAlarm && type != kTimer) {
        found = ReadProblem::UnknownKind;
        e.unknownType = type;
    }
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
    return {kIndexKey % comma % QString::number(number),
            kTypeKey % comma %
                (!unknownType.isEmpty() ? unknownType
                 : isAlarm()            ? kAlarm
                                        : kTimer),
            kNameKey % comma % singleLine(name),
            kTimeKey % comma % timeText(),
            kRepeatKey % comma % weekdaysText(weekdays),
            kSoundKey % comma % (sound.isEmpty() ? kDefaultSound : singleLine(sound)),
            kCommandKey % comma % (command.isEmpty() ? kNone : singleLine(command)),
            kLoopKey % comma % (loop ? kYes : kNo),
            kStateKey % comma % (enabled ? kOn : kOff)};
}

QString Entry::timeText() const
{
    QString out;
    out.reserve(8);
    if (isAlarm()) {
        const QTime t = alarmTime.isValid() ? alarmTime : QTime(0, 0);
        appendTwoDigits(out, t.hour());
        out += QLatin1Char(':');
        appendTwoDigits(out, t.minute());
        return out;
    }
    const int s = qBound(0, timerSeconds, kMaxTimerSeconds);
    appendTwoDigits(out, s / 3600);
    out += QLatin1Char(':');
    appendTwoDigits(out, s / 60 % 60);
    out += QLatin1Char(':');
    appendTwoDigits(out, s % 60);
    return out;
}

Entry::ReadProblem Entry::setTimeText(const QString &text)
{
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char(':'));
    const int h = number(parts.value(0));
    const int m = number(parts.value(1));
    const int s = number(parts.value(2));
    const bool partsInRange = h >= 0 && m >= 0 && m <= 59 && s >= 0 && s <= 59;
    if (isAlarm()) {
        alarmTime = QTime(h, m);
        if (partsInRange && alarmTime.isValid())
            return ReadProblem::None;
        alarmTime = QTime(0, 0); // shown as 00:00, as a refused timer shows 00:00:00
        return ReadProblem::BadTime;
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
    if (days.isEmpty())
        return kNo;
    QString out;
    out.reserve(7 * 4);
    for (int d = Qt::Monday; d <= Qt::Sunday; ++d) {
        if (!days.contains(Qt::DayOfWeek(d)))
            continue;
        if (!out.isEmpty())
            out += QLatin1Char('|');
        out += kDayNames.at(d - 1);
    }
    return out;
}

Weekdays Entry::weekdaysFromText(const QString &text)
{
    Weekdays days;
    int start = 0;
    while (start <= text.size()) {
        int end = text.indexOf(QLatin1Char('|'), start);
        if (end < 0)
            end = text.size();
        const QStringRef name = text.midRef(start, end - start);
        for (int d = 0; d < kDayNames.size(); ++d) {
            if (name == kDayNames.at(d))
                days.insert(Qt::DayOfWeek(d + 1));
        }
        start = end + 1;
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

QStringList Entry::storedFields(const QString &line)
{
    return line.split(QLatin1Char(','), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

// A line without a comma has no value.
QString Entry::storedValue(const QString &line, int recordLine)
{
    const int comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        return QString();
    const bool keepsCommas = recordLine == 3 || recordLine == 6 || recordLine == 7;
    const int end = keepsCommas ? -1 : line.indexOf(QLatin1Char(','), comma + 1);
    return end < 0 ? line.mid(comma + 1) : line.mid(comma + 1, end - comma - 1);
}
