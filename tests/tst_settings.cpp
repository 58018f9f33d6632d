// The person's settings file: what reading gives for missing, damaged or out-of-range contents,
// and what writing does where the configuration directory cannot take a file.
#include "core/settings.h"
#include "support/corehome.h"
#include "support/filefaults.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(Settings)

namespace {
Settings made(bool keep, bool login, int minutes)
{
    Settings s;
    s.keepAlarmsEnabled = keep;
    s.startAtLogin = login;
    s.snoozeMinutes = minutes;
    return s;
}

QByteArray randomBytes(quint32 seed)
{
    QRandomGenerator random(seed);
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
    for (quint32 seed : {1u, 2u, 3u, 4u})
        QTest::addRow("random bytes %u", seed) << randomBytes(seed) << Settings();
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

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
