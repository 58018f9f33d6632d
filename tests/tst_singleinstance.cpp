// One program per user: launches in separate processes (singleinstance_helper) on the session
// bus this test runs on, and without a bus, where only the lock file stands between them.
#include "support/testsupport.h"
#include "ui/singleinstance.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <signal.h>
#include <vector>

namespace {
// One launch of the program, reduced to its claim; lines it printed are kept in order.
class Launch
{
public:
    Launch(const QString &service, const QString &lockPath, const QProcessEnvironment &env)
    {
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(SINGLEINSTANCE_HELPER), {service, lockPath});
        m_clock.start();
    }
    ~Launch()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        resume();
        m_process.closeWriteChannel(); // the first ends when its input closes
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished();
    }

    QStringList lines()
    {
        while (m_process.canReadLine())
            m_lines << QString::fromUtf8(m_process.readLine()).trimmed();
        return m_lines;
    }
    // How the claim went: the first line printed.
    QString outcome()
    {
        QElapsedTimer waited;
        waited.start();
        while (lines().isEmpty() && waited.elapsed() < 10000)
            m_process.waitForReadyRead(100);
        return m_lines.value(0);
    }
    int shows() { return lines().count(QStringLiteral("show")); }
    // Waits for the launch to end; its exit status, or -1 if it is still running after timeoutMs.
    int exitCode(int timeoutMs = 10000)
    {
        if (!m_process.waitForFinished(timeoutMs))
            return -1;
        m_ms = m_clock.elapsed();
        lines();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    }
    qint64 msToEnd() const { return m_ms; }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }
    void resume() { signal(SIGCONT); }
    void killHard()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QElapsedTimer m_clock;
    QStringList m_lines;
    qint64 m_ms = -1;
};

QProcessEnvironment environmentWithBus(const QString &busAddress)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    return env;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void objectPath_data();
    void objectPath();
    void secondLaunch_data();
    void secondLaunch();
    void simultaneousLaunches_data() { secondLaunch_data(); }
    void simultaneousLaunches();
    void lockOfEndedProgram_data();
    void lockOfEndedProgram();
    void longHeldLockStaysHeld();
    void ownerThatDoesNotAnswer();
    void programInAnotherSession();

private:
    QProcessEnvironment environment(bool withBus) const
    {
        return environmentWithBus(withBus ? m_busAddress
                                          : m_lockDir->filePath(QStringLiteral("no-bus-here")));
    }
    std::unique_ptr<Launch> launch(bool withBus)
    {
        return std::make_unique<Launch>(m_service, m_lockPath, environment(withBus));
    }

    QString m_busAddress;
    std::unique_ptr<QTemporaryDir> m_lockDir;
    QString m_lockPath;
    QString m_service;
    int m_serial = 0;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus: run under dbus-run-session");
    m_busAddress = QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    QVERIFY(!m_busAddress.isEmpty());
}

// Each case gets its own bus name and lock file, so a case left behind cannot answer the next.
void TestSingleInstance::init()
{
    m_lockDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_lockDir->isValid());
    m_lockPath = m_lockDir->filePath(QStringLiteral("tavrel.lock"));
    m_service = QStringLiteral("org.tavrel.SingleInstanceTest.p%1_%2")
                    .arg(QCoreApplication::applicationPid())
                    .arg(++m_serial);
}

void TestSingleInstance::objectPath_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("path");
    QTest::newRow("reverse DNS") << "org.tavrel.Tavrel"
                                 << "/org/tavrel/Tavrel";
    QTest::newRow("dash, not allowed in a path") << "org.example.alarm-clock"
                                                 << "/org/example/alarm_clock";
}

void TestSingleInstance::objectPath()
{
    QFETCH(QString, service);
    QFETCH(QString, path);
    QCOMPARE(SingleInstance::objectPath(service), path);
}

void TestSingleInstance::secondLaunch_data()
{
    QTest::addColumn<bool>("withBus");
    QTest::addColumn<QString>("later");
    QTest::addColumn<int>("showsPerLaunch");
    QTest::newRow("session bus") << true << "handed-over" << 1;
    QTest::newRow("no bus, lock file only") << false << "already-running" << 0;
}

// A second and a third launch end with status 0, the first stays and is asked to show each time.
void TestSingleInstance::secondLaunch()
{
    QFETCH(bool, withBus);
    QFETCH(QString, later);
    QFETCH(int, showsPerLaunch);
    auto first = launch(withBus);
    QCOMPARE(first->outcome(), QStringLiteral("first"));
    for (int n = 1; n <= 2; ++n) {
        auto second = launch(withBus);
        QCOMPARE(second->outcome(), later);
        QCOMPARE(second->exitCode(), 0);
        qInfo("launch %d ended after %lld ms", n + 1, second->msToEnd());
        QVERIFY2(second->msToEnd() < 1000, "a later launch took a second or more to hand over and end");
        QTRY_COMPARE(first->shows(), n * showsPerLaunch);
    }
    QCOMPARE(first->exitCode(200), -1); // still running
}

void TestSingleInstance::simultaneousLaunches()
{
    QFETCH(bool, withBus);
    QFETCH(QString, later);
    QFETCH(int, showsPerLaunch);
    std::vector<std::unique_ptr<Launch>> launches;
    for (int n = 0; n < 6; ++n)
        launches.push_back(launch(withBus));
    QStringList outcomes;
    Launch *first = nullptr;
    for (auto &l : launches) {
        outcomes << l->outcome();
        if (outcomes.last() == QLatin1String("first"))
            first = l.get();
    }
    QCOMPARE(outcomes.count(QStringLiteral("first")), 1);
    QCOMPARE(outcomes.count(later), 5);
    QTRY_COMPARE(first->shows(), 5 * showsPerLaunch);
}

void TestSingleInstance::lockOfEndedProgram_data()
{
    QTest::addColumn<bool>("withBus");
    QTest::addColumn<bool>("killed");
    QTest::newRow("killed, session bus") << true << true;
    QTest::newRow("killed, no bus") << false << true;
    QTest::newRow("quit, session bus") << true << false;
    QTest::newRow("quit, no bus") << false << false;
}

// A program that ended, killed without clean-up or quit, leaves the lock free for the next launch.
void TestSingleInstance::lockOfEndedProgram()
{
    QFETCH(bool, withBus);
    QFETCH(bool, killed);
    auto first = launch(withBus);
    QCOMPARE(first->outcome(), QStringLiteral("first"));
    if (killed) {
        first->killHard();
        QVERIFY(QFile::exists(m_lockPath));
    } else {
        first.reset();
    }
    auto next = launch(withBus);
    QCOMPARE(next->outcome(), QStringLiteral("first"));
}

// A program that has run for hours still holds its lock, however old the file is.
void TestSingleInstance::longHeldLockStaysHeld()
{
    auto first = launch(false);
    QCOMPARE(first->outcome(), QStringLiteral("first"));
    QFile lock(m_lockPath);
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-6 * 3600), QFileDevice::FileModificationTime));
    lock.close();
    auto second = launch(false);
    QCOMPARE(second->outcome(), QStringLiteral("already-running"));
    QCOMPARE(second->exitCode(), 0);
}

// A stopped (hung) program owns the name: a later launch gives up, does not start a second
// program, and ends; once the first runs again it gets the request.
void TestSingleInstance::ownerThatDoesNotAnswer()
{
    auto first = launch(true);
    QCOMPARE(first->outcome(), QStringLiteral("first"));
    first->signal(SIGSTOP);
    auto second = launch(true);
    QCOMPARE(second->outcome(), QStringLiteral("no-answer"));
    QCOMPARE(second->exitCode(5000), 1);
    qInfo("a launch facing a stopped program ended after %lld ms", second->msToEnd());
    QVERIFY2(second->msToEnd() < SingleInstance::answerTimeoutMs + 1000,
             "it waited far past the answer timeout");
    first->resume();
    auto third = launch(true);
    QCOMPARE(third->outcome(), QStringLiteral("handed-over"));
    QTRY_VERIFY(first->shows() >= 1);
}

// The same user in two sessions, each with its own bus: the lock keeps the second program from
// the storage file, and it gives the name on its bus back when it ends.
void TestSingleInstance::programInAnotherSession()
{
    QProcess otherBus;
    otherBus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address=1")});
    QVERIFY(otherBus.waitForReadyRead(10000));
    const QString otherAddress = QString::fromUtf8(otherBus.readLine()).trimmed();
    QVERIFY(!otherAddress.isEmpty());

    auto first = launch(true);
    QCOMPARE(first->outcome(), QStringLiteral("first"));
    Launch elsewhere(m_service, m_lockPath, environmentWithBus(otherAddress));
    QCOMPARE(elsewhere.outcome(), QStringLiteral("already-running"));
    QCOMPARE(elsewhere.exitCode(), 0);
    Launch elsewhereOwnLock(m_service, m_lockDir->filePath(QStringLiteral("other.lock")),
                            environmentWithBus(otherAddress));
    QCOMPARE(elsewhereOwnLock.outcome(), QStringLiteral("first"));
    QCOMPARE(first->shows(), 0);

    otherBus.terminate();
    otherBus.waitForFinished();
}

TAVREL_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
