#ifndef TAVREL_ENTRY_H
#define TAVREL_ENTRY_H

#include "core/texts.h"

#include <QString>
#include <QStringList>
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
    QString unknownType; // a stored type word that is neither kind, written back as it was
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

    // --- The nine stored lines ---------------------------------------------------------------
    // 序号,n / 类型,闹钟|计时器 / 名称,… / 时间,HH:mm|HH:mm:ss / 每周重复,星期一|…|否 /
    // 声音文件,path|默认响铃 / 命令文件,path|无 / 重复闹铃,是|否 / 状态,开启|关闭
    // Name, sound and command keep their commas (fields 2..n joined again); the other lines take
    // field 2 only. Unreadable numbers in the time count as 0.

    // What reading a record found that an Entry cannot hold as it was stored. The entry is still
    // filled as far as it goes, so the caller decides whether to show it or refuse it.
    enum class ReadProblem
    {
        None,
        UnknownKind,  // 类型 is neither 闹钟 nor 计时器 (read as a timer that is never enabled)
        BadTime,      // minutes or seconds above 59, an alarm hour above 23, or a negative part
                      // (the time is then 0)
        TimerTooLong, // a timer above 99:59:59 (timerSeconds is then 0)
    };

    static constexpr int kMaxTimerSeconds = 99 * 3600 + 59 * 60 + 59;

    // Reads the nine lines of one record by position; missing lines read as empty.
    static Entry fromStoredLines(const QStringList &nine, ReadProblem *problem = nullptr);
    // The nine lines, numbered `number` (1-based position in the file). A line break inside a
    // name or path becomes a space: it would otherwise split the record and shift every later one.
    QStringList toStoredLines(int number) const;

    // "HH:mm" for an alarm, "HH:mm:ss" (hours up to 99) for a timer.
    QString timeText() const;
    // Sets the time from its stored text; returns the problem, if any.
    ReadProblem setTimeText(const QString &text);

    // 每周重复's value: the day names Monday first joined with "|", "否" for none.
    static QString weekdaysText(const Weekdays &days);
    // Accepts any order and ignores words that are not day names ("否" gives no days).
    static Weekdays weekdaysFromText(const QString &text);
    static QString dayName(Qt::DayOfWeek day);

    // The storage file's line rules: a line's comma-separated fields, empty ones kept; and the value of
    // record line 1..9 (name, sound and command keep their commas; the others end at field 2).
    static QStringList storedFields(const QString &line);
    static QString storedValue(const QString &line, int recordLine);
};

// The storage file's header line: 数量,<count>,背景图片,<background>. Older files have only the
// first two fields; rewrites copy field 3 as it was read.
struct StorageHeader
{
    int fieldCount = 0;         // fields as read, split on ","
    QString key;                // field 1 as read
    int count = 0;              // field 2 as a number; 0 when absent or unreadable
    bool countReadable = false; // field 2 is a decimal integer
    QString field3;             // as read ("背景图片")
    QString background;         // fields 4..n joined again with ","; "" with three fields or fewer

    static StorageHeader read(const QString &line);
    // "数量,<count>,<field3>,<background>"
    static QString compose(int count, const QString &background,
                           const QString &field3 = Texts::kBackgroundKey);
};

#endif // TAVREL_ENTRY_H
