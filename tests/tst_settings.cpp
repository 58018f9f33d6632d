// The person's settings file: what reading gives for missing, damaged or out-of-range contents,
// and what writing does where the configuration directory cannot take a file. Then what keeping
// alarms enabled across restarts does to the storage file and the first rings at start-up.
#include "core/scheduler.h"
#include "core/settings.h"
#include "core/storagefile.h"
#include "support/corehome.h"
#include "support/filefaults.h"
#include "support/storedrecords.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(Settings)
Q_DECLARE_METATYPE(QList<Rec>)

namespace {
Settings made(bool keep, bool login, int minutes)
{
    Settings s;
    s.keepAlarmsEnabled = keep;
    s.startAtLogin = login;
    s.snoozeMinutes = minutes;
    return s;
}

QByteArray randomBytes(quint32 key)
{
    QRandomGenerator random(key);
    QByteArray bytes(4096, '\0');
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

enum class Place
{
    File,          // the settings file holds the given bytes
    Directory,     // a directory stands where the file goes
    FileForFolder, // a file stands where the Tavrel folder goes
    ReadOnlyDir,   // the Tavrel folder exists and may not be written (as any user meets it)
};
} // namespace

Q_DECLARE_METATYPE(Place)

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void statesAtStart_data();
    void statesAtStart();
    void firstRingAfterStart_data();
    void firstRingAfterStart();
};

void SettingsTest::read_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<Settings>("expected");
    const QByteArray keys = "[General]\nKeepAlarmsEnabled=%1\nStartAtLogin=%2\nSnoozeMinutes=%3\n";
    const auto file = [&keys](const char *keep, const char *login, const char *minutes) {
        return QByteArray(keys).replace("%1", keep).replace("%2", login).replace("%3", minutes);
    };
    QTest::newRow("no file") << QByteArray() << Settings();
    QTest::newRow("empty file") << QByteArray("") << Settings();
    QTest::newRow("all set") << file("true", "true", "25") << made(true, true, 25);
    QTest::newRow("shortest snooze") << file("false", "true", "1") << made(false, true, 1);
    QTest::newRow("longest snooze") << file("true", "false", "60") << made(true, false, 60);
    QTest::newRow("snooze 0") << file("true", "true", "0") << made(true, true, 10);
    QTest::newRow("snooze 61") << file("true", "true", "61") << made(true, true, 10);
    QTest::newRow("snooze negative") << file("true", "true", "-5") << made(true, true, 10);
    QTest::newRow("snooze huge") << file("true", "true", "99999999999") << made(true, true, 10);
    QTest::newRow("snooze a word") << file("true", "true", "ten") << made(true, true, 10);
    QTest::newRow("snooze fraction") << file("true", "true", "2.5") << made(true, true, 10);
    QTest::newRow("switches not words") << file("yes", "1", "5") << made(false, false, 5);
    QTest::newRow("switches garbage") << file("garbage", "@Variant(\\0)", "5") << made(false, false, 5);
    QTest::newRow("switches empty") << file("", "", "") << Settings();
    QTest::newRow("one key only") << QByteArray("[General]\nSnoozeMinutes=3\n") << made(false, false, 3);
    QTest::newRow("keys in another group") << QByteArray("[Other]\nKeepAlarmsEnabled=true\n") << Settings();
    for (quint32 key : {1u, 2u, 3u, 4u})
        QTest::addRow("random bytes %u", key) << randomBytes(key) << Settings();
    // Random bytes around good lines: the parser gives up, and none of it is trusted.
    QTest::newRow("good lines in noise")
        << randomBytes(7) + file("true", "true", "5") + randomBytes(8) << Settings();
}

void SettingsTest::read()
{
    QFETCH(QByteArray, content);
    QFETCH(Settings, expected);
    CoreTestHome home;
    if (!content.isNull())
        CoreTestHome::write(SettingsFile::path(), content);
    const Settings got = readSettings();
    QCOMPARE(got.keepAlarmsEnabled, expected.keepAlarmsEnabled);
    QCOMPARE(got.startAtLogin, expected.startAtLogin);
    QCOMPARE(got.snoozeMinutes, expected.snoozeMinutes);
}

void SettingsTest::write_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("writes");
    QTest::newRow("fresh home") << Place::File << QByteArray() << true;
    QTest::newRow("over good settings") << Place::File << QByteArray("[General]\nSnoozeMinutes=4\n") << true;
    QTest::newRow("over random bytes") << Place::File << randomBytes(5) << true;
    QTest::newRow("directory in the way") << Place::Directory << QByteArray() << false;
    QTest::newRow("file for the folder") << Place::FileForFolder << QByteArray() << false;
    QTest::newRow("read-only folder")
        << Place::ReadOnlyDir << QByteArray("[General]\nSnoozeMinutes=4\n") << false;
}

void SettingsTest::write()
{
    QFETCH(Place, place);
    QFETCH(QByteArray, before);
    QFETCH(bool, writes);
    CoreTestHome home;
    const QString path = SettingsFile::path();
    const QString folder = QFileInfo(path).absolutePath();
    if (!before.isNull())
        CoreTestHome::write(path, before);
    if (place == Place::Directory)
        QVERIFY(QDir().mkpath(path));
    if (place == Place::FileForFolder)
        CoreTestHome::write(folder, "not a folder");
    const Settings wanted = made(true, false, 42);
    bool written = false;
    {
        AsOrdinaryUser ordinary;
        if (place == Place::ReadOnlyDir)
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        written = writeSettings(wanted);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QCOMPARE(written, writes);
    // Judged by the bytes on disk: QSettings keeps values it failed to save in this process.
    const QByteArray after = QFileInfo(path).isFile() ? CoreTestHome::read(path) : QByteArray();
    if (writes) {
        QVERIFY(after.contains("KeepAlarmsEnabled=true\n"));
        QVERIFY(after.contains("StartAtLogin=false\n"));
        QVERIFY(after.contains("SnoozeMinutes=42\n"));
        QVERIFY(readSettings() == wanted);
    } else {
        QCOMPARE(after, before); // nothing half-written: the old file, or none, is still there
    }
}

void SettingsTest::statesAtStart_data()
{
    QTest::addColumn<QList<Rec>>("records");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QStringList>("states"); // the state lines start-up leaves in the file
    Rec alarm;
    Rec timer;
    timer.type = QStringLiteral("计时器");
    timer.time = QStringLiteral("00:10:00");
    Rec alarmOff;
    alarmOff.state = QStringLiteral("关闭");
    Rec weekly;
    weekly.repeat = QStringLiteral("星期一、星期五");
    Rec oldForm; // eight lines, migrated on the way
    oldForm.eightLines = true;
    Rec unknownKind;
    unknownKind.type = QStringLiteral("闹铃");
    Rec badTime;
    badTime.time = QStringLiteral("25:61");
    Rec oddState;
    oddState.state = QStringLiteral("是");
    const QList<Rec> mixed{alarm, timer, alarmOff, weekly};
    const QStringList on = {"开启"};
    QTest::newRow("off: all disabled") << mixed << false << QStringList{"关闭", "关闭", "关闭", "关闭"};
    QTest::newRow("on: alarms kept, timers not")
        << mixed << true << QStringList{"开启", "关闭", "关闭", "开启"};
    QTest::newRow("on: old eight-line alarm") << QList<Rec>{oldForm} << true << on;
    QTest::newRow("off: old eight-line alarm") << QList<Rec>{oldForm} << false << QStringList{"关闭"};
    QTest::newRow("on: unknown kind")
        << QList<Rec>{unknownKind, alarm} << true << QStringList{"关闭", "开启"};
    QTest::newRow("on: unreadable time") << QList<Rec>{badTime, alarm} << true << QStringList{"关闭", "开启"};
    QTest::newRow("on: state not a state word") << QList<Rec>{oddState} << true << QStringList{"关闭"};
}

// The file and the entries the window arms agree: what stays enabled is stored 开启.
void SettingsTest::statesAtStart()
{
    QFETCH(QList<Rec>, records);
    QFETCH(bool, keep);
    QFETCH(QStringList, states);
    CoreTestHome home;
    home.writeStorage(file(records));
    StorageFile storage;
    storage.prepare(keep);
    QStringList stored;
    for (const QString &line : StorageFile::linesOf(home.storageBytes())) {
        if (line.startsWith(QStringLiteral("状态,")))
            stored << line.mid(3);
    }
    QCOMPARE(stored, states);
    StorageContents contents;
    QVERIFY(storage.load(&contents).ok());
    for (int i = 0; i < contents.entries.size(); ++i) {
        const bool enabled = staysEnabledAtStart(contents.entries.at(i), contents.problems.value(i), keep);
        QCOMPARE(enabled, states.at(i) == QStringLiteral("开启"));
    }
}

void SettingsTest::firstRingAfterStart_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("alarm");
    QTest::addColumn<QString>("firstRing"); // "+days HH:mm:ss" after the start's day; "" none
    QTest::newRow("this minute's passed") << "07:30:20"
                                          << "07:30"
                                          << "+1 07:30:00";
    QTest::newRow("at the minute's start") << "07:30:00"
                                           << "07:30"
                                           << "+1 07:30:00";
    QTest::newRow("ten seconds ahead") << "07:29:50"
                                       << "07:30"
                                       << "+0 07:30:00";
    QTest::newRow("earlier today") << "09:00:00"
                                   << "07:30"
                                   << "+1 07:30:00";
    QTest::newRow("later today") << "06:00:00"
                                 << "07:30"
                                 << "+0 07:30:00";
    QTest::newRow("stored disabled") << "07:29:50"
                                     << ""
                                     << "";
}

// Armed from the start on: nothing rings at the start, the first ring comes at its minute.
void SettingsTest::firstRingAfterStart()
{
    QFETCH(QString, start);
    QFETCH(QString, alarm);
    QFETCH(QString, firstRing);
    const QDate day(2026, 12, 9);
    Instant now(QDateTime(day, QTime::fromString(start, QStringLiteral("HH:mm:ss"))), 5000000);
    Entry entry;
    entry.kind = Entry::Kind::Alarm;
    entry.setTimeText(alarm.isEmpty() ? QStringLiteral("07:30") : alarm);
    entry.enabled = !alarm.isEmpty();
    Scheduler scheduler;
    QVERIFY(scheduler.resumeEntries({entry}, now).isEmpty());
    const QDateTime due = scheduler.nextDue(0, now);
    if (firstRing.isEmpty()) {
        QVERIFY(!due.isValid());
        return;
    }
    const QDateTime expected(day.addDays(firstRing.mid(1, 1).toInt()),
                             QTime::fromString(firstRing.mid(3), QStringLiteral("HH:mm:ss")));
    QCOMPARE(due, expected);
    QVERIFY(scheduler.advance(now.later(now.wall.msecsTo(expected) - 1)).rings.isEmpty());
    const Outcome atDue = scheduler.advance(now.later(now.wall.msecsTo(expected)));
    QCOMPARE(atDue.rings.size(), 1);
    QCOMPARE(atDue.rings.first().due, expected);
    QVERIFY(!atDue.rings.first().late);
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
