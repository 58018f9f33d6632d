// Kills a child running one of the program's writers (kill_writer) at random moments: whatever
// the moment, the storage file is whole and holds one of the contents that writer goes between.
#include "core/storagefile.h"
#include "support/killtrial.h"
#include "support/testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

namespace {

const int kEntries = 8;                            // few rows: a window starts quickly
const QString kPad = QString(8000, QChar(0x949F)); // long names: each rewrite is about 170 kB

// Last in the list: a timer the delete writer removes and makes again (enabled, as a new one is).
Entry lastEntry(bool enabled)
{
    Entry e;
    e.kind = Entry::Kind::Timer;
    e.name = QStringLiteral("末条");
    e.setTimeText(QStringLiteral("10:00:00"));
    e.loop = true;
    e.enabled = enabled;
    return e;
}

// Alarms, every other one enabled unless all are off, and last the timer.
QStringList baseLines(bool oldForm, bool allOff = false)
{
    QStringList lines{oldForm ? QStringLiteral("数量,%1").arg(kEntries)
                              : StorageHeader::compose(kEntries, Texts::kNone)};
    for (int n = 1; n <= kEntries; ++n) {
        Entry e = lastEntry(false);
        if (n < kEntries) {
            e = Entry();
            e.name = QStringLiteral("条目%1,").arg(n) + kPad;
            e.setTimeText(QStringLiteral("%1:15").arg(n, 2, 10, QLatin1Char('0')));
            e.loop = true;
            e.enabled = !allOff && n % 2;
        }
        QStringList record = e.toStoredLines(n);
        if (oldForm)
            record.removeAt(6); // no command line in the old form
        lines << record;
    }
    return lines;
}

QStringList withName(QStringList lines, const QString &name)
{
    lines[3] = Texts::kNameKey + QLatin1Char(',') + name;
    return lines;
}

QStringList withFirstOn(QStringList lines)
{
    lines[9] = Texts::kStateKey + QLatin1Char(',') + Texts::kOn;
    return lines;
}

// Every content the file may hold while the writer runs; the first is what the child starts on.
QList<QByteArray> contents(const QString &writer, const QString &picture)
{
    const QStringList reset = baseLines(false, true);
    if (writer == QLatin1String("reset") || writer == QLatin1String("migration"))
        return {StorageFile::bytesOf(baseLines(writer == QLatin1String("migration"))),
                StorageFile::bytesOf(reset)};
    if (writer == QLatin1String("sync"))
        return {StorageFile::bytesOf(reset), StorageFile::bytesOf(withFirstOn(reset))};
    if (writer == QLatin1String("background")) {
        QStringList pictured = reset;
        pictured[0] = StorageHeader::compose(kEntries, picture);
        return {StorageFile::bytesOf(reset), StorageFile::bytesOf(pictured)};
    }
    if (writer == QLatin1String("save"))
        return {StorageFile::bytesOf(reset), StorageFile::bytesOf(withName(reset, QStringLiteral("甲"))),
                StorageFile::bytesOf(withName(reset, QStringLiteral("乙")))};
    QStringList shorter = reset.mid(0, 1 + (kEntries - 1) * StorageFile::kRecordLines);
    shorter[0] = StorageHeader::compose(kEntries - 1, Texts::kNone);
    QStringList again = shorter;
    again[0] = StorageHeader::compose(kEntries, Texts::kNone);
    return {StorageFile::bytesOf(reset), StorageFile::bytesOf(shorter),
            StorageFile::bytesOf(again << lastEntry(true).toStoredLines(kEntries))};
}

int trialsPerWriter()
{
    const int trials = qEnvironmentVariableIntValue("TAVREL_KILL_TRIALS");
    return trials > 0 ? trials : 6; // raise by hand for a longer run
}

// Long enough to span a few rewrites of the writer, so the kills land all over its cycle.
int maxDelay(const QString &writer)
{
    if (writer == QLatin1String("background"))
        return 1000; // each set goes through the file dialog, the first one slowly
    return writer == QLatin1String("reset") || writer == QLatin1String("migration") ? 500 : 250;
}

QStringList litter(const QString &documents)
{
    QStringList names = QDir(documents).entryList(QDir::Files | QDir::Hidden);
    names.removeAll(Texts::kStorageFileName.mid(1));
    return names;
}

} // namespace

class TestKill : public QObject
{
    Q_OBJECT

private slots:
    void killDuringWrites_data();
    void killDuringWrites();
};

void TestKill::killDuringWrites_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("args");
    QTest::newRow("state reset at start") << "reset"
                                          << "startup";
    QTest::newRow("migration at start") << "migration"
                                        << "startup";
    QTest::newRow("synchronisation of states") << "sync"
                                               << "sync";
    QTest::newRow("background set and cleared") << "background"
                                                << "background";
    QTest::newRow("save from the editor") << "save"
                                          << "save";
    QTest::newRow("delete, then new") << "delete"
                                      << "delete";
}

void TestKill::killDuringWrites()
{
    QFETCH(QString, writer);
    QFETCH(QString, args);
    TestHome home;
    const QString picture = home.home() + QStringLiteral("/图,片.png");
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(picture, "PNG"));
    const QList<QByteArray> whole = contents(writer, picture);
    const QByteArray start = writer == QLatin1String("reset") || writer == QLatin1String("migration")
                                 ? whole.first()
                                 : StorageFile::bytesOf(baseLines(false));
    QRandomGenerator random(quint32(qHash(writer)));
    QMap<int, int> seen;
    int midWrite = 0;
    for (int trial = 0; trial < trialsPerWriter(); ++trial) {
        for (const QString &name : litter(home.documents()))
            QFile::remove(home.documents() + QLatin1Char('/') + name);
        home.writeStorage(start);
        QProcess child;
        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // No sound device at all: a child shot inside an audio library's shared lock (JACK's
        // metadata database) would leave every later player on the machine waiting for it.
        env.insert(QStringLiteral("QT_GSTREAMER_PLAYBIN_AUDIOSINK"), QStringLiteral("fakesink"));
        child.setStandardErrorFile(QProcess::nullDevice());
        QVERIFY(
            KillTrial::startWriter(child, QStringLiteral(KILL_WRITER), {args, picture}, home.home(), env));
        const auto shot = KillTrial::shoot(child, trial, random, maxDelay(writer), home.documents(), 20000);
        QVERIFY2(shot != KillTrial::Shot::NeverWrote, "the writer never wrote");
        midWrite += shot == KillTrial::Shot::MidWrite;
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit); // still writing when it was shot

        const QByteArray after = home.storageBytes();
        const QString damaged = StorageFile::damage(after);
        QVERIFY2(damaged.isEmpty(), qPrintable(QStringLiteral("trial %1: %2").arg(trial).arg(damaged)));
        QVERIFY2(whole.contains(after),
                 qPrintable(QStringLiteral("trial %1 left %2 bytes, none of the %3 contents")
                                .arg(trial)
                                .arg(after.size())
                                .arg(whole.size())));
        ++seen[whole.lastIndexOf(after)];
    }
    qInfo().noquote() << writer << trialsPerWriter() << "kills; content index: kills" << seen
                      << "; killed mid-write:" << midWrite;
    QVERIFY2(midWrite > 0, "no kill landed while the file was being written");
    // With enough kills some must land on each side of a rewrite; a few may all land on one.
    if (trialsPerWriter() >= 20)
        QVERIFY2(seen.size() >= 2, "the writer never changed the file between the kills");
}

TAVREL_TEST_MAIN(TestKill)
#include "tst_kill.moc"
