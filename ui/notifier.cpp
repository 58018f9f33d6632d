#include "ui/notifier.h"

#include "core/texts.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kStopKey = QStringLiteral("stop");
const QString kSnoozeKey = QStringLiteral("snooze");
const QString kBodyKey = QStringLiteral("default"); // the server's name for a click on the body
const QString kDesktopEntry = QStringLiteral("tavrel");
const uchar kCritical = 2; // the server keeps it until it is acted on or closed
const int kMessageMs = 10000;
// A server that takes longer than this gets no say in the ring: the tray's message shows instead.
const int kCallTimeoutMs = 2000;

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}
} // namespace

Notifier::Notifier(QSystemTrayIcon *tray, QObject *parent) : QObject(parent), m_tray(tray)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // A server may come, go or be replaced while we run: ask it again each time.
    auto *watcher = new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                if (owner.isEmpty())
                    m_serverOffersActions = false;
                askCapabilities(); // starts a server the bus knows how to start
            });
    // Any sender: naming the service here would make Qt look up its owner with a blocking call.
    // The sender is checked against the server that took our messages instead.
    bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString, QDBusMessage)));
    bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint, QDBusMessage)));
    askCapabilities();
}

void Notifier::askCapabilities()
{
    const quint64 query = ++m_capabilityQueries;
    auto *pending = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call(QStringLiteral("GetCapabilities")), kCallTimeoutMs),
        this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, query](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (query != m_capabilityQueries)
            return; // an older question, overtaken by a change of server
        const QDBusMessage reply = done->reply();
        m_serverOffersActions = reply.type() == QDBusMessage::ReplyMessage &&
                                reply.arguments().value(0).toStringList().contains(QStringLiteral("actions"));
    });
}

void Notifier::show(int entry, const QString &title, const QString &text)
{
    if (!m_serverOffersActions) {
        m_tray->showMessage(title, text, QSystemTrayIcon::Information, kMessageMs);
        return;
    }
    m_shown[entry].ring = ++m_rings;
    sendNotify(entry, title, text);
}

void Notifier::sendNotify(int entry, const QString &title, const QString &text)
{
    const Shown shown = m_shown.value(entry);
    const QStringList actions{kStopKey, Texts::kStopCommand, kSnoozeKey, Texts::kSnooze,
                              kBodyKey, Texts::kWindowTitle};
    // Resident: a click on the body, which only brings the window up, leaves the buttons there
    // for as long as the ring goes on.
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(kCritical)},
                            {QStringLiteral("resident"), true},
                            {QStringLiteral("desktop-entry"), kDesktopEntry}};
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << Texts::kWindowTitle << shown.id << kDesktopEntry << title << text << actions << hints << 0;
    auto *pending =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify, kCallTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, ring = shown.ring, title, text](QDBusPendingCallWatcher *done) {
                done->deleteLater();
                notified(ring, done->reply(), title, text);
            });
}

// The server's answer to a Notify. By now the ring may have ended, or rung again: a message that
// no longer belongs to a ring is closed at once.
void Notifier::notified(quint64 ring, const QDBusMessage &reply, const QString &title, const QString &text)
{
    auto it = m_shown.begin();
    while (it != m_shown.end() && it->ring != ring)
        ++it;
    const bool current = it != m_shown.end();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (current) {
            m_shown.erase(it);
            m_tray->showMessage(title, text, QSystemTrayIcon::Information, kMessageMs);
        }
        return;
    }
    const uint id = reply.arguments().value(0).toUInt();
    m_server = reply.service();
    if (current)
        it->id = id;
    else
        closeOnServer(id);
}

void Notifier::close(int entry)
{
    const Shown shown = m_shown.take(entry);
    if (shown.id != 0)
        closeOnServer(shown.id);
}

void Notifier::closeAll()
{
    const QList<int> entries = m_shown.keys();
    for (int entry : entries)
        close(entry);
}

void Notifier::closeOnServer(uint id)
{
    QDBusMessage closing = call(QStringLiteral("CloseNotification"));
    closing << id;
    QDBusConnection::sessionBus().send(closing); // no answer to wait for
}

void Notifier::entryRemoved(int entry)
{
    close(entry);
    QHash<int, Shown> moved;
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it)
        moved.insert(it.key() > entry ? it.key() - 1 : it.key(), it.value());
    m_shown = moved;
}

// The entry whose message has this id on our server; -1 for anyone else's.
int Notifier::entryShowing(uint id, const QDBusMessage &signal) const
{
    if (id == 0 || signal.service() != m_server)
        return -1;
    for (auto it = m_shown.cbegin(); it != m_shown.cend(); ++it) {
        if (it->id == id)
            return it.key();
    }
    return -1;
}

void Notifier::actionInvoked(uint id, const QString &key, const QDBusMessage &message)
{
    const int entry = entryShowing(id, message);
    if (entry < 0)
        return;
    if (key == kStopKey)
        emit stopAsked(entry);
    else if (key == kSnoozeKey)
        emit snoozeAsked(entry);
    else if (key == kBodyKey)
        emit windowAsked();
}

// Dismissed by the person or by the server: nothing to close when the ring ends.
void Notifier::notificationClosed(uint id, uint reason, const QDBusMessage &message)
{
    Q_UNUSED(reason)
    const int entry = entryShowing(id, message);
    if (entry >= 0)
        m_shown[entry].id = 0;
}
