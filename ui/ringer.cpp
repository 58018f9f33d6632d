#include "ui/ringer.h"

#include "core/clock.h"
#include "core/texts.h"
#include "ui/notifier.h"
#include "ui/prompt.h"
#include "ui/reminderbox.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QUrl>

Q_LOGGING_CATEGORY(lcRing, "tavrel.ring", QtWarningMsg)

namespace {
const int kBackEndDelayMs = 100; // the enabled row and the tray icon are drawn first

bool playableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}
} // namespace

Ringer::Ringer(QMainWindow *window, QSystemTrayIcon *tray)
    : QObject(window), m_window(window), m_notifier(new Notifier(tray, this))
{
    connect(this, &Ringer::soundEnded, m_notifier, &Notifier::close); // the ring is over
    connect(m_notifier, &Notifier::snoozeAsked, this, &Ringer::snoozeAsked);
    m_backEndTimer.setSingleShot(true);
    connect(&m_backEndTimer, &QTimer::timeout, this, &Ringer::loadBackEnd);
}

Ringer::~Ringer()
{
    stopAll();
}

qint64 Ringer::stamp()
{
    return SystemClock::now().wall.toMSecsSinceEpoch();
}

QString Ringer::trayTitle(const Entry &entry)
{
    return entry.isAlarm() ? Texts::kAlarmRangTitle : Texts::kTimerRangTitle;
}

QString Ringer::trayMessage(const RingRequest &request)
{
    QString message = request.what.name + Texts::kArrived;
    if (request.what.isAlarm())
        message = Texts::kAlarmTimeOpen + request.shownTime + Texts::kAlarmTimeClose + message;
    if (!request.lateFrom.isEmpty())
        message += Texts::lateRingNote(request.lateFrom);
    return message;
}

void Ringer::loadBackEndSoon()
{
    if (!m_backEndLoaded && !m_backEndTimer.isActive())
        m_backEndTimer.start(kBackEndDelayMs);
}

void Ringer::loadBackEnd()
{
    m_backEndTimer.stop();
    if (m_backEndLoaded)
        return;
    m_backEndLoaded = true;
    if (MediaBackEnd *backEnd = mediaBackEnd())
        backEnd->load(soundUrl(QString()));
}

void Ringer::ring(const RingRequest &request)
{
    const Entry &entry = request.what;
    qCInfo(lcRing, "ring entry=%d type=%s ms=%lld", request.entry, entry.isAlarm() ? "alarm" : "timer",
           stamp());
    release(request.entry); // a weekly alarm still ringing at its next time starts afresh
    startSound(request.entry, entry.sound, entry.loop);
    if (request.notify)
        m_notifier->show(request.entry, trayTitle(entry), trayMessage(request));
    if (request.runCommand && !entry.command.isEmpty())
        runCommandFile(entry.command);
    if (request.forced)
        raiseReminder(request.entry, entry.name);
    emit rang(request.entry);
}

void Ringer::startSound(int entry, const QString &sound, bool loop)
{
    QString chosen = sound;
    if (!chosen.isEmpty() && !playableFile(chosen)) {
        Prompt::show(m_window, Texts::soundFailed(chosen));
        chosen.clear();
    }
    QObject *player = makePlayer(chosen, loop);
    if (!player) { // no media module: the ring goes on without a sound, and the person knows it
        Prompt::show(m_window, Texts::kNoSoundModule);
        QMetaObject::invokeMethod(
            this, [this, entry] { emit soundEnded(entry); }, Qt::QueuedConnection);
        return;
    }
    m_players.insert(entry, Playing{player, chosen, loop});
    mediaBackEnd()->play(player);
    emit ringingChanged();
}

QObject *Ringer::makePlayer(const QString &sound, bool loop)
{
    m_backEndTimer.stop();
    m_backEndLoaded = true; // this player loads it, if nothing did before
    MediaBackEnd *backEnd = mediaBackEnd();
    if (!backEnd)
        return nullptr;
    return backEnd->makePlayer(this, soundUrl(sound), loop,
                               [this](QObject *player, SoundEvent event) { playerEvent(player, event); });
}

void Ringer::playerEvent(QObject *player, SoundEvent event)
{
    const int row = rowOf(player);
    switch (event) {
    case SoundEvent::Playing:
        qCInfo(lcRing, "playing entry=%d ms=%lld", row, stamp());
        break;
    case SoundEvent::Buffered:
        qCInfo(lcRing, "buffered entry=%d ms=%lld", row, stamp());
        break;
    case SoundEvent::Stopped:
        playerStopped(row, player);
        break;
    case SoundEvent::Failed:
        if (row >= 0)
            soundFailed(row);
        break;
    case SoundEvent::RanOut:
        break; // Stopped follows
    }
}

int Ringer::rowOf(const QObject *player) const
{
    for (auto it = m_players.cbegin(); it != m_players.cend(); ++it) {
        if (it.value().player == player)
            return it.key();
    }
    return -1;
}

// The chosen file could not be played: the ring goes on at once with the built-in sound, and the
// person learns which file failed. Should even the built-in ring fail, the ring is over.
void Ringer::soundFailed(int entry)
{
    const Playing failed = m_players.value(entry);
    release(entry);
    if (failed.sound.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, entry] { emit soundEnded(entry); }, Qt::QueuedConnection);
        emit ringingChanged();
        return;
    }
    Prompt::show(m_window, Texts::soundFailed(failed.sound));
    startSound(entry, QString(), failed.loop);
}

void Ringer::playerStopped(int entry, QObject *player)
{
    if (entry < 0 || m_players.value(entry).player != player)
        return; // stopped by us, or already replaced
    release(entry);
    emit ringingChanged();
    emit soundEnded(entry);
}

void Ringer::release(int entry)
{
    QObject *player = m_players.take(entry).player;
    if (player)
        mediaBackEnd()->discard(player); // may be inside one of its own signals
}

void Ringer::stop(int entry)
{
    m_notifier->close(entry); // also a ring that had no sound to play
    if (!isRinging(entry))
        return;
    release(entry);
    emit ringingChanged();
}

void Ringer::stopAll()
{
    m_notifier->closeAll();
    const QList<int> entries = m_players.keys();
    for (int entry : entries)
        release(entry);
    if (!entries.isEmpty())
        emit ringingChanged();
}

void Ringer::entryRemoved(int entry)
{
    stop(entry);
    m_notifier->entryRemoved(entry);
    for (ReminderBox *box : qAsConst(m_reminders)) {
        if (box && box->entry() >= entry)
            box->setEntry(box->entry() == entry ? -1 : box->entry() - 1);
    }
    QHash<int, Playing> moved;
    for (auto it = m_players.cbegin(); it != m_players.cend(); ++it)
        moved.insert(it.key() > entry ? it.key() - 1 : it.key(), it.value());
    m_players = moved;
}

// Programs are started with an argument list, never through a shell line: paths may hold
// spaces, quotes and commas.
void Ringer::runCommandFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return;
    if (path.endsWith(QStringLiteral(".desktop"))) {
        MediaBackEnd *backEnd = mediaBackEnd();
        QStringList exec = backEnd ? backEnd->desktopEntryCommand(path) : QStringList();
        const QString program = exec.isEmpty() ? QString() : exec.takeFirst();
        QProcess::startDetached(program, exec);
    } else if (path.endsWith(QStringLiteral(".sh"))) {
        QProcess::startDetached(QStringLiteral("sh"), {path});
    } else {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

void Ringer::raiseReminder(int entry, const QString &name)
{
    m_window->showMaximized();
    m_window->activateWindow();
    ReminderBox *box = ReminderBox::showFor(m_window, name);
    box->setEntry(entry);
    connect(box, &ReminderBox::snoozeAsked, this, &Ringer::snoozeAsked);
    m_reminders.removeAll(nullptr);
    m_reminders << box;
}
