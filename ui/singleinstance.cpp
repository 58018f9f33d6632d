#include "ui/singleinstance.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVariantMap>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// What the running program offers on the bus: the desktop's standard way to ask an application
// to come forward, so a launcher or another tool can use it as well as a second launch.
class SingleInstanceBusObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit SingleInstanceBusObject(SingleInstance *owner) : QObject(owner), m_owner(owner) {}

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData)
    {
        Q_UNUSED(platformData)
        emit m_owner->showRequested();
    }

private:
    SingleInstance *m_owner;
};

namespace {
const char applicationInterface[] = "org.freedesktop.Application";
} // namespace

SingleInstance::SingleInstance(const QString &serviceName, const QString &lockPath, QObject *parent)
    : QObject(parent), m_serviceName(serviceName), m_lockPath(lockPath)
{
}

SingleInstance::~SingleInstance()
{
    if (m_ownsName)
        QDBusConnection::sessionBus().unregisterService(m_serviceName);
    releaseLock();
}

QString SingleInstance::defaultServiceName()
{
    return QStringLiteral("org.tavrel.Tavrel");
}

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/tavrel-") + QString::number(getuid());
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("tavrel.lock"));
}

QString SingleInstance::objectPath(const QString &serviceName)
{
    QString path = QLatin1Char('/') + serviceName;
    path.replace(QLatin1Char('.'), QLatin1Char('/'));
    path.replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

SingleInstance::Outcome SingleInstance::claim()
{
    // A program that quits just as we ask it leaves the name free: then try once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!registerOnBus()) {
            const QDBusMessage answer = askOwnerToShow();
            if (answer.type() == QDBusMessage::ReplyMessage)
                return Outcome::HandedOver;
            if (!ownerHasGone(answer))
                return Outcome::NoAnswer;
            continue;
        }
        if (takeLock())
            return Outcome::First;
        // Another session's program, or one started without a bus, writes the storage file.
        if (m_ownsName) {
            QDBusConnection::sessionBus().unregisterService(m_serviceName);
            m_ownsName = false;
        }
        return Outcome::AlreadyRunning;
    }
    return Outcome::NoAnswer;
}

bool SingleInstance::ownerHasGone(const QDBusMessage &answer)
{
    const QDBusError::ErrorType error = QDBusError(answer).type();
    return error == QDBusError::ServiceUnknown || error == QDBusError::UnknownObject;
}

// True when this program may go on: the name is ours, or there is no bus to hold one on.
bool SingleInstance::registerOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return true;
    // The object first, so a request arriving the moment the name is ours finds it.
    const QString path = objectPath(m_serviceName);
    if (!bus.objectRegisteredAt(path))
        bus.registerObject(path, new SingleInstanceBusObject(this), QDBusConnection::ExportScriptableSlots);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(m_serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) // a bus that refuses names protects nothing; the lock still does
        return true;
    m_ownsName = reply.value() == QDBusConnectionInterface::ServiceRegistered;
    return m_ownsName;
}

QDBusMessage SingleInstance::askOwnerToShow() const
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_serviceName, objectPath(m_serviceName),
                                       QLatin1String(applicationInterface), QStringLiteral("Activate"));
    QVariantMap platformData;
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    if (!startupId.isEmpty())
        platformData.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(startupId));
    call << platformData;
    return QDBusConnection::sessionBus().call(call, QDBus::Block, answerTimeoutMs);
}

int SingleInstance::reportSecondLaunch(Outcome outcome)
{
    switch (outcome) {
    case Outcome::First:
    case Outcome::HandedOver:
        return 0;
    case Outcome::AlreadyRunning:
        qWarning("Tavrel is already running.");
        return 0;
    case Outcome::NoAnswer:
        qWarning("Tavrel is already running but did not answer; this launch ends.");
        return 1;
    }
    return 1;
}

// The lock is the kernel's (flock): it lasts exactly as long as this program, however it ends, so
// a lock left by a killed program is free and one held for weeks stays held, with no guessing from
// the file. The file says who holds it in the three lines QLockFile writes, so a launch that uses
// QLockFile on the same file tells a live holder from a dead one too. Nothing is flushed to disk:
// the lock means nothing after a reboot.
bool SingleInstance::takeLock()
{
    const QByteArray path = QFile::encodeName(m_lockPath);
    m_lockFd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_lockFd < 0) // a runtime directory we cannot write must not keep the user from the alarms
        return true;
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(m_lockFd);
        m_lockFd = -1;
        return !heldElsewhere;
    }
    const QByteArray holder =
        QByteArray::number(qint64(getpid())) + '\n' +
        QFile::encodeName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()) + '\n' +
        QSysInfo::machineHostName().toLocal8Bit() + '\n';
    if (::ftruncate(m_lockFd, 0) != 0 || ::write(m_lockFd, holder.constData(), size_t(holder.size())) < 0)
        qWarning("Tavrel could not note its process in %s", path.constData());
    return true;
}

// The file stays: removing it would let a launch that opened it just before lock a file nobody
// else can find any more.
void SingleInstance::releaseLock()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

#include "singleinstance.moc"
