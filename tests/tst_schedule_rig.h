// A main window on a prepared storage file, with its tick stopped so a test steps it by hand
// under a pinned clock, and recorders for what a person would see and hear.
#ifndef TAVREL_TST_SCHEDULE_RIG_H
#define TAVREL_TST_SCHEDULE_RIG_H

#include "app/clock.h"
#include "app/mainwindow.h"
#include "storage/storagefile.h"
#include "storage/storagemigration.h"
#include "support/mainwindowprobe.h"
#include "support/testsupport.h"
#include "widgets/prompt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDataStream>
#include <QLabel>
#include <QMediaPlayer>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QtMath>

#include <memory>

namespace Rig {

using StorageFile::Entry;

inline Entry alarm(const QString &name, const QString &time, const QString &repeat = StorageFile::kNo)
{
    Entry e;
    e.type = StorageFile::kAlarm;
    e.name = name;
    e.time = time;
    e.repeat = repeat;
    return e;
}

inline Entry timer(const QString &name, const QString &time)
{
    Entry e;
    e.type = StorageFile::kTimer;
    e.name = name;
    e.time = time;
    return e;
}

inline QStringList fileLines(QList<Entry> entries, const QString &state = StorageFile::kOff)
{
    QStringList lines{StorageFile::composeHeader(entries.size(), StorageFile::kNone)};
    for (int i = 0; i < entries.size(); ++i) {
        entries[i].number = i + 1;
        entries[i].state = state;
        lines << StorageFile::composeRecord(entries.at(i));
    }
    return lines;
}

// A mono 16-bit PCM tone: short enough that a ring ends on its own within a test.
inline QByteArray toneWav(double seconds)
{
    const int rate = 8000;
    const int samples = int(rate * seconds);
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("RIFF", 4);
    s << quint32(36 + samples * 2);
    s.writeRawData("WAVEfmt ", 8);
    s << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2)
      << quint16(16);
    s.writeRawData("data", 4);
    s << quint32(samples * 2);
    for (int n = 0; n < samples; ++n)
        s << qint16(6000 * qSin(2 * M_PI * 440 * n / rate));
    return out;
}

inline QDateTime at(const QDate &date, const char *time)
{
    return QDateTime(date, QTime::fromString(QLatin1String(time), QStringLiteral("HH:mm:ss")), Qt::UTC);
}

// 2025-01-06 is a Monday; day 0 = Monday ... 6 = Sunday of that week.
inline QDate weekday(int day)
{
    return QDate(2025, 1, 6).addDays(day);
}

// Catches Qt's own tray balloon (drawn when the desktop has an X11 tray) as it is shown.
class BalloonLog : public QObject
{
public:
    BalloonLog() { qApp->installEventFilter(this); }
    ~BalloonLog() override { qApp->removeEventFilter(this); }
    QStringList messages; // "title|message"

private:
    QList<QPointer<QObject>> m_seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType() ||
            qstrcmp(watched->metaObject()->className(), "QBalloonTip") != 0)
            return false;
        // A balloon is shown again when the tray moves its icon; count each showMessage once.
        for (const QPointer<QObject> &seen : m_seen) {
            if (seen == watched)
                return false;
        }
        m_seen << watched;
        QStringList texts;
        for (QLabel *label : watched->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                texts << label->text();
        }
        messages << texts.join(QLatin1Char('|'));
        return false;
    }
};

class Window
{
public:
    explicit Window(const QList<Entry> &entries, const TestHome &home)
    {
        home.writeStorage(StorageFile::joinLines(fileLines(entries)));
        w = std::make_unique<MainWindow>();
        MainWindowProbe(w.get()).tickTimer()->stop(); // the test is the clock's hand
        w->show();
        Prompt::centreOnDesktop(w.get());
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("the main window was not exposed");
        for (int i = 0; i < entries.size(); ++i) {
            QObject::connect(player(i), &QMediaPlayer::stateChanged, w.get(),
                             [this, i](QMediaPlayer::State s) {
                                 if (s == QMediaPlayer::PlayingState)
                                     rings << QStringLiteral("%1 %2 %3")
                                                  .arg(i)
                                                  .arg(Clock::weekdayName(Clock::now().date()),
                                                       Clock::now().toString(QStringLiteral("HH:mm:ss")));
                             });
        }
    }
    ~Window() { Clock::pin(QDateTime()); }

    MainWindowProbe probe() const { return MainWindowProbe(w.get()); }
    template <typename T> T *child(const QString &name) const { return w->findChild<T *>(name); }
    QCheckBox *box(int i) const { return child<QCheckBox>(QStringLiteral("qcb%1").arg(i)); }
    QLabel *timeLabel(int i) const { return child<QLabel>(QStringLiteral("ql2%1").arg(i)); }
    QPushButton *rowButton(int i) const
    {
        return child<QPushButton>(QStringLiteral("qpb_BuJuShuZu%1").arg(i));
    }
    QAction *action(const char *name) const { return child<QAction>(QString::fromLatin1(name)); }
    QSystemTrayIcon *tray() const { return child<QSystemTrayIcon>(QStringLiteral("qsti")); }
    QMediaPlayer *player(int i) const { return probe().player(i); }
    bool playing(int i) const { return player(i)->state() == QMediaPlayer::PlayingState; }

    void tick() { probe().tick(); }
    void tickAt(const QDateTime &t)
    {
        Clock::pin(t);
        tick();
    }

    // Steps the pinned clock from `from` up to `to`, one tick per `step` seconds. A ring is let
    // play to its end before time moves on, as a short sound would within its minute.
    bool walk(const QDateTime &from, const QDateTime &to, int step = 15)
    {
        for (QDateTime t = from; t < to; t = t.addSecs(step)) {
            tickAt(t);
            if (!waitForSilence())
                return false;
        }
        return true;
    }

    bool waitForSilence(int ms = 5000)
    {
        for (int i = 0; i < probe().entryCount(); ++i) {
            if (playing(i) && !QTest::qWaitFor([&] { return !playing(i); }, ms))
                return false;
        }
        return true;
    }

    std::unique_ptr<MainWindow> w;
    QStringList rings; // "row 星期X HH:mm:ss" each time a player starts
};

} // namespace Rig

Q_DECLARE_METATYPE(StorageFile::Entry)

#endif // TAVREL_TST_SCHEDULE_RIG_H
