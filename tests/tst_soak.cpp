// Days of the real main window with twenty entries, in Europe/Berlin across both daylight-saving
// changes. The pinned clock moves half a second per tick on both its clocks, as time passing
// moves them, and real players play a short sound for every ring. Every ring heard is checked
// against what the entries' definitions say, the storage file against what was stored, and memory
// against its start. TAVREL_SOAK_DAYS sets the days around each change (1 by default;
// scripts/soak.sh: 7).
#include "core/clock.h"
#include "core/nextring.h"
#include "core/storagefile.h"
#include "core/texts.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"
#include "support/windowrig.h"
#include "tst_soak_model.h"
#include "ui/reminderbox.h"
#include "ui/ringer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaPlayer>
#include <QPointer>

#include <ctime>
#include <functional>
#include <memory>

using Rig::alarm;
using Rig::fileOf;
using Rig::ShowLog;
using Rig::timer;
using Rig::toneWav;
using SoakModel::Expected;
using SoakModel::Kind;

namespace {

const QString kDaily = QStringLiteral("星期一|星期二|星期三|星期四|星期五|星期六|星期日");
const QString kWorkdays = QStringLiteral("星期一|星期二|星期三|星期四|星期五");
const qint64 kTickMs = 500;
const qint64 kForcedPeriodMs = 5 * 3600 * 1000; // the forced reminder is switched every 5 hours
const qint64 kSampleMs = 6 * 3600 * 1000;
const int kLoopTicks = 8; // a looping ring is stopped with 停止 after 4 seconds
// Growth from the twelve-hour sample on, once the first rings have loaded the sound system (about
// 16 MB, once per process): a leak per ring or tick shows as megabytes by the end.
const long kSteadyGrowthKb = 3 * 1024;

Entry looping(Entry e)
{
    e.loop = true;
    return e;
}

// Daily, workday, weekend and weekly alarms, one-shots, two in one minute, three inside the hour
// the clocks change, and repeating timers, two of them looping until stopped.
QVector<Entry> soakEntries()
{
    return {alarm("起床", "07:00", kDaily),
            alarm("上班", "08:15", kWorkdays),
            alarm("周末", "09:30", "星期六|星期日"),
            looping(alarm("午饭", "12:30", kDaily)),
            alarm("吃药", "02:30", kDaily),
            alarm("周日夜", "02:40", "星期日"),
            alarm("一次", "02:15"),
            alarm("提醒", "18:00"),
            alarm("同分甲", "21:00", kDaily),
            alarm("同分乙", "21:00", kDaily),
            alarm("午夜", "00:00", kDaily),
            alarm("末分", "23:59", "星期一|星期三|星期五"),
            alarm("三点", "03:00", kDaily),
            looping(alarm("周二", "14:45", "星期二")),
            timer("面包", "00:47:13"),
            timer("洗衣", "01:30:00"),
            looping(timer("番茄", "00:40:00")),
            timer("长", "05:00:00"),
            timer("短", "00:53:20"),
            looping(timer("跨夜", "02:00:00"))};
}

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

QString local(qint64 ms)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    return SoakModel::weekdayOf(t.date()) + t.toString(QStringLiteral(" MM-dd HH:mm:ss t"));
}

// Every record line but the state lines: what must survive the run byte for byte.
QStringList withoutStates(const QByteArray &bytes)
{
    QStringList kept;
    for (const QString &line : StorageFile::linesOf(bytes)) {
        if (!line.startsWith(QStringLiteral("状态,")))
            kept << line;
    }
    return kept;
}

// The rig's window, and every ring it starts as a person hears it: a player of its own that is
// playing.
class SoakWindow : public Rig::Window
{
public:
    SoakWindow(const QVector<Entry> &entries, const TestHome &home, const QDateTime &start)
        : Rig::Window(entries, home, start)
    {
        QObject::connect(ringer, &Ringer::ringingChanged, w.get(), [this] { countPlayersHeard(); });
    }

    int playersHeard = 0; // players seen playing as their ring began

private:
    void countPlayersHeard()
    {
        for (QMediaPlayer *p : ringer->findChildren<QMediaPlayer *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (!p->property("soakHeard").toBool() && p->state() == QMediaPlayer::PlayingState) {
                p->setProperty("soakHeard", true);
                ++playersHeard;
            }
        }
    }
};

struct HeardRing
{
    int row;
    qint64 ms;
};

} // namespace

// One window of simulated time: the window, the person's hand and the books.
class SoakRun
{
public:
    SoakRun(const TestHome &home, qint64 fromMs, qint64 toMs)
        : m_entries(soakEntries()), m_from(fromMs), m_to(toMs)
    {
        const QString sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.1));
        for (Entry &e : m_entries)
            e.sound = sound;
        // The person enables everything half a second before the first tick.
        m_now = m_from - kTickMs;
        m_r = std::make_unique<SoakWindow>(m_entries, home,
                                           QDateTime::fromMSecsSinceEpoch(m_now, Qt::LocalTime));
        m_stored = withoutStates(home.storageBytes());
        m_r->onRing = [this](int i) { onRing(i); };
        m_enabledAt.fill(-1, m_entries.size());
        m_playingTicks.fill(0, m_entries.size());
        m_timerRang.fill(false, m_entries.size());
    }

    void run();
    void checkAlarms();
    void checkTimers();
    int doubled() const;

    QStringList faults; // every ring missed, doubled, early or late
    QStringList notes;  // what happened at the changed hours
    QList<long> rss;    // KB: before the first tick, then every six hours from it, and at the end
    int expectedRings = 0;
    int remindersExpected = 0;
    ShowLog reminders{"ReminderBox"};
    Rig::BalloonLog balloons;
    std::unique_ptr<SoakWindow> m_r;
    QStringList m_stored;
    QList<HeardRing> heard;

private:
    void onRing(int i);
    void afterTick();
    void stopLongLoops();
    void dismissReminders();
    void reEnableFinishedTimers();
    void enable(int i);
    bool isTimer(int i) const { return m_entries.at(i).isTimer(); }
    qint64 duration(int i) const { return m_entries.at(i).timerSeconds * qint64(1000); }
    void checkTimerRing(int i);

    QVector<Entry> m_entries;
    qint64 m_from;
    qint64 m_to;
    qint64 m_now = 0;
    bool m_forced = false;
    QVector<qint64> m_enabledAt; // timers: when the person last enabled it
    QVector<int> m_playingTicks;
    QVector<bool> m_timerRang;
    int m_quietTicks = 0;
};

void SoakRun::run()
{
    rss << rssKb();
    for (int i = 0; i < m_entries.size(); ++i)
        enable(i);
    for (m_now += kTickMs; m_now < m_to; m_now += kTickMs) {
        if ((m_now - m_from) % kForcedPeriodMs == 0 && m_now != m_from) {
            m_r->switchForcedReminder();
            m_forced = !m_forced;
        }
        m_r->step();
        QCOMPARE(SystemClock::now().wall.toMSecsSinceEpoch(), m_now);
        afterTick();
        if ((m_now - m_from) % kSampleMs == 0)
            rss << rssKb();
    }
    if (!m_r->waitForSilence())
        faults << QStringLiteral("a sound did not end after the run");
    dismissReminders();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    rss << rssKb();
}

void SoakRun::onRing(int i)
{
    heard << HeardRing{i, m_now};
    if (qEnvironmentVariableIsSet("TAVREL_SOAK_LOG"))
        qInfo("ring %s %s%s", qPrintable(m_entries.at(i).name), qPrintable(local(m_now)),
              m_forced ? " forced" : "");
    if (isTimer(i))
        checkTimerRing(i);
    if (m_forced)
        ++remindersExpected;
}

// A sound takes real time; time stands still for the window only as long as a person would
// notice: the ticks go on, half a simulated second each, while the sound plays. When all is quiet
// the event loop still runs now and then, as it would between ticks.
void SoakRun::afterTick()
{
    if (m_r->anyPlaying()) {
        QTest::qWait(10);
        stopLongLoops();
    } else if (++m_quietTicks % 40 == 0) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    dismissReminders();
    if (!m_r->anyPlaying())
        reEnableFinishedTimers();
}

void SoakRun::stopLongLoops()
{
    bool stop = false;
    for (int i = 0; i < m_entries.size(); ++i) {
        m_playingTicks[i] = m_r->playing(i) ? m_playingTicks[i] + 1 : 0;
        stop = stop || (m_entries.at(i).loop && m_playingTicks[i] >= kLoopTicks);
    }
    if (stop)
        m_r->stop();
}

// The person reads each reminder and presses its OK.
void SoakRun::dismissReminders()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<ReminderBox *>(w);
        if (box && box->isVisible() && !box->buttons().isEmpty())
            box->buttons().first()->click();
        else if (box && box->isVisible())
            box->close();
    }
}

// A timer rings once and is then disabled; the person sets it going again.
void SoakRun::reEnableFinishedTimers()
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (isTimer(i) && !m_r->box(i)->isChecked())
            enable(i);
    }
}

void SoakRun::enable(int i)
{
    m_r->d->clickBox(i);
    if (!m_r->box(i)->isChecked())
        faults << QStringLiteral("%1 did not enable at %2").arg(m_entries.at(i).name, local(m_now));
    if (!isTimer(i))
        return;
    m_enabledAt[i] = m_now;
    m_timerRang[i] = false;
    if (m_now + duration(i) + 1000 <= m_to)
        ++expectedRings;
}

void SoakRun::checkAlarms()
{
    const QList<SoakModel::Minute> all = SoakModel::minutes(m_from, m_to);
    QList<bool> explained;
    for (const HeardRing &ring : qAsConst(heard))
        explained << isTimer(ring.row);
    for (int i = 0; i < m_entries.size(); ++i) {
        if (isTimer(i))
            continue;
        const Entry &entry = m_entries.at(i);
        const QString time = entry.timeText();
        for (const Expected &e : SoakModel::alarmRings(i, time, Entry::weekdaysText(entry.weekdays), all)) {
            QStringList at;
            for (int n = 0; n < heard.size(); ++n) {
                const HeardRing &ring = heard.at(n);
                if (ring.row == i && ring.ms >= e.minuteUtcMs && ring.ms < e.minuteUtcMs + 60000) {
                    explained[n] = true;
                    at << local(ring.ms);
                }
            }
            ++expectedRings;
            const QString what = QStringLiteral("%1 (%2): %3 ring(s) %4")
                                     .arg(e.label, entry.name)
                                     .arg(at.size())
                                     .arg(at.join(QStringLiteral(", ")));
            if (e.kind != Kind::Once)
                notes << (e.kind == Kind::Skipped ? QStringLiteral("skipped hour ")
                                                  : QStringLiteral("repeated hour ")) +
                             what;
            if (at.size() != 1)
                faults << QStringLiteral("alarm ") + what;
        }
    }
    for (int n = 0; n < heard.size(); ++n) {
        if (!explained.at(n))
            faults << QStringLiteral("unexpected ring of %1 at %2")
                          .arg(m_entries.at(heard.at(n).row).name, local(heard.at(n).ms));
    }
}

// Rings of one entry within one minute: a doubled ring, whatever its cause.
int SoakRun::doubled() const
{
    QSet<QPair<int, qint64>> seen;
    int twice = 0;
    for (const HeardRing &ring : heard) {
        const QPair<int, qint64> key(ring.row, ring.ms / 60000);
        if (seen.contains(key))
            ++twice;
        seen.insert(key);
    }
    return twice;
}

// A timer that was enabled long enough before the end and never rang.
void SoakRun::checkTimers()
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (isTimer(i) && !m_timerRang[i] && m_enabledAt[i] + duration(i) + 1000 <= m_to)
            faults << QStringLiteral("timer %1 enabled at %2 never rang")
                          .arg(m_entries.at(i).name, local(m_enabledAt[i]));
    }
}

// A timer rings when its duration has run from the moment it was enabled, give or take the
// tick that finds it at zero.
void SoakRun::checkTimerRing(int i)
{
    const qint64 late = m_now - m_enabledAt[i] - duration(i);
    if (m_timerRang[i])
        faults << QStringLiteral("timer %1 rang again at %2").arg(m_entries.at(i).name, local(m_now));
    else if (late < 0 || late > 1000)
        faults << QStringLiteral("timer %1 enabled at %2 rang at %3")
                      .arg(m_entries.at(i).name, local(m_enabledAt[i]), local(m_now));
    m_timerRang[i] = true;
}

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void changedNights_data();
    void changedNights();
    void otherEntryChangesWithinRingMinute_data();
    void otherEntryChangesWithinRingMinute();
    void timerFinishingBesideARingingOne();
    void timerRingEndingAsTheMinuteTurns();
    void longRingGoesOnWhenAnotherEntryChanges();
    void closedReminderIsFreed();
    void toggleIconsAreNotMadeAgain();
    void soak_data();
    void soak();
};

void TestSoak::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QDateTime winter(QDate(2026, 1, 15), QTime(12, 0));
    const QDateTime summer(QDate(2026, 7, 15), QTime(12, 0));
    QCOMPARE(winter.offsetFromUtc(), 3600);
    QCOMPARE(summer.offsetFromUtc(), 7200);
}

void TestSoak::cleanup()
{
    TestSupport::closeAllPrompts();
    SystemClock::unpin();
}

namespace {
QDateTime berlin(const char *text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
// 2025-01-06 is a Monday.
QDateTime monday(const char *time)
{
    return QDateTime(QDate(2025, 1, 6), QTime::fromString(QLatin1String(time), QStringLiteral("HH:mm:ss")));
}
} // namespace

// A daily alarm enabled the evening before a changed night, as the window rings it: the first
// ring after the evening, at a moment given in UTC so the repeated hour can be told apart.
void TestSoak::changedNights_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QDateTime>("evening");
    QTest::addColumn<QDateTime>("ringUtc");
    const QDateTime spring = berlin("2026-03-28 20:00:00");
    const QDateTime autumn = berlin("2026-10-24 20:00:00");
    QTest::newRow("spring 02:30: the first minute after the jump, 03:00 CEST")
        << "02:30" << spring << QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
    QTest::newRow("spring 02:00 is skipped too")
        << "02:00" << spring << QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
    QTest::newRow("spring 02:59 is skipped too")
        << "02:59" << spring << QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
    QTest::newRow("spring 03:00 rings at its own minute")
        << "03:00" << spring << QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
    QTest::newRow("spring 01:59 exists")
        << "01:59" << spring << QDateTime(QDate(2026, 3, 29), QTime(0, 59), Qt::UTC);
    QTest::newRow("autumn 02:30: the first showing, CEST")
        << "02:30" << autumn << QDateTime(QDate(2026, 10, 25), QTime(0, 30), Qt::UTC);
    QTest::newRow("autumn 02:00: the first showing")
        << "02:00" << autumn << QDateTime(QDate(2026, 10, 25), QTime(0, 0), Qt::UTC);
    QTest::newRow("autumn 02:59: the first showing")
        << "02:59" << autumn << QDateTime(QDate(2026, 10, 25), QTime(0, 59), Qt::UTC);
    QTest::newRow("autumn 03:00 comes once, after the second 02:59")
        << "03:00" << autumn << QDateTime(QDate(2026, 10, 25), QTime(2, 0), Qt::UTC);
}

// Walks the night minute by minute on the UTC clock and records every ring: exactly one, at
// the expected minute, and none in the repeated hour's second showing.
void TestSoak::changedNights()
{
    QFETCH(QString, time);
    QFETCH(QDateTime, evening);
    QFETCH(QDateTime, ringUtc);
    TestHome home;
    Entry e = alarm(QStringLiteral("吃药"), time, kDaily);
    e.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.05));
    SoakWindow r({e}, home, evening);
    r.d->clickBox(0);
    QVector<qint64> at;
    r.onRing = [&at](int) { at << SystemClock::now().wall.toMSecsSinceEpoch(); };
    for (int minute = 0; minute < 10 * 60; ++minute) {
        r.step(30 * 1000);
        r.step(30 * 1000);
        if (r.anyPlaying())
            QVERIFY(r.waitForSilence());
    }
    QCOMPARE(at.size(), 1);
    QCOMPARE(QDateTime::fromMSecsSinceEpoch(at.first(), Qt::UTC).toString(Qt::ISODate),
             ringUtc.toString(Qt::ISODate));
}

// An entry that has rung in this minute does not ring again when another entry changes, nor
// when it is itself disabled and enabled again: that occurrence has had its ring.
void TestSoak::otherEntryChangesWithinRingMinute_data()
{
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<bool>("enabledAfter");
    QTest::newRow("daily alarm, another entry enabled") << kDaily << QList<int>{1} << true;
    QTest::newRow("one-shot alarm, another entry enabled") << "否" << QList<int>{1} << false;
    QTest::newRow("daily alarm disabled and enabled again") << kDaily << QList<int>{0, 0} << true;
    QTest::newRow("one-shot alarm over, enabled again") << "否" << QList<int>{0} << true;
}

void TestSoak::otherEntryChangesWithinRingMinute()
{
    QFETCH(QString, repeat);
    QFETCH(QList<int>, clicks);
    QFETCH(bool, enabledAfter);
    TestHome home;
    Entry wake = alarm(QStringLiteral("起床"), QStringLiteral("07:30"), repeat);
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:10:00"));
    wake.sound = tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    SoakWindow r({wake, tea}, home, monday("07:29:55"));
    r.d->clickBox(0);
    for (int n = 0; n < 16 && !r.playing(0); ++n)
        r.step();
    QVERIFY(r.playing(0));
    QVERIFY(r.waitForSilence()); // its sound ends before the next tick has seen it

    for (int row : clicks)
        r.d->clickBox(row);
    for (int n = 0; n < 140; ++n)
        r.step();
    QVERIFY(r.waitForSilence());
    QCOMPARE(r.rangRows.size(), 1);
    QCOMPARE(r.playersHeard, 1);
    QCOMPARE(r.box(0)->isChecked(), enabledAfter);
}

// A looping timer's ring goes on while another timer reaches zero and ends on its own; the
// ended one is over, the looping one still sounds, each with one reminder.
void TestSoak::timerFinishingBesideARingingOne()
{
    TestHome home;
    Entry bread = looping(timer(QStringLiteral("面包"), QStringLiteral("00:00:02")));
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    bread.sound = tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    SoakWindow r({bread, tea}, home, monday("10:00:00"));
    ShowLog reminders("ReminderBox");
    r.switchForcedReminder();
    r.d->clickBox(0);
    r.d->clickBox(1);
    r.step();
    r.step();
    QVERIFY(r.playing(1));
    QVERIFY(QTest::qWaitFor([&] { return !r.playing(1); }, 5000));
    r.step();
    r.step();
    QVERIFY(r.playing(0));
    QVERIFY(!r.box(1)->isChecked());
    QCOMPARE(r.rangRows, (QVector<int>{1, 0}));
    QCOMPARE(reminders.shown, 2);
    r.stop();
    QVERIFY(!r.anyPlaying());
    QVERIFY(!r.box(0)->isChecked());
}

// A timer rings once each time it is enabled, also when another entry changes just after its
// sound ended as the minute turned.
void TestSoak::timerRingEndingAsTheMinuteTurns()
{
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    Entry bread = timer(QStringLiteral("面包"), QStringLiteral("00:10:00"));
    tea.sound = bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    SoakWindow r({tea, bread}, home, monday("10:00:58"));
    r.d->clickBox(0);
    for (int n = 0; n < 4 && !r.playing(0); ++n)
        r.step();
    QVERIFY(r.playing(0));
    QVERIFY(r.waitForSilence());

    SystemClock::setWall(monday("10:01:00"));
    r.d->clickBox(1);
    for (int n = 0; n < 10; ++n)
        r.step();
    QCOMPARE(r.rangRows, QVector<int>{0});
    QVERIFY(!r.box(0)->isChecked());
    QVERIFY(r.box(1)->isChecked());
}

// A looping ring that goes on past its minute is still the same ring when another entry
// changes: the sound goes on and no second reminder box comes up.
void TestSoak::longRingGoesOnWhenAnotherEntryChanges()
{
    TestHome home;
    Entry bread = looping(timer(QStringLiteral("面包"), QStringLiteral("00:00:01")));
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:10:00"));
    bread.sound = tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    SoakWindow r({bread, tea}, home, monday("10:00:00"));
    ShowLog reminders("ReminderBox");
    r.switchForcedReminder();
    r.d->clickBox(0);
    r.step();
    r.step();
    QVERIFY(r.playing(0));
    QCOMPARE(reminders.shown, 1);

    r.step(2 * 60 * 1000);
    r.d->clickBox(1);
    r.step();
    r.step();
    QVERIFY(r.playing(0));
    QCOMPARE(r.rangRows.size(), 1);
    QCOMPARE(reminders.shown, 1);
    r.stop();
}

// One box per ring, each nearly desktop-sized: once the person presses OK it is gone.
void TestSoak::closedReminderIsFreed()
{
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"));
    tea.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.2));
    SoakWindow r({tea}, home, monday("10:00:00"));
    r.switchForcedReminder();
    r.d->clickBox(0);
    r.step();
    r.step();
    QList<ReminderBox *> boxes = r.w->findChildren<ReminderBox *>();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first()->isVisible());
    QVERIFY(!boxes.first()->buttons().isEmpty());
    boxes.first()->buttons().first()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(r.w->findChildren<ReminderBox *>().size(), 0);
    QVERIFY(r.waitForSilence());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(r.ringer->findChildren<QMediaPlayer *>().size(), 0); // its player went with the ring
}

// The toggle command shows one of two pictures as entries are enabled and finish. A picture made
// afresh at each change has a new cache key, and every key leaves scaled copies in the pixmap
// cache: the memory of a long run grew by megabytes that way.
void TestSoak::toggleIconsAreNotMadeAgain()
{
    TestHome home;
    Entry tea = timer(QStringLiteral("泡茶"), QStringLiteral("00:10:00"));
    SoakWindow r({tea}, home, monday("10:00:00"));
    QAction *toggle = r.d->action(Texts::kToggleCommand);
    QVERIFY(toggle);
    QSet<qint64> keys;
    for (int n = 0; n < 6; ++n) {
        r.d->clickBox(0);
        keys << toggle->icon().cacheKey();
    }
    QCOMPARE(keys.size(), 2);
}

void TestSoak::soak_data()
{
    QTest::addColumn<QDate>("changeDay");
    QTest::newRow("spring: 02:00 jumps to 03:00") << QDate(2026, 3, 29);
    QTest::newRow("autumn: 03:00 goes back to 02:00") << QDate(2026, 10, 25);
}

void TestSoak::soak()
{
    QFETCH(QDate, changeDay);
    const int days = qMax(1, qEnvironmentVariableIntValue("TAVREL_SOAK_DAYS"));
    const QDate first = changeDay.addDays(-qMax(1, days - 1));
    const qint64 from = QDateTime(first, QTime(12, 0, 20), Qt::LocalTime).toMSecsSinceEpoch();
    const qint64 to = QDateTime(first.addDays(days), QTime(12, 0, 20), Qt::LocalTime).toMSecsSinceEpoch();
    TestHome home;
    QElapsedTimer wall;
    wall.start();
    SoakRun run(home, from, to);
    run.run();
    run.checkAlarms();
    run.checkTimers();
    for (const QString &note : qAsConst(run.notes))
        qInfo("%s", qPrintable(note));
    for (const QString &fault : qAsConst(run.faults))
        qWarning("%s", qPrintable(fault));
    QStringList rss;
    for (long kb : qAsConst(run.rss))
        rss << QString::number(kb / 1024.0, 'f', 1);
    const long growthKb = run.rss.last() - run.rss.first();
    const long steadyGrowthKb = run.rss.last() - run.rss.value(2);
    qInfo(
        "%s to %s: rings expected %d, heard %d (players %d), doubled %d; tray messages %d; reminders %d/%d; "
        "wall %.1f s",
        qPrintable(local(from)), qPrintable(local(to)), run.expectedRings, run.heard.size(),
        run.m_r->playersHeard, run.doubled(), run.balloons.messages.size(), run.reminders.shown,
        run.remindersExpected, wall.elapsed() / 1000.0);
    // The first rings load the sound system once; what comes after them is what a long run adds.
    qInfo("RSS MB at the start and every 6 h: %s; growth start to end %.1f MB, after the first twelve hours "
          "%.1f MB (limit %.1f MB)",
          qPrintable(rss.join(QLatin1Char(' '))), growthKb / 1024.0, steadyGrowthKb / 1024.0,
          kSteadyGrowthKb / 1024.0);
    QVERIFY2(run.faults.isEmpty(), qPrintable(run.faults.join(QLatin1Char('\n'))));
    QCOMPARE(run.heard.size(), run.expectedRings);
    QCOMPARE(run.m_r->playersHeard, run.heard.size());
    QCOMPARE(run.doubled(), 0);
    QCOMPARE(run.reminders.shown, run.remindersExpected);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QCOMPARE(run.balloons.messages.size(), run.heard.size()); // every ring told in the tray
    QCOMPARE(TestSupport::shownPromptTexts(), QStringList());
    QCOMPARE(withoutStates(home.storageBytes()), run.m_stored);
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer keeps freed memory in quarantine: RSS says nothing
    QVERIFY2(run.rss.size() > 3 && steadyGrowthKb < kSteadyGrowthKb,
             "memory grew by megabytes after the first rings");
#endif
}

TAVREL_TEST_MAIN(TestSoak)
#include "tst_soak.moc"
