#ifndef TAVREL_RINGER_H
#define TAVREL_RINGER_H

#include "core/entry.h"
#include "ui/mediabackend.h"

#include <QDateTime>
#include <QHash>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QTimer>

class Notifier;
class QMainWindow;
class ReminderBox;
class QSystemTrayIcon;

// A trace of the moments that make up a ring, for measuring how late a ring is heard:
//   QT_LOGGING_RULES="tavrel.ring.info=true"
// Each line carries the wall clock in ms since the epoch.
Q_DECLARE_LOGGING_CATEGORY(lcRing)

// What one ring is to do, as the window composes it from the scheduler's decision.
struct RingRequest
{
    int entry = -1;         // the row
    Entry what;             // name, kind, sound, command, loop
    QString shownTime;      // an alarm's "HH:mm" as its row shows it
    bool notify = true;     // a message on the desktop
    bool runCommand = true; // the command file, if it has one
    bool forced = false;    // maximise the window and raise the reminder box
    QString lateFrom;       // "HH:mm" it was due at when the clock jumped past it; empty when on time
};

// The one place that rings: it plays the sound, shows the tray message, runs the command file and
// raises the forced reminder. A player exists only while its ring sounds.
class Ringer : public QObject
{
    Q_OBJECT

public:
    Ringer(QMainWindow *window, QSystemTrayIcon *tray);
    ~Ringer() override;

    // The media back end (the media service, GStreamer and its decoders: several MB) is loaded
    // only once something may ring, so a list with nothing enabled stays light. loadBackEndSoon()
    // loads it a moment later, after the click that enabled an entry has been drawn, so the first
    // ring does not wait for it; a ring that comes first loads it itself. Once per run.
    void loadBackEndSoon();
    void loadBackEnd();

    void ring(const RingRequest &request);
    void stop(int entry); // silences it; no soundEnded follows
    void stopAll();
    bool isRinging(int entry) const { return m_players.contains(entry); }
    bool anyRinging() const { return !m_players.isEmpty(); }
    // The row of a deleted entry is gone: the rows below move up one, and so do their rings.
    void entryRemoved(int entry);
    // The ring's message on the desktop, whose actions the window answers.
    Notifier *notifier() const { return m_notifier; }

    static QString trayTitle(const Entry &entry);
    static QString trayMessage(const RingRequest &request);
    static qint64 stamp();

signals:
    void rang(int entry);       // a ring began
    void soundEnded(int entry); // played to its end, or failed even with the built-in ring
    void ringingChanged();
    void snoozeAsked(int entry); // from a reminder box or a notification

private:
    void startSound(int entry, const QString &sound, bool loop);
    QObject *makePlayer(const QString &sound, bool loop);
    void playerEvent(QObject *player, SoundEvent event);
    int rowOf(const QObject *player) const;
    void soundFailed(int entry);
    void playerStopped(int entry, QObject *player);
    void release(int entry);
    void runCommandFile(const QString &path);
    void raiseReminder(int entry, const QString &name);

    struct Playing
    {
        QObject *player = nullptr; // the media module's; null when it could not be loaded
        QString sound;             // empty: the built-in ring
        bool loop = false;
    };

    QMainWindow *m_window;
    Notifier *m_notifier; // shows each ring's message, on the tray when nothing better is there
    QHash<int, Playing> m_players;
    QList<QPointer<ReminderBox>> m_reminders; // the boxes on screen, which follow their rows
    bool m_backEndLoaded = false;
    QTimer m_backEndTimer;
};

#endif // TAVREL_RINGER_H
