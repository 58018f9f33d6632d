// The schedule's arithmetic: countdowns and the time to the next ring.
#include "app/schedule.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDateTime>
#include <QTest>

namespace {

// "A 09:00 星期三|星期五" is an alarm, "T 00:10:00" a timer.
QList<Schedule::RingSource> sources(const QStringList &descriptions)
{
    QList<Schedule::RingSource> out;
    for (const QString &description : descriptions) {
        const QStringList parts = description.split(QLatin1Char(' '));
        Schedule::RingSource s;
        s.alarm = parts.at(0) == QLatin1String("A");
        s.time = parts.value(1);
        if (s.alarm)
            s.repeatDays = parts.value(2).split(QLatin1Char('|'));
        out << s;
    }
    return out;
}

// 2025-01-01 is a Wednesday.
QDateTime on(const char *weekday, const char *time)
{
    static const QStringList days = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const int offset = (days.indexOf(QLatin1String(weekday)) - 2 + 7) % 7;
    return QDateTime(QDate(2025, 1, 1).addDays(offset), QTime::fromString(QLatin1String(time), "HH:mm:ss"));
}

} // namespace

class TestSchedule : public QObject
{
    Q_OBJECT

private slots:
    void countDown_data();
    void countDown();
    void countDownReachesZeroAndStays();
    void nextRing_data();
    void nextRing();
};

void TestSchedule::countDown_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("hours borrow") << "10:00:00"
                                  << "09:59:59";
    QTest::newRow("three-digit hours") << "100:00:00"
                                       << "99:59:59";
    QTest::newRow("minutes borrow") << "00:01:00"
                                    << "00:00:59";
    QTest::newRow("seconds only") << "00:10:05"
                                  << "00:10:04";
    QTest::newRow("seconds reach zero without a borrow") << "10:00:01"
                                                         << "10:00:00";
    QTest::newRow("two digits kept") << "00:10:10"
                                     << "00:10:09";
    QTest::newRow("long timer") << "999:59:59"
                                << "999:59:58";
    QTest::newRow("last second") << "00:00:01"
                                 << "00:00:00";
    QTest::newRow("run out stays at zero") << "00:00:00"
                                           << "00:00:00";
    QTest::newRow("missing seconds count as 0") << "5:3"
                                                << "05:02:59";
    QTest::newRow("extra part ignored") << "1:2:3:4"
                                        << "01:02:02";
    QTest::newRow("unreadable hours count as 0") << "xx:10:00"
                                                 << "00:09:59";
    QTest::newRow("minutes above 59 kept") << "00:75:00"
                                           << "00:74:59";
    QTest::newRow("empty text is due") << ""
                                       << "00:00:00";
    QTest::newRow("garbage is due") << "abc"
                                    << "00:00:00";
    QTest::newRow("negative is due") << "-1:00:00"
                                     << "00:00:00";
}

void TestSchedule::countDown()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QCOMPARE(Schedule::countDown(before), after);
}

void TestSchedule::countDownReachesZeroAndStays()
{
    // An hour and a bit, second by second: exactly that many steps to zero, then it stays.
    QString t = QStringLiteral("01:01:01");
    int steps = 0;
    while (t != Schedule::kZero && steps < 10000) {
        t = Schedule::countDown(t);
        ++steps;
    }
    QCOMPARE(steps, 3661);
    QCOMPARE(Schedule::countDown(t), Schedule::kZero);
}

void TestSchedule::nextRing_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("text");

    QTest::newRow("09:00 on Wednesday, now Wednesday 10:00")
        << QStringList{"A 09:00 星期三"} << on("Wed", "10:00:00") << "6天23小时0分钟0秒";
    QTest::newRow("11:30 without repeat, now 10:00")
        << QStringList{"A 11:30 否"} << on("Wed", "10:00:00") << "0天1小时30分钟0秒";
    QTest::newRow("timer of ten minutes")
        << QStringList{"T 00:10:00"} << on("Wed", "10:00:00") << "0天0小时10分钟0秒";
    QTest::newRow("timer of 168 hours ignored")
        << QStringList{"T 168:00:00"} << on("Wed", "10:00:00") << "7天0小时0分钟0秒";
    QTest::newRow("timer just under a week")
        << QStringList{"T 167:59:59"} << on("Wed", "10:00:00") << "6天23小时59分钟59秒";
    QTest::newRow("nothing enabled") << QStringList{} << on("Wed", "10:00:00") << "7天0小时0分钟0秒";
    QTest::newRow("due this very second")
        << QStringList{"A 10:00 星期三"} << on("Wed", "10:00:00") << "0天0小时0分钟0秒";
    QTest::newRow("one second into its minute: next week")
        << QStringList{"A 10:00 星期三"} << on("Wed", "10:00:01") << "6天23小时59分钟59秒";
    QTest::newRow("later today") << QStringList{"A 10:30 星期三"} << on("Wed", "10:00:00")
                                 << "0天0小时30分钟0秒";
    QTest::newRow("tomorrow, earlier in the day")
        << QStringList{"A 09:00 星期四"} << on("Wed", "10:00:00") << "0天23小时0分钟0秒";
    QTest::newRow("earlier weekday wraps into next week")
        << QStringList{"A 11:00 星期一"} << on("Wed", "10:00:00") << "5天1小时0分钟0秒";
    QTest::newRow("Sunday night to Monday morning")
        << QStringList{"A 07:00 星期一"} << on("Sun", "23:00:00") << "0天8小时0分钟0秒";
    QTest::newRow("Saturday to Sunday")
        << QStringList{"A 07:00 星期日"} << on("Sat", "06:00:00") << "1天1小时0分钟0秒";
    QTest::newRow("Friday alarm seen on Thursday")
        << QStringList{"A 07:30 星期一|星期五"} << on("Thu", "08:00:00") << "0天23小时30分钟0秒";
    QTest::newRow("smallest of several entries")
        << QStringList{"A 07:30 星期一|星期五", "T 02:00:00", "A 12:00 否"} << on("Thu", "08:00:00")
        << "0天2小时0分钟0秒";
    QTest::newRow("unknown day name adds nothing")
        << QStringList{"A 07:00 Monday"} << on("Wed", "10:00:00") << "7天0小时0分钟0秒";
    QTest::newRow("unreadable alarm time counts as midnight")
        << QStringList{"A xx 否"} << on("Wed", "10:00:00") << "0天14小时0分钟0秒";
    QTest::newRow("alarm seconds are not used")
        << QStringList{"A 10:30:45 星期三"} << on("Wed", "10:00:00") << "0天0小时30分钟0秒";
}

void TestSchedule::nextRing()
{
    QFETCH(QStringList, entries);
    QFETCH(QDateTime, now);
    QFETCH(QString, text);
    const Schedule::NextRing next = Schedule::nextRing(sources(entries), now.time(), now.date().dayOfWeek());
    QCOMPARE(Schedule::formatDuration(next.seconds), text);
    QCOMPARE(next.candidates.size(), entries.size());
    for (const QList<int> &c : next.candidates) {
        for (int seconds : c)
            QVERIFY(seconds >= next.seconds); // the minimum really is the smallest candidate
    }
}

TAVREL_TEST_MAIN(TestSchedule)
#include "tst_schedule.moc"
