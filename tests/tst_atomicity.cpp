// Kills the real program at random moments while it rewrites a large storage file at start:
// afterwards the file must be whole, one of the states the start-up passes through.
#include "core/storagefile.h"
#include "support/killtrial.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Twenty entries with very long names: in the old form (two-field header, eight-line records)
// or the current one; enabled as the last run left them, or disabled as start-up leaves them.
QByteArray largeFile(bool oldForm, bool enabled)
{
    QStringList lines{oldForm ? QStringLiteral("数量,20") : StorageHeader::compose(20, Texts::kNone)};
    const QString longName = QString(20000, QChar(0x949F)); // 钟, three bytes each in UTF-8
    for (int i = 1; i <= 20; ++i) {
        Entry e;
        e.name = longName + QString::number(i);
        e.setTimeText(QStringLiteral("07:30"));
        e.enabled = enabled;
        QStringList record = e.toStoredLines(i);
        if (oldForm)
            record.removeAt(6); // no command line in the old form
        lines << record;
    }
    return StorageFile::bytesOf(lines);
}

// Every content the file may hold at any moment of a start-up: as it was, or as start-up
// leaves it (current form, every entry disabled). Never a mix, never a part.
QList<QByteArray> wholeStates(bool oldForm)
{
    return {largeFile(oldForm, true), largeFile(false, false)};
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
    const QList<QByteArray> whole = wholeStates(oldForm);
    const QByteArray original = whole.first();
    QRandomGenerator random(oldForm ? 1 : 2);
    QMap<int, int> seen;
    int midWrite = 0;
    for (int run = 0; run < killRuns(); ++run) {
        home.writeStorage(original);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.home());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The program is one per user session: a run of this test beside another one (the other
        // locale) must not find the other's program and hand over to it.
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.home());
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + home.home() + QStringLiteral("/no-bus"));
        // No sound device: a program shot inside JACK's shared metadata lock leaves every later
        // player on the machine waiting for that lock.
        env.insert(QStringLiteral("QT_GSTREAMER_PLAYBIN_AUDIOSINK"), QStringLiteral("fakesink"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TAVREL_BINARY), QStringList());
        QVERIFY(program.waitForStarted());
        // Every other kill waits for the start-up's rewrite to begin, so some surely land inside it.
        // (a loaded machine may let the one short rewrite pass unseen: the kill then comes after it)
        if (run % 2)
            KillTrial::waitForWrite(program.processId(), home.documents(), 5000);
        else
            QTest::qSleep(random.bounded(250));
        midWrite += KillTrial::killNotingWrite(program.processId(), home.documents());
        QVERIFY(program.waitForFinished());
        const QByteArray after = home.storageBytes();
        QVERIFY2(whole.contains(after),
                 qPrintable(QStringLiteral("run %1 left %2 bytes").arg(run).arg(after.size())));
        ++seen[whole.lastIndexOf(after)];
    }
    // 0 original, 1 as start-up leaves it
    qInfo() << "start-up stage reached at the kill (stage: runs):" << seen << "; mid-write:" << midWrite;
    QVERIFY2(midWrite > 0, "no kill landed while the file was being written");
}

TAVREL_TEST_MAIN(TestAtomicity)
#include "tst_atomicity.moc"
