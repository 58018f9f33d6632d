#ifndef TAVREL_SINGLEINSTANCE_H
#define TAVREL_SINGLEINSTANCE_H

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <memory>

// One program per user: the first launch owns a name on the session bus and a lock file in the
// user's runtime directory; a later launch asks the owner to show its window and ends. The lock is
// what keeps two programs off one storage file, also when there is no bus or two sessions of the
// same user have a bus each.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        First,          // this program is the only one; keep this object alive while it runs
        HandedOver,     // the running program was asked to show itself and said yes
        AlreadyRunning, // another program holds the lock and there is no bus to ask it through
        NoAnswer,       // the running program owns the name but did not answer in time
    };

    // serviceName is a reverse-DNS bus name; lockPath a file in a directory that exists.
    SingleInstance(const QString &serviceName, const QString &lockPath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // The bus name and lock file of the installed program.
    static QString defaultServiceName();
    static QString defaultLockPath();
    // The object path the desktop derives from a bus name: org.example.App -> /org/example/App.
    static QString objectPath(const QString &serviceName);

    Outcome claim();
    // Tells on stderr why a later launch ends, and gives its exit status: 0 when the running
    // program was reached or there is no way to reach it, 1 when it did not answer.
    static int reportSecondLaunch(Outcome outcome);

    // How long a later launch waits for the running program's answer.
    static constexpr int answerTimeoutMs = 700;

signals:
    // Another launch asked this program to come to the front.
    void showRequested();

private:
    friend class SingleInstanceBusObject;
    bool registerOnBus();
    QDBusMessage askOwnerToShow() const;
    static bool ownerHasGone(const QDBusMessage &answer);
    bool takeLock();
    void releaseLock();

    QString m_serviceName;
    QString m_lockPath;
    int m_lockFd = -1; // holds the lock while open
    bool m_ownsName = false;
};

#endif // TAVREL_SINGLEINSTANCE_H
