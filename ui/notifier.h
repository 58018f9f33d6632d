#ifndef TAVREL_NOTIFIER_H
#define TAVREL_NOTIFIER_H

#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

// A ring's message on the desktop. Where the session bus has a notification server that offers
// actions, the message goes there with "停止" and "稍后提醒", stays until acted on and is closed
// when the ring ends; anywhere else it is the tray's own message, as it always was.
// Every bus call is asynchronous: a missing, slow or stuck server never holds up a ring.
class Notifier : public QObject
{
    Q_OBJECT

public:
    Notifier(QSystemTrayIcon *tray, QObject *parent);

    // The message of a ring of `entry` (a row); a second ring of the same entry replaces it.
    void show(int entry, const QString &title, const QString &text);
    void close(int entry); // its ring ended
    void closeAll();
    // The row of a deleted entry is gone: the rows below move up one, and so do their messages.
    void entryRemoved(int entry);

    // Whether rings go to the notification server, as it last told us.
    bool serverOffersActions() const { return m_serverOffersActions; }

signals:
    void stopAsked(int entry);
    void snoozeAsked(int entry);
    void windowAsked(); // the message's body was clicked

private slots:
    void actionInvoked(uint id, const QString &key, const QDBusMessage &message);
    void notificationClosed(uint id, uint reason, const QDBusMessage &message);

private:
    struct Shown
    {
        quint64 ring = 0; // which ring of the entry the message belongs to
        uint id = 0;      // the server's id, once it answered; 0 before
    };

    void askCapabilities();
    void sendNotify(int entry, const QString &title, const QString &text);
    void notified(quint64 ring, const QDBusMessage &reply, const QString &title, const QString &text);
    void closeOnServer(uint id);
    int entryShowing(uint id, const QDBusMessage &signal) const;

    QSystemTrayIcon *m_tray;
    bool m_serverOffersActions = false;
    quint64 m_capabilityQueries = 0; // only the latest answer counts
    QString m_server;                // the unique bus name of the server that took our messages
    QHash<int, Shown> m_shown;       // entries whose ring is on the server, or on its way there
    quint64 m_rings = 0;
};

#endif // TAVREL_NOTIFIER_H
