// Kills a child running one of the storage file's writers (storage_writer) at random moments:
// whatever the moment, the file is whole and holds one of the contents that writer goes between.
#include "core/storagefile.h"
#include "support/corehome.h"
#include "support/editedentry.h"
#include "support/killtrial.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace {

const int kEntries = 8;
const QString kPad = QString(8000, QChar(0x949F)); // long names: each rewrite is about 170 kB

Entry entry(int n, bool on)
{
    Entry e;
    e.name = QStringLiteral("条目%1,").arg(n) + kPad;
    e.alarmTime = QTime(n, 15);
    e.loop = true;
    e.enabled = on;
    return e;
}

// Every other entry enabled; the old form (two-field header, eight-line records) on request.
QStringList baseLines(bool oldForm)
{
    QStringList lines{oldForm ? QStringLiteral("数量,%1").arg(kEntries)
                              : StorageHeader::compose(kEntries, Texts::kNone)};
    for (int n = 1; n <= kEntries; ++n) {
        QStringList record = entry(n, n % 2).toStoredLines(n);
        if (oldForm)
            record.removeAt(6);
        lines << record;
    }
    return lines;
}

// Every content the file may hold while the writer runs; the first is what the child starts on.
QList<QByteArray> contents(const QString &writer, const QString &picture)
{
    const QStringList base = baseLines(writer == QLatin1String("startup"));
    if (writer == QLatin1String("startup"))
        return {StorageFile::bytesOf(base), StorageFile::preparedBytes(StorageFile::bytesOf(base))};
    const QStringList reset = StorageFile::withStatesOff(base);
    if (writer == QLatin1String("sync"))
        return {StorageFile::bytesOf(reset), StorageFile::bytesOf(StorageFile::withStates(reset, {true}))};
    if (writer == QLatin1String("background"))
        return {StorageFile::bytesOf(reset),
                StorageFile::bytesOf(StorageFile::withBackground(reset, picture))};
    if (writer == QLatin1String("edit"))
        return {StorageFile::bytesOf(reset),
                StorageFile::bytesOf(StorageFile::withReplaced(reset, 0, editedEntry(QStringLiteral("甲")))),
                StorageFile::bytesOf(StorageFile::withReplaced(reset, 0, editedEntry(QStringLiteral("乙"))))};
    return {StorageFile::bytesOf(reset), StorageFile::bytesOf(StorageFile::withRemoved(reset, kEntries - 1))};
}

int trialsPerWriter()
{
    const int trials = qEnvironmentVariableIntValue("TAVREL_KILL_TRIALS");
    return trials > 0 ? trials : 40; // raise by hand for a longer run
}

} // namespace

class TestStorageKill : public QObject
{
    Q_OBJECT

private slots:
    void killDuringWrites_data();
    void killDuringWrites();
};

void TestStorageKill::killDuringWrites_data()
{
    QTest::addColumn<QString>("writer");
    QTest::newRow("start-up: upgrade, migration, state reset") << "startup";
    QTest::newRow("state sync") << "sync";
    QTest::newRow("background set and cleared") << "background";
    QTest::newRow("edit") << "edit";
    QTest::newRow("delete, then append") << "delete";
}

void TestStorageKill::killDuringWrites()
{
    QFETCH(QString, writer);
    CoreTestHome home;
    const QString picture = home.home() + QStringLiteral("/图,片.png");
    const QList<QByteArray> whole = contents(writer, picture);
    const quint32 replayKey = qEnvironmentVariableIsSet("TAVREL_KILL_REPLAY")
                                  ? quint32(qEnvironmentVariableIntValue("TAVREL_KILL_REPLAY"))
                                  : QRandomGenerator::global()->generate();
    qInfo("kill replay key %u (replay: TAVREL_KILL_REPLAY=%u)", replayKey, replayKey);
    QRandomGenerator random(replayKey);
    QMap<int, int> seen;
    int midWrite = 0;
    for (int trial = 0; trial < trialsPerWriter(); ++trial) {
        for (const QString &name : home.others())
            QFile::remove(home.documents() + QLatin1Char('/') + name); // temporary files of killed writes
        home.writeStorage(whole.first());
        QProcess child;
        QVERIFY(
            KillTrial::startWriter(child, QStringLiteral(STORAGE_WRITER), {writer, picture}, home.home()));
        const auto shot = KillTrial::shoot(child, trial, random, 200, home.documents(), 10000);
        QVERIFY2(shot != KillTrial::Shot::NeverWrote, "the writer never wrote");
        midWrite += shot == KillTrial::Shot::MidWrite;
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit); // still writing when it was shot

        const QByteArray after = home.storageBytes();
        QVERIFY2(whole.contains(after),
                 qPrintable(QStringLiteral("replay key %1 trial %2 left %3 bytes, none of the %4 contents")
                                .arg(replayKey)
                                .arg(trial)
                                .arg(after.size())
                                .arg(whole.size())));
        QVERIFY(StorageFile::damage(after).isEmpty());
        ++seen[whole.indexOf(after)];
    }
    qInfo() << writer << trialsPerWriter() << "kills; content index: kills" << seen
            << "; mid-write:" << midWrite;
    QVERIFY2(midWrite > 0, "no kill landed while the file was being written");
    if (trialsPerWriter() >= 20)
        QVERIFY2(seen.size() >= 2, "the writer never changed the file between the kills");
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestStorageKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storagekill.moc"
