// The storage file's reading and composing rules, on strings only.
#include "storage/storagefile.h"
#include "storage/storagemigration.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QTest>

using namespace StorageFile;

namespace {

QStringList lines(const char *text)
{
    return splitLines(QString::fromUtf8(text));
}

const char *const kWorkedExample =
    "数量,2,背景图片,无\n"
    "序号,1\n类型,闹钟\n名称,morning\n时间,07:30\n每周重复,星期一|星期五\n"
    "声音文件,默认响铃\n命令文件,无\n重复闹铃,是\n状态,开启\n"
    "序号,2\n类型,计时器\n名称,tea,hot\n时间,00:03:00\n每周重复,否\n"
    "声音文件,/home/user/Music/ring.mp3\n命令文件,无\n重复闹铃,否\n状态,关闭\n";

QStringList timerRecordLines()
{
    return lines("序号,2\n类型,计时器\n名称,tea\n时间,00:03:00\n每周重复,否\n"
                 "声音文件,默认响铃\n命令文件,无\n重复闹铃,否\n状态,关闭\n");
}

QStringList with(QStringList record, int index, const QString &line)
{
    record[index] = line;
    return record;
}

} // namespace

class TestStorageFile : public QObject
{
    Q_OBJECT

private slots:
    void workedExampleReadsBack();
    void readRecord_data();
    void readRecord();
    void header_data();
    void header();
    void repeatDays_data();
    void repeatDays();
    void composeRoundTrip_data();
    void composeRoundTrip();
    void newFileIsOneHeaderLine();
    void splitLines_data();
    void splitLines();
    void migrate_data();
    void migrate();
    void resetStatesTurnsEveryRecordOff();
    void applyStatesKeepsOtherLines();
    void damage_data();
    void damage();
    void decodeUtf8FlagsInvalidBytes();
};

void TestStorageFile::workedExampleReadsBack()
{
    const QStringList all = lines(kWorkedExample);
    QCOMPARE(all.size(), 19);
    const Header h = parseHeader(all.at(0));
    QCOMPARE(h.count, 2);
    QCOMPARE(h.background, kNone);
    const QStringList alarm = StorageFile::readRecord(all.mid(1, 9));
    const QStringList timer = StorageFile::readRecord(all.mid(10, 9));
    QCOMPARE(alarm.size(), 18);
    QCOMPARE(alarm.at(PosType), kAlarm);
    QCOMPARE(alarm.at(PosName), QStringLiteral("morning"));
    QCOMPARE(alarm.at(PosRepeat), QStringLiteral("星期一|星期五"));
    QCOMPARE(alarm.at(PosLoop), kYes);
    QCOMPARE(alarm.at(PosState), kOn);
    QCOMPARE(timer.at(PosName), QStringLiteral("tea,hot"));
    QCOMPARE(timer.at(PosTime), QStringLiteral("00:03:00"));
    QCOMPARE(timer.at(PosSound), QStringLiteral("/home/user/Music/ring.mp3"));
}

void TestStorageFile::readRecord_data()
{
    QTest::addColumn<QStringList>("nine");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("size");
    const QStringList t = timerRecordLines();
    QTest::newRow("plain name") << t << int(PosName) << "tea" << 18;
    QTest::newRow("name keeps commas") << with(t, 2, "名称,a,b,c") << int(PosName) << "a,b,c" << 18;
    QTest::newRow("empty name") << with(t, 2, "名称,") << int(PosName) << "" << 18;
    QTest::newRow("sound keeps commas")
        << with(t, 5, "声音文件,/m/a,b.mp3") << int(PosSound) << "/m/a,b.mp3" << 18;
    QTest::newRow("command keeps commas")
        << with(t, 6, "命令文件,/x/r,un.sh") << int(PosCommand) << "/x/r,un.sh" << 18;
    QTest::newRow("extra fields ignored on type")
        << with(t, 1, "类型,闹钟,x") << int(PosType) << "闹钟" << 18;
    QTest::newRow("extra fields ignored on time")
        << with(t, 3, "时间,00:03:00,9") << int(PosTime) << "00:03:00" << 18;
    QTest::newRow("comma-less line shifts values") << with(t, 0, "序号") << int(PosIndex) << "计时器" << 16;
    QTest::newRow("empty line shifts values") << with(t, 4, "") << int(PosRepeat) << "默认响铃" << 16;
    QTest::newRow("missing lines read as empty") << QStringList(t.mid(0, 5)) << int(PosRepeat) << "否" << 10;
}

void TestStorageFile::readRecord()
{
    QFETCH(QStringList, nine);
    QFETCH(int, pos);
    QFETCH(QString, value);
    QFETCH(int, size);
    const QStringList record = StorageFile::readRecord(nine);
    QCOMPARE(record.size(), size);
    QCOMPARE(record.value(pos), value);
}

void TestStorageFile::header_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("background");
    QTest::newRow("new file") << "数量,0,背景图片,无" << 4 << 0 << "无";
    QTest::newRow("picture") << "数量,2,背景图片,/p/sky.png" << 4 << 2 << "/p/sky.png";
    QTest::newRow("picture with commas") << "数量,2,背景图片,/p/a,b,c.png" << 6 << 2 << "/p/a,b,c.png";
    QTest::newRow("old header") << "数量,3" << 2 << 3 << "";
    QTest::newRow("three fields") << "数量,3,背景图片" << 3 << 3 << "";
    QTest::newRow("unreadable count") << "数量,x,背景图片,无" << 4 << 0 << "无";
    QTest::newRow("no comma") << "数量" << 1 << 0 << "";
    QTest::newRow("empty") << "" << 1 << 0 << "";
}

void TestStorageFile::header()
{
    QFETCH(QString, line);
    QFETCH(int, fields);
    QFETCH(int, count);
    QFETCH(QString, background);
    const Header h = parseHeader(line);
    QCOMPARE(h.fieldCount, fields);
    QCOMPARE(h.count, count);
    QCOMPARE(h.background, background);
    if (fields >= 4)
        QCOMPARE(composeHeader(h.count, h.background, h.field3), line.replace(QStringLiteral(",x,"), ",0,"));
}

void TestStorageFile::repeatDays_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("days");
    QTest::newRow("no repeat") << "否" << QStringList{"否"};
    QTest::newRow("single day") << "星期三" << QStringList{"星期三"};
    QTest::newRow("two days") << "星期一|星期五" << QStringList{"星期一", "星期五"};
    QTest::newRow("all seven") << "星期一|星期二|星期三|星期四|星期五|星期六|星期日" << weekdayNames();
}

void TestStorageFile::repeatDays()
{
    QFETCH(QString, value);
    QFETCH(QStringList, days);
    QCOMPARE(StorageFile::repeatDays(value), days);
    QCOMPARE(joinRepeatDays(days), value);
}

void TestStorageFile::composeRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QString>("command");
    QTest::newRow("plain") << "morning"
                           << "默认响铃"
                           << "无";
    QTest::newRow("commas everywhere") << "a,b,c"
                                       << "/m/x,y.mp3"
                                       << "/c/r,u,n.desktop";
    QTest::newRow("empty name") << ""
                                << "默认响铃"
                                << "无";
}

void TestStorageFile::composeRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, sound);
    QFETCH(QString, command);
    Entry e;
    e.number = 3;
    e.name = name;
    e.time = QStringLiteral("07:30");
    e.repeat = QStringLiteral("星期三");
    e.sound = sound;
    e.command = command;
    const QStringList nine = composeRecord(e);
    QCOMPARE(nine.size(), 9);
    QCOMPARE(nine.first(), QStringLiteral("序号,3"));
    QCOMPARE(nine.at(4), QStringLiteral("每周重复,星期三"));
    const QStringList record = StorageFile::readRecord(nine);
    QCOMPARE(record.at(PosName), name);
    QCOMPARE(record.at(PosSound), sound);
    QCOMPARE(record.at(PosCommand), command);
    QCOMPARE(record.at(PosState), kOff);
}

void TestStorageFile::newFileIsOneHeaderLine()
{
    QCOMPARE(newFileContent().toUtf8(), QByteArray("数量,0,背景图片,无\n"));
}

void TestStorageFile::splitLines_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("one line") << "a\n" << QStringList{"a"};
    QTest::newRow("no final newline") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("blank line kept") << "a\n\nb\n" << QStringList{"a", "", "b"};
}

void TestStorageFile::splitLines()
{
    QFETCH(QString, content);
    QFETCH(QStringList, expected);
    QCOMPARE(StorageFile::splitLines(content), expected);
}

void TestStorageFile::migrate_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("count");
    QTest::newRow("current file unchanged") << kWorkedExample << kWorkedExample << 2;
    QTest::newRow("eight-line record gains a command line")
        << "数量,1,背景图片,无\n序号,1\n类型,闹钟\n名称,a\n时间,07:30\n每周重复,否\n声音文件,"
           "默认响铃\n重复闹铃,是\n状态,开启\n"
        << "数量,1,背景图片,无\n序号,1\n类型,闹钟\n名称,a\n时间,07:30\n每周重复,否\n声音文件,"
           "默认响铃\n命令文件,无\n重复闹铃,是\n"
           "状态,开启\n"
        << 1;
    QTest::newRow("lines after the last record dropped") << "数量,0,背景图片,无\n序号,1\nstray\n"
                                                         << "数量,0,背景图片,无\n"
                                                         << 0;
    QTest::newRow("unknown seventh key keeps nine lines")
        << "数量,2,背景图片,无\n序号,1\n类型,闹钟\n名称,a\n时间,07:30\n每周重复,否\n声音文件,默认响铃\n奇怪,"
           "1\n重复闹铃,是\n状态,开启\n"
           "序号,2\n类型,闹钟\n名称,b\n时间,08:30\n每周重复,否\n声音文件,默认响铃\n命令文件,无\n重复闹铃,"
           "否\n状态,关闭\n"
        << "数量,2,背景图片,无\n序号,1\n类型,闹钟\n名称,a\n时间,07:30\n每周重复,否\n声音文件,默认响铃\n奇怪,"
           "1\n重复闹铃,是\n状态,开启\n"
           "序号,2\n类型,闹钟\n名称,b\n时间,08:30\n每周重复,否\n声音文件,默认响铃\n命令文件,无\n重复闹铃,"
           "否\n状态,关闭\n"
        << 2;
    QTest::newRow("short file padded with empty lines")
        << "数量,1,背景图片,无\n序号,1\n类型,闹钟\n"
        << "数量,1,背景图片,无\n序号,1\n类型,闹钟\n\n\n\n\n\n\n\n"
        << 1;
    QTest::newRow("negative count copies only the header") << "数量,-1,背景图片,无\n序号,1\n"
                                                           << "数量,-1,背景图片,无\n"
                                                           << -1;
    QTest::newRow("absurd count stops at the records present")
        << "数量,100000,背景图片,无\n序号,1\n"
        << "数量,100000,背景图片,无\n序号,1\n\n\n\n\n\n\n\n\n"
        << 100000;
}

void TestStorageFile::migrate()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, count);
    const Migration m = StorageFile::migrate(StorageFile::splitLines(before));
    QCOMPARE(QString::fromUtf8(joinLines(m.lines)), after);
    QCOMPARE(m.count, count);
}

void TestStorageFile::resetStatesTurnsEveryRecordOff()
{
    const QStringList reset = resetStates(lines(kWorkedExample));
    QCOMPARE(reset.size(), 19);
    QCOMPARE(reset.at(9), kStateOffLine);
    QCOMPARE(reset.at(18), kStateOffLine);
    QCOMPARE(reset.mid(0, 9), lines(kWorkedExample).mid(0, 9));
    QCOMPARE(resetStates(lines("数量,0,背景图片,无\n")), lines("数量,0,背景图片,无\n"));
}

void TestStorageFile::applyStatesKeepsOtherLines()
{
    const QStringList before = lines(kWorkedExample);
    const QStringList after = applyStates(before, {false, true});
    QCOMPARE(after.at(9), kStateOffLine);
    QCOMPARE(after.at(18), kStateOnLine);
    QCOMPARE(after.mid(10, 8), before.mid(10, 8));
}

void TestStorageFile::damage_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("damaged");
    const QString eightLine =
        "序号,1\n类型,闹钟\n名称,a\n时间,07:30\n每周重复,否\n声音文件,默认响铃\n重复闹铃,是\n状态,开启\n";
    QTest::newRow("worked example") << kWorkedExample << false;
    QTest::newRow("new file") << "数量,0,背景图片,无\n" << false;
    QTest::newRow("old header with eight-line record") << "数量,1\n" + eightLine << false;
    QTest::newRow("three-field header") << "数量,0,背景图片\n" << false;
    QTest::newRow("unreadable count") << "数量,abc,背景图片,无\n" << true;
    QTest::newRow("negative count") << "数量,-2,背景图片,无\n" << true;
    QTest::newRow("count above 20") << "数量,21,背景图片,无\n" << true;
    QTest::newRow("fewer lines than the count") << "数量,2,背景图片,无\n" + eightLine << true;
    QTest::newRow("unknown seventh key")
        << "数量,1,背景图片,无\n序号,1\n类型,闹钟\n名称,a\n时间,07:30\n每周重复,否\n"
           "声音文件,默认响铃\n奇怪,x\n重复闹铃,是\n状态,开启\n"
        << true;
    QTest::newRow("lines after the last record") << "数量,0,背景图片,无\nstray\n" << true;
    QTest::newRow("not a storage file") << "hello world\n" << true;
}

void TestStorageFile::damage()
{
    QFETCH(QString, content);
    QFETCH(bool, damaged);
    QCOMPARE(!StorageFile::damage(StorageFile::splitLines(content)).isEmpty(), damaged);
}

void TestStorageFile::decodeUtf8FlagsInvalidBytes()
{
    bool valid = false;
    QCOMPARE(decodeUtf8(QByteArray("数量,0"), &valid), QStringLiteral("数量,0"));
    QVERIFY(valid);
    decodeUtf8(QByteArray("\xff\xfe,0"), &valid);
    QVERIFY(!valid);
}

TAVREL_TEST_MAIN(TestStorageFile)
#include "tst_storagefile.moc"
