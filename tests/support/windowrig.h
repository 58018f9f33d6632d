// A main window on a prepared storage file under a pinned clock that a test moves by hand, with
// the rings it starts recorded, as a person hears them.
#ifndef TAVREL_WINDOWRIG_H
#define TAVREL_WINDOWRIG_H

#include "core/clock.h"
#include "core/storagefile.h"
#include "core/texts.h"
#include "support/soundfiles.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"
#include "ui/ringer.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

namespace Rig {

inline Entry alarm(const QString &name, const QString &time, const QString &repeat = Texts::kNo)
{
    Entry e;
    e.kind = Entry::Kind::Alarm;
    e.name = name;
    e.setTimeText(time);
    e.weekdays = Entry::weekdaysFromText(repeat);
    return e;
}

inline Entry timer(const QString &name, const QString &time)
{
    Entry e;
    e.kind = Entry::Kind::Timer;
    e.name = name;
    e.setTimeText(time);
    return e;
}

inline QByteArray fileOf(const QVector<Entry> &entries)
{
    QStringList lines{StorageHeader::compose(entries.size(), Texts::kNone)};
    for (int i = 0; i < entries.size(); ++i)
        lines << entries.at(i).toStoredLines(i + 1);
    return StorageFile::bytesOf(lines);
}

using ::toneWav;

// 2025-01-06 is a Monday. "Mon 07:30:00" in that week; "Mon2" is the Monday after.
inline QDateTime when(const QString &text)
{
    static const QStringList days = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    const QStringList parts = text.split(QLatin1Char(' '));
    QString day = parts.at(0);
    const int week = day.endsWith(QLatin1Char('2')) ? 7 : 0;
    day.remove(QLatin1Char('2'));
    const QDate date = QDate(2025, 1, 6).addDays(days.indexOf(day) + week);
    return QDateTime(date, QTime::fromString(parts.at(1), QStringLiteral("HH:mm:ss")));
}

// Each widget of one class as it is first shown, with the texts of its labels ("title|message"):
// the reminder boxes, or the tray's balloons. A widget shown again (a balloon when the tray moves
// its icon) counts once.
class ShowLog : public QObject
{
public:
    explicit ShowLog(const char *className) : m_className(className) { qApp->installEventFilter(this); }
    ~ShowLog() override { qApp->removeEventFilter(this); }
    int shown = 0;
    QStringList messages; // one per widget shown

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType() ||
            qstrcmp(watched->metaObject()->className(), m_className) != 0)
            return false;
        for (const QPointer<QObject> &seen : qAsConst(m_seen)) {
            if (seen == watched)
                return false;
        }
        m_seen << watched;
        ++shown;
        QStringList texts;
        for (QLabel *label : watched->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                texts << label->text();
        }
        messages << texts.join(QLatin1Char('|'));
        return false;
    }

private:
    const char *m_className;
    QList<QPointer<QObject>> m_seen;
};

// Qt's own tray balloon, drawn when the desktop has an X11 tray.
class BalloonLog : public ShowLog
{
public:
    BalloonLog() : ShowLog("QBalloonTip") {}
};

class Window
{
public:
    Window(const QVector<Entry> &entries, const TestHome &home, const QDateTime &start = when("Mon 00:00:00"))
    {
        SystemClock::pin(start);
        home.writeStorage(fileOf(entries));
        w = std::make_unique<MainWindow>();
        d = std::make_unique<WindowDriver>(w.get());
        d->show();
        ringer = w->findChild<Ringer *>();
        QObject::connect(ringer, &Ringer::rang, w.get(), [this](int i) {
            const QDateTime now = SystemClock::now().wall;
            rings << QStringLiteral("%1 %2 %3")
                         .arg(i)
                         .arg(SystemClock::weekdayName(Qt::DayOfWeek(now.date().dayOfWeek())),
                              now.toString(QStringLiteral("HH:mm:ss")));
            rangRows << i;
            if (onRing)
                onRing(i);
        });
    }
    ~Window()
    {
        w.reset();
        SystemClock::unpin();
    }

    QCheckBox *box(int i) const { return d->row(i)->enableBox(); }
    QString time(int i) const { return d->time(i); }
    QAction *stopAction() const { return d->action(QStringLiteral("停止")); }
    void stop() const { stopAction()->trigger(); }
    void switchForcedReminder() const { d->forcedReminderAction()->trigger(); }
    bool playing(int i) const { return ringer->isRinging(i); }
    bool anyPlaying() const { return ringer->anyRinging(); }

    // What the timers would do at this moment: ring what is due, then show or blank.
    void tick()
    {
        w->ringDue();
        w->tick();
    }
    void tickAt(const QDateTime &t)
    {
        moveTo(t);
        tick();
    }
    // Time passing moves both clocks; a step back is the wall clock alone, as NTP sets it.
    void moveTo(const QDateTime &t)
    {
        const qint64 ms = SystemClock::now().wall.msecsTo(t);
        if (ms >= 0)
            SystemClock::advance(ms);
        else
            SystemClock::stepWall(ms);
    }
    void step(qint64 ms = 500)
    {
        SystemClock::advance(ms);
        tick();
    }

    // Lets every ring that sounds now play to its end.
    bool waitForSilence(int ms = 5000) const
    {
        return QTest::qWaitFor([this] { return !ringer->anyRinging(); }, ms);
    }

    std::unique_ptr<MainWindow> w;
    std::unique_ptr<WindowDriver> d;
    Ringer *ringer = nullptr;
    QStringList rings;               // "row 星期X HH:mm:ss" each time a ring begins
    QVector<int> rangRows;           // the rows alone, in the order they rang
    std::function<void(int)> onRing; // called as each ring begins
};

} // namespace Rig

Q_DECLARE_METATYPE(Entry)

#endif // TAVREL_WINDOWRIG_H
