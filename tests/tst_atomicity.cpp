// Kills the real program at random moments while it rewrites a large storage file at start:
// afterwards the file must be whole, one of the states the start-up passes through.
#include "core/storagefile.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray largeFile(bool oldForm)
{
    QByteArray out = oldForm ? QByteArray("数量,20\n") : QByteArray("数量,20,背景图片,无\n");
    const QString longName = QString(20000, QChar(0x949F)); // 钟, three bytes each in UTF-8
    for (int i = 1; i <= 20; ++i) {
        Entry e;
        e.name = longName + QString::number(i);
        e.alarmTime = QTime(7, 30);
        e.enabled = true;
        QStringList lines = e.toStoredLines(i);
        if (oldForm)
            lines.removeAt(6); // no command line in the old form
        out += StorageFile::bytesOf(lines);
    }
    return out;
}

// Every content the file may hold at any moment of a start-up, in the order they occur.
QList<QByteArray> wholeStates(const QByteArray &original)
{
    const QStringList upgraded = StorageFile::upgradedHeader(StorageFile::linesOf(original));
    const QStringList migrated = StorageFile::migrated(upgraded);
    return {original, StorageFile::bytesOf(upgraded), StorageFile::bytesOf(migrated),
            StorageFile::bytesOf(StorageFile::withStatesOff(migrated))};
}

int killRuns()
{
    const int runs = qEnvironmentVariableIntValue("TAVREL_KILL_RUNS");
    return runs > 0 ? runs : 25; // raise by hand for a longer soak
}

} // namespace

class TestAtomicity : public QObject
{
    Q_OBJECT

private slots:
    void killDuringStartup_data();
    void killDuringStartup();
};

void TestAtomicity::killDuringStartup_data()
{
    QTest::addColumn<bool>("oldForm");
    QTest::newRow("old header, eight-line records") << true;
    QTest::newRow("current file, entries enabled") << false;
}

void TestAtomicity::killDuringStartup()
{
    QFETCH(bool, oldForm);
    TestHome home;
    const QByteArray original = largeFile(oldForm);
    const QList<QByteArray> whole = wholeStates(original);
    QRandomGenerator random(oldForm ? 1 : 2);
    QMap<int, int> seen;
    for (int run = 0; run < killRuns(); ++run) {
        home.writeStorage(original);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.home());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No sound device: a program shot inside JACK's shared metadata lock leaves every later
        // player on the machine waiting for that lock.
        env.insert(QStringLiteral("QT_GSTREAMER_PLAYBIN_AUDIOSINK"), QStringLiteral("fakesink"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TAVREL_BINARY), QStringList());
        QVERIFY(program.waitForStarted());
        QTest::qSleep(random.bounded(250));
        program.kill(); // SIGKILL: no clean-up of any kind
        QVERIFY(program.waitForFinished());
        const QByteArray after = home.storageBytes();
        QVERIFY2(whole.contains(after),
                 qPrintable(QStringLiteral("run %1 left %2 bytes").arg(run).arg(after.size())));
        ++seen[whole.lastIndexOf(after)];
    }
    // 0 original, 1 header upgraded, 2 migrated, 3 states reset (the same bytes may be several)
    qInfo() << "start-up stage reached at the kill (stage: runs):" << seen;
}

TAVREL_TEST_MAIN(TestAtomicity)
#include "tst_atomicity.moc"
