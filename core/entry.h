#ifndef TAVREL_ENTRY_H
#define TAVREL_ENTRY_H

#include <QString>
#include <QTime>

// The days of the week an alarm repeats on. Empty means it rings once.
class Weekdays
{
public:
    Weekdays() = default;
    static Weekdays everyDay() { return Weekdays(0x7f); }

    bool isEmpty() const { return m_bits == 0; }
    bool contains(Qt::DayOfWeek day) const { return m_bits & bit(day); }
    void insert(Qt::DayOfWeek day) { m_bits |= bit(day); }
    void remove(Qt::DayOfWeek day) { m_bits &= ~bit(day); }
    int count() const;
    bool operator==(const Weekdays &other) const { return m_bits == other.m_bits; }
    bool operator!=(const Weekdays &other) const { return m_bits != other.m_bits; }

private:
    explicit Weekdays(unsigned bits) : m_bits(bits) {}
    static unsigned bit(Qt::DayOfWeek day) { return 1u << (int(day) - 1); }
    unsigned m_bits = 0;
};

inline int Weekdays::count() const
{
    int n = 0;
    for (unsigned b = m_bits; b; b &= b - 1)
        ++n;
    return n;
}

// One alarm or timer, as the list shows it and the storage file keeps it.
struct Entry
{
    enum class Kind
    {
        Alarm, // rings at a clock time, once or on chosen weekdays
        Timer  // rings when its duration has run down
    };

    Kind kind = Kind::Alarm;
    QString name;
    QTime alarmTime;      // alarms: the minute it rings at
    int timerSeconds = 0; // timers: the duration, up to 99:59:59
    Weekdays weekdays;    // alarms: empty rings once
    QString sound;        // empty: the built-in ring; otherwise a file path
    QString command;      // empty: none; otherwise the file run when it rings
    bool loop = false;    // the sound repeats until stopped
    bool enabled = false;

    bool isAlarm() const { return kind == Kind::Alarm; }
    bool isTimer() const { return kind == Kind::Timer; }
    bool ringsOnce() const { return isTimer() || weekdays.isEmpty(); }
};

#endif // TAVREL_ENTRY_H
