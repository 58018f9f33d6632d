// The storage core without widgets: an entry's nine stored lines, the header, the rules on the
// file's lines, and the storage file's operations on real files in a temporary HOME.
#include "core/entry.h"
#include "core/storagefile.h"
#include "fuzz/storageinvariants.h"
#include "support/corehome.h"
#include "support/filefaults.h"
#include "support/mutations.h"
#include "support/storedrecords.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTest>

#include <array>
#include <csignal>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Texts;
using Problem = Entry::ReadProblem;
using Failure = StorageResult::Failure;

Q_DECLARE_METATYPE(Entry)

namespace {

QList<Rec> named(const QStringList &names, bool eightLines = false)
{
    QList<Rec> recs;
    for (int i = 0; i < names.size(); ++i) {
        Rec r;
        r.name = names.at(i);
        r.time = QStringLiteral("%1:15").arg(i % 24, 2, 10, QLatin1Char('0'));
        r.eightLines = eightLines;
        recs << r;
    }
    return recs;
}

QList<Rec> numbered(int n, bool eightLines = false)
{
    QStringList names;
    for (int i = 1; i <= n; ++i)
        names << QStringLiteral("条目%1").arg(i);
    return named(names, eightLines);
}

QStringList lines(const QByteArray &bytes)
{
    return StorageFile::linesOf(bytes);
}

const QByteArray kWorkedExample = "数量,2,背景图片,无\n"
                                  "序号,1\n类型,闹钟\n名称,morning\n时间,07:30\n每周重复,星期一|星期五\n"
                                  "声音文件,默认响铃\n命令文件,无\n重复闹铃,是\n状态,开启\n"
                                  "序号,2\n类型,计时器\n名称,tea,hot\n时间,00:03:00\n每周重复,否\n"
                                  "声音文件,/home/user/Music/ring.mp3\n命令文件,无\n重复闹铃,否\n状态,关闭\n";

const QDateTime kPinned(QDate(2026, 12, 8), QTime(7, 30, 5));

StorageFile pinnedFile()
{
    return StorageFile([] { return kPinned; });
}

QString pinnedBackup(const CoreTestHome &home)
{
    return home.storagePath() + QStringLiteral(".损坏备份-20261208-073005");
}

QStringList noticeTexts(const StorageResult &result)
{
    QStringList texts;
    for (const StorageNotice &n : result.notices)
        texts << n.text();
    return texts;
}

QStringList namesIn(const QByteArray &bytes)
{
    const QStringList all = lines(bytes);
    QStringList names;
    for (int r = 0; r < StorageFile::storedRecords(all); ++r)
        names << all.value(1 + r * 9 + 2).section(QLatin1Char(','), 1);
    return names;
}

} // namespace

class TestStorage : public QObject
{
    Q_OBJECT

private slots:
    // an entry's nine lines and the header
    void readEntry_data();
    void readEntry();
    void writeEntry_data();
    void writeEntry();
    void header_data();
    void header();
    void weekdays_data();
    void weekdays();

    // the rules on the file's lines
    void splitLines_data();
    void splitLines();
    void migrate_data();
    void migrate();
    void stateLines_data();
    void stateLines();
    void damage_data();
    void damage();

    // the file
    void prepare_data();
    void prepare();
    void backupNamesDoNotCollide();
    void damagedFileToldOnce_data();
    void damagedFileToldOnce();
    void operations_data();
    void operations();
    void load_data();
    void load();
    void reloadKeepsCountWithShortHeader();
    void lostEntriesPutBack_data();
    void lostEntriesPutBack();
    void unreadableAtStart_data();
    void unreadableAtStart();
    void documentsMissing_data();
    void documentsMissing();
    void noBackupMeansNoRewrite();
    void symlinkWrittenThrough();
    void mutatedFilesSurvive();
    void mutatedWhileRunningSurvive();
    void corpus_data();
    void corpus();
};

// --- An entry's nine lines ------------------------------------------------------------------

void TestStorage::readEntry_data()
{
    QTest::addColumn<QStringList>("nine");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<QStringList>("shown"); // name, time, weekdays, sound, command
    QTest::addColumn<bool>("loop");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("problem");
    const QStringList ex = lines(kWorkedExample);
    const auto with = [](QStringList nine, int k, const QString &line) {
        nine[k - 1] = line;
        return nine;
    };
    const QStringList alarm = ex.mid(1, 9);
    const QStringList timer = ex.mid(10, 9);
    const QStringList morning{"morning", "07:30", "星期一|星期五", "", ""};
    const QStringList tea{"tea,hot", "00:03:00", "否", "/home/user/Music/ring.mp3", ""};
    const auto shown = [](QStringList values, int i, const QString &value) {
        values[i] = value;
        return values;
    };
    const int none = int(Problem::None);
    QTest::newRow("weekly alarm") << alarm << true << morning << true << true << none;
    QTest::newRow("timer, comma in name") << timer << false << tea << false << false << none;
    QTest::newRow("sound and command keep commas")
        << with(with(alarm, 6, "声音文件,/m/a,b.mp3"), 7, "命令文件,/x/r,un.sh") << true
        << QStringList{"morning", "07:30", "星期一|星期五", "/m/a,b.mp3", "/x/r,un.sh"} << true << true
        << none;
    QTest::newRow("extra fields ignored on type and time")
        << with(with(alarm, 2, "类型,闹钟,x"), 4, "时间,07:30,9") << true << morning << true << true << none;
    QTest::newRow("empty name") << with(alarm, 3, "名称,") << true << shown(morning, 0, "") << true << true
                                << none;
    QTest::newRow("single day") << with(alarm, 5, "每周重复,星期三") << true << shown(morning, 2, "星期三")
                                << true << true << none;
    QTest::newRow("timer at 99:59:59")
        << with(timer, 4, "时间,99:59:59") << false << shown(tea, 1, "99:59:59") << false << false << none;
    QTest::newRow("timer above 99:59:59 refused")
        << with(timer, 4, "时间,100:00:00") << false << shown(tea, 1, "00:00:00") << false << false
        << int(Problem::TimerTooLong);
    QTest::newRow("timer minutes above 59")
        << with(timer, 4, "时间,00:60:00") << false << shown(tea, 1, "00:00:00") << false << false
        << int(Problem::BadTime);
    QTest::newRow("alarm hour 24") << with(alarm, 4, "时间,24:00") << true << shown(morning, 1, "00:00")
                                   << true << true << int(Problem::BadTime);
    QTest::newRow("unreadable parts count as 0")
        << with(alarm, 4, "时间,ab:30") << true << shown(morning, 1, "00:30") << true << true << none;
    QTest::newRow("unknown type") << with(alarm, 2, "类型,秒表") << false << shown(morning, 1, "07:30:00")
                                  << true << true << int(Problem::UnknownKind);
    QTest::newRow("odd state and loop words are off")
        << with(with(alarm, 8, "重复闹铃,1"), 9, "状态,on") << true << morning << false << false << none;
    QTest::newRow("missing lines read as empty")
        << QStringList(alarm.mid(0, 5)) << true << morning << false << false << none;
}

void TestStorage::readEntry()
{
    QFETCH(QStringList, nine);
    QFETCH(bool, alarm);
    QFETCH(QStringList, shown);
    QFETCH(bool, loop);
    QFETCH(bool, enabled);
    QFETCH(int, problem);
    Problem found = Problem::None;
    const Entry e = Entry::fromStoredLines(nine, &found);
    QCOMPARE(e.isAlarm(), alarm);
    QCOMPARE((QStringList{e.name, e.timeText(), Entry::weekdaysText(e.weekdays), e.sound, e.command}), shown);
    QCOMPARE(e.loop, loop);
    QCOMPARE(e.enabled, enabled);
    QCOMPARE(int(found), problem);
    // Whatever type word it read, a rewrite of the record writes that word back.
    QCOMPARE(e.toStoredLines(1).at(1), "类型," + Entry::storedValue(nine.value(1), 2));
}

void TestStorage::writeEntry_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("nine");
    Entry fresh; // a new alarm left at the editor's defaults
    fresh.name = QStringLiteral("闹钟");
    fresh.alarmTime = QTime(0, 0);
    fresh.loop = true;
    fresh.enabled = true;
    QTest::newRow("new alarm at the defaults")
        << fresh << 3 << QStringList{"序号,3",      "类型,闹钟",   "名称,闹钟",
                                     "时间,00:00",  "每周重复,否", "声音文件,默认响铃",
                                     "命令文件,无", "重复闹铃,是", "状态,开启"};
    Entry timer;
    timer.kind = Entry::Kind::Timer;
    timer.name = QStringLiteral("tea,hot");
    timer.timerSeconds = 90 * 60;
    timer.sound = QStringLiteral("/m/a,b.mp3");
    timer.command = QStringLiteral("/c/r,u,n.desktop");
    QTest::newRow("timer of 1:30, commas") << timer << 1
                                           << QStringList{"序号,1",
                                                          "类型,计时器",
                                                          "名称,tea,hot",
                                                          "时间,01:30:00",
                                                          "每周重复,否",
                                                          "声音文件,/m/a,b.mp3",
                                                          "命令文件,/c/r,u,n.desktop",
                                                          "重复闹铃,否",
                                                          "状态,关闭"};
    Entry longest = timer;
    longest.timerSeconds = Entry::kMaxTimerSeconds;
    QTest::newRow("longest timer") << longest << 1 << QStringList(lines(record(1, [] {
        Rec r;
        r.type = "计时器";
        r.name = "tea,hot";
        r.time = "99:59:59";
        r.sound = "/m/a,b.mp3";
        r.command = "/c/r,u,n.desktop";
        r.state = "关闭";
        return r;
    }())));
    Entry weekly;
    weekly.alarmTime = QTime(7, 5);
    weekly.weekdays.insert(Qt::Friday);
    weekly.weekdays.insert(Qt::Monday);
    QStringList weeklyLines = lines(record(2, Rec()));
    weeklyLines[2] = QStringLiteral("名称,");
    weeklyLines[3] = QStringLiteral("时间,07:05");
    weeklyLines[4] = QStringLiteral("每周重复,星期一|星期五");
    weeklyLines[8] = QStringLiteral("状态,关闭");
    QTest::newRow("Monday and Friday, Monday first") << weekly << 2 << weeklyLines;
    Entry broken = weekly;
    broken.name = QStringLiteral("早\n起\r\n床");
    broken.sound = QStringLiteral("/m/x\ny.mp3");
    QStringList brokenLines = weeklyLines;
    brokenLines[2] = QStringLiteral("名称,早 起 床");
    brokenLines[5] = QStringLiteral("声音文件,/m/x y.mp3");
    QTest::newRow("line breaks cannot split the record") << broken << 2 << brokenLines;
}

void TestStorage::writeEntry()
{
    QFETCH(Entry, entry);
    QFETCH(int, number);
    QFETCH(QStringList, nine);
    QCOMPARE(entry.toStoredLines(number), nine);
    // and back: what was written reads as the same entry
    Problem problem = Problem::BadTime;
    const Entry again = Entry::fromStoredLines(nine, &problem);
    QCOMPARE(int(problem), int(Problem::None));
    QCOMPARE(again.toStoredLines(number), nine);
}

void TestStorage::header_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("background");
    QTest::newRow("new file") << "数量,0,背景图片,无" << 4 << 0 << true << "无";
    QTest::newRow("picture") << "数量,2,背景图片,/p/sky.png" << 4 << 2 << true << "/p/sky.png";
    QTest::newRow("picture with commas")
        << "数量,2,背景图片,/p/a,b,c.png" << 6 << 2 << true << "/p/a,b,c.png";
    QTest::newRow("old header") << "数量,3" << 2 << 3 << true << "";
    QTest::newRow("three fields") << "数量,3,背景图片" << 3 << 3 << true << "";
    QTest::newRow("unreadable count") << "数量,x,背景图片,无" << 4 << 0 << false << "无";
    QTest::newRow("no comma") << "数量" << 1 << 0 << false << "";
    QTest::newRow("empty") << "" << 1 << 0 << false << "";
}

void TestStorage::header()
{
    QFETCH(QString, line);
    QFETCH(int, fields);
    QFETCH(int, count);
    QFETCH(bool, readable);
    QFETCH(QString, background);
    const StorageHeader h = StorageHeader::read(line);
    QCOMPARE(h.fieldCount, fields);
    QCOMPARE(h.count, count);
    QCOMPARE(h.countReadable, readable);
    QCOMPARE(h.background, background);
    if (fields >= 4 && readable)
        QCOMPARE(StorageHeader::compose(h.count, h.background, h.field3), line);
}

void TestStorage::weekdays_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QList<int>>("days");
    QTest::addColumn<QString>("written");
    QTest::newRow("no repeat") << "否" << QList<int>{} << "否";
    QTest::newRow("single day") << "星期三" << QList<int>{3} << "星期三";
    QTest::newRow("two days") << "星期一|星期五" << QList<int>{1, 5} << "星期一|星期五";
    QTest::newRow("all seven") << "星期一|星期二|星期三|星期四|星期五|星期六|星期日"
                               << QList<int>{1, 2, 3, 4, 5, 6, 7}
                               << "星期一|星期二|星期三|星期四|星期五|星期六|星期日";
    QTest::newRow("any order, written Monday first")
        << "星期日|星期一" << QList<int>{1, 7} << "星期一|星期日";
    QTest::newRow("words that are no day") << "星期八|Monday" << QList<int>{} << "否";
}

void TestStorage::weekdays()
{
    QFETCH(QString, stored);
    QFETCH(QList<int>, days);
    QFETCH(QString, written);
    const Weekdays read = Entry::weekdaysFromText(stored);
    QCOMPARE(read.count(), days.size());
    for (int d : days)
        QVERIFY(read.contains(Qt::DayOfWeek(d)));
    QCOMPARE(Entry::weekdaysText(read), written);
}

// --- The rules on the file's lines ----------------------------------------------------------

void TestStorage::splitLines_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << QStringList() << true;
    QTest::newRow("one line") << QByteArray("a\n") << QStringList{"a"} << true;
    QTest::newRow("no final newline") << QByteArray("a\nb") << QStringList{"a", "b"} << true;
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"} << true;
    QTest::newRow("blank line kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"} << true;
    QTest::newRow("chinese") << QByteArray("数量,0\n") << QStringList{"数量,0"} << true;
    QTest::newRow("invalid byte") << QByteArray("\xff\xfe,0\n") << QStringList{"\ufffd\ufffd,0"} << false;
    QTest::newRow("cut inside a character")
        << QByteArray("数量,0\n\xe6\x95") << QStringList{"数量,0", ""} << false;
}

void TestStorage::splitLines()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    QFETCH(bool, valid);
    bool validUtf8 = !valid;
    const QStringList got = StorageFile::linesOf(content, &validUtf8);
    QCOMPARE(validUtf8, valid);
    if (valid)
        QCOMPARE(got, expected);
    QCOMPARE(StorageFile::bytesOf(got).isEmpty(), content.isEmpty());
}

void TestStorage::migrate_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("records");
    QTest::newRow("current file unchanged") << kWorkedExample << kWorkedExample << 2;
    QTest::newRow("eight-line records gain a command line")
        << file(numbered(2, true), "数量,2\n") << file(numbered(2), "数量,2\n") << 2;
    QTest::newRow("lines after the last record dropped")
        << QByteArray("数量,0,背景图片,无\n序号,1\nstray\n") << QByteArray("数量,0,背景图片,无\n") << 0;
    QByteArray odd = file(numbered(2));
    odd.replace("命令文件,无\n重复闹铃,否\n状态,开启\n序号,2", "奇怪,1\n重复闹铃,否\n状态,开启\n序号,2");
    QTest::newRow("unknown seventh key keeps nine lines") << odd << odd << 2;
    QTest::newRow("short file padded with empty lines")
        << QByteArray("数量,1,背景图片,无\n序号,1\n类型,闹钟\n")
        << QByteArray("数量,1,背景图片,无\n序号,1\n类型,闹钟\n\n\n\n\n\n\n\n") << 1;
    QTest::newRow("negative count copies only the header")
        << QByteArray("数量,-1,背景图片,无\n序号,1\n") << QByteArray("数量,-1,背景图片,无\n") << 0;
    QTest::newRow("absurd count stops at the records present, and says so")
        << QByteArray("数量,100000,背景图片,无\n序号,1\n")
        << QByteArray("数量,1,背景图片,无\n序号,1\n\n\n\n\n\n\n\n\n") << 1;
}

void TestStorage::migrate()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, records);
    int walked = -1;
    QCOMPARE(StorageFile::bytesOf(StorageFile::migrated(lines(before), &walked)), after);
    QCOMPARE(walked, records);
}

void TestStorage::stateLines_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QVector<bool>>("states"); // empty: the start-up reset
    QTest::addColumn<QByteArray>("after");
    QList<Rec> three = numbered(3);
    QList<Rec> mixed = allOff(three);
    mixed[1].state = QStringLiteral("开启");
    QTest::newRow("reset turns every record off") << file(three) << QVector<bool>() << file(allOff(three));
    QTest::newRow("sync follows the boxes")
        << file(three) << QVector<bool>{false, true, false} << file(mixed);
    QTest::newRow("sync of fewer boxes keeps later states")
        << file(three) << QVector<bool>{false}
        << file(three).replace("序号,1\n类型,闹钟\n名称,条目1\n时间,00:15\n"
                               "每周重复,否\n声音文件,默认响铃\n"
                               "命令文件,无\n重复闹铃,否\n状态,开启",
                               "序号,1\n类型,闹钟\n名称,条目1\n时间,00:15\n"
                               "每周重复,否\n声音文件,默认响铃\n"
                               "命令文件,无\n重复闹铃,否\n状态,关闭");
    QTest::newRow("empty list") << QByteArray("数量,0,背景图片,无\n") << QVector<bool>()
                                << QByteArray("数量,0,背景图片,无\n");
    QTest::newRow("odd state word replaced, other lines kept")
        << file(three).replace("状态,开启\n序号,3", "状态,whatever\n序号,3") << QVector<bool>()
        << file(allOff(three));
}

void TestStorage::stateLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QVector<bool>, states);
    QFETCH(QByteArray, after);
    const QStringList changed = states.isEmpty() ? StorageFile::withStatesOff(lines(before))
                                                 : StorageFile::withStates(lines(before), states);
    QCOMPARE(StorageFile::bytesOf(changed), after);
}

void TestStorage::damage_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason"); // "" for a file that is not damaged
    const QByteArray two = file(numbered(2));
    const QByteArray three = file(numbered(3));
    const QString second = QStringLiteral("第2个条目格式不对");

    QTest::newRow("worked example") << kWorkedExample << "";
    QTest::newRow("new file") << QByteArray("数量,0,背景图片,无\n") << "";
    QTest::newRow("old header with eight-line records") << file(numbered(2, true), "数量,2\n") << "";
    QTest::newRow("old and new records mixed")
        << QByteArray("数量,2\n") + record(1, named({"a"}, true).first()) + record(2, Rec()) << "";
    QTest::newRow("three-field header") << QByteArray("数量,0,背景图片\n") << "";
    QTest::newRow("crlf line ends") << QByteArray(two).replace("\n", "\r\n") << "";
    QTest::newRow("one blank line after the last record") << two + "\n"
                                                          << "";
    QTest::newRow("many blank lines after the last record") << two + "\n\n\r\n\n"
                                                            << "";

    QTest::newRow("not UTF-8") << QByteArray(two).replace("条目1", "\xc6\xf0") << "不是有效的UTF-8文本";
    QTest::newRow("no header") << QByteArray("序号,1\n") << "首行无法识别";
    QTest::newRow("not a storage file") << QByteArray("hello world\n") << "首行无法识别";
    QTest::newRow("a byte order mark is read past") << QByteArray("\xef\xbb\xbf") + two << "";
    QTest::newRow("count not a number") << QByteArray("数量,两,背景图片,无\n") << "条目数量无法识别";
    QTest::newRow("negative count") << QByteArray("数量,-2,背景图片,无\n") << "条目数量不在0到20之间";
    QTest::newRow("count above 20") << QByteArray("数量,21,背景图片,无\n") << "条目数量不在0到20之间";
    QTest::newRow("fewer records than the count")
        << QByteArray(two).replace("数量,2", "数量,3") << "文件比条目数量所说的短";
    QTest::newRow("cut short") << two.left(two.lastIndexOf("重复闹铃")) << "文件比条目数量所说的短";
    QTest::newRow("a line with content after the last record") << two + "多余\n"
                                                               << "最后一个条目之后还有多余的行";
    QTest::newRow("content after blank lines") << two + "\n\n多余\n"
                                               << "最后一个条目之后还有多余的行";
    QTest::newRow("a space is content") << two + " \n"
                                        << "最后一个条目之后还有多余的行";

    // The keys of every record line, in order.
    const QStringList keys = {"序号",     "类型",     "名称",     "时间", "每周重复",
                              "声音文件", "命令文件", "重复闹铃", "状态"};
    for (int k = 0; k < keys.size(); ++k) {
        QByteArray lost = three;
        const int at = lost.indexOf(keys.at(k).toUtf8() + ",", lost.indexOf("序号,2"));
        lost.remove(at, lost.indexOf('\n', at) - at + 1);
        const QString why = keys.at(k) == QStringLiteral("命令文件") ? QString() : second;
        QTest::newRow(qPrintable(QStringLiteral("second record lost its %1 line").arg(keys.at(k))))
            << lost << why;
    }
    for (int k = 0; k + 1 < keys.size(); ++k) {
        QStringList swapped = lines(three);
        swapped.swapItemsAt(10 + k, 11 + k);
        QTest::newRow(
            qPrintable(QStringLiteral("second record: %1 and %2 swapped").arg(keys.at(k), keys.at(k + 1))))
            << StorageFile::bytesOf(swapped) << second;
    }
    QByteArray renamed = two;
    renamed.replace("名称,条目2", "名字,条目2");
    QTest::newRow("a key spelt otherwise") << renamed << second;
    QByteArray noComma = two;
    noComma.replace("序号,2", "序号");
    QTest::newRow("a key without its comma") << noComma << second;

    // Seen on hand-damaged files.
    QByteArray stateForIndex = three;
    stateForIndex.replace("序号,3", "状态,关闭");
    QTest::newRow("third record's index line became a state line") << stateForIndex << "第3个条目格式不对";
    QByteArray doubledCommand = three;
    doubledCommand.insert(doubledCommand.indexOf("命令文件", doubledCommand.indexOf("序号,2")),
                          "命令文件,无\n");
    QTest::newRow("a command line doubled") << doubledCommand << second;
    QByteArray loopLost = file(numbered(3));
    loopLost.replace("重复闹铃,否\n状态,开启\n序号,3", "状态,开启\n序号,3");
    QTest::newRow("second record lost 重复闹铃") << loopLost << second;
}

void TestStorage::damage()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QCOMPARE(StorageFile::damage(content), reason);
}

// --- The file -------------------------------------------------------------------------------

void TestStorage::prepare_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("reason"); // "" when no backup may be made
    const QByteArray empty("数量,0,背景图片,无\n");
    QList<Rec> example = named({"morning", "tea,hot"});
    example[1].type = QStringLiteral("计时器");
    example[1].time = QStringLiteral("00:03:00");
    example[1].state = QStringLiteral("关闭");
    QTest::newRow("no file: a new one") << QByteArray() << empty << 0 << "";
    QTest::newRow("empty file: a new one") << QByteArray("") << empty << 0 << "";
    QTest::newRow("states reset") << file(example) << file(allOff(example)) << 2 << "";
    QTest::newRow("old header, twelve eight-line records")
        << file(numbered(12, true), "数量,12\n") << file(allOff(numbered(12)), "数量,12,背景图片,无\n") << 12
        << "";
    QList<Rec> commas = named({"a,b,c"});
    commas[0].sound = QStringLiteral("/no/such,dir/x,y.mp3");
    QTest::newRow("commas in names and paths")
        << file(commas, "数量,1,背景图片,/p/pic,ture.png\n")
        << file(allOff(commas), "数量,1,背景图片,/p/pic,ture.png\n") << 1 << "";
    QTest::newRow("crlf becomes lf") << QByteArray(file(allOff(example))).replace("\n", "\r\n")
                                     << file(allOff(example)) << 2 << "";
    QTest::newRow("blank lines after the last record dropped, no backup") << file(example) + "\n\n"
                                                                          << file(allOff(example)) << 2 << "";
    QTest::newRow("a line with content after the last record")
        << file(example) + "多余\n"
        << file(allOff(example)) << 2 << "最后一个条目之后还有多余的行";
    QTest::newRow("more than twenty records are kept")
        << file(numbered(25)) << file(allOff(numbered(25))) << 20 << "条目数量不在0到20之间";
    QByteArray loopLost = file(numbered(3));
    loopLost.replace("重复闹铃,否\n状态,开启\n序号,3", "状态,开启\n序号,3");
    QTest::newRow("second record lost 重复闹铃: backed up before the rewrite")
        << loopLost << StorageFile::preparedBytes(loopLost) << 3 << "第2个条目格式不对";
    QTest::newRow("not UTF-8") << QByteArray(file(example)).replace("morning", "\xc6\xf0")
                               << StorageFile::preparedBytes(
                                      QByteArray(file(example)).replace("morning", "\xc6\xf0"))
                               << 2 << "不是有效的UTF-8文本";
    QTest::newRow("not a storage file at all")
        << QByteArray("hello\nworld\n") << QByteArray("hello\n") << 0 << "首行无法识别";
    // A count larger than the records: the count follows what the file holds, no record is made up.
    const QString fewer = QStringLiteral("文件比条目数量所说的短");
    QTest::newRow("count larger than its records")
        << file(example, "数量,3,背景图片,无\n") << file(allOff(example)) << 2 << fewer;
    QTest::newRow("count larger, blank lines after the records")
        << file(example, "数量,9,背景图片,/p/a,b.png\n") + "\n\n"
        << file(allOff(example), "数量,2,背景图片,/p/a,b.png\n") << 2 << fewer;
    QTest::newRow("old header counting more eight-line records than it holds")
        << file(numbered(2, true), "数量,4\n") << file(allOff(numbered(2))) << 2 << fewer;
}

void TestStorage::prepare()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, rows);
    QFETCH(QString, reason);
    CoreTestHome home;
    if (!before.isNull())
        home.writeStorage(before);
    StorageFile storage = pinnedFile();
    const StorageResult result = storage.prepare();
    QVERIFY(result.ok());
    QCOMPARE(home.storageBytes(), after);
    QCOMPARE(result.entryCount, rows);
    if (reason.isEmpty()) {
        QCOMPARE(home.others(), QStringList()); // no backup, no temporary file left behind
        QCOMPARE(noticeTexts(result), QStringList());
    } else {
        QCOMPARE(home.others(), QStringList{QFileInfo(pinnedBackup(home)).fileName()});
        QCOMPARE(CoreTestHome::read(pinnedBackup(home)), before);
        QCOMPARE(noticeTexts(result),
                 QStringList{QStringLiteral("存储文件内容有误（") + reason +
                             QStringLiteral("），原文件已原样备份为：\n") + pinnedBackup(home)});
    }
    StorageContents contents;
    QCOMPARE(storage.load(&contents).entryCount, rows);
    QCOMPARE(contents.entries.size(), rows);
    QCOMPARE(contents.bytes, after);
    if (!StorageFile::damage(after).isEmpty())
        return; // left as damaged as it came (a header that cannot be read): judged again next time
    // A second start finds nothing more to do.
    StorageFile again = pinnedFile();
    QVERIFY(again.prepare().notices.isEmpty());
    QCOMPARE(home.storageBytes(), after);
}

void TestStorage::backupNamesDoNotCollide()
{
    CoreTestHome home;
    QStringList made;
    QList<QByteArray> damaged;
    for (int run = 0; run < 3; ++run) {
        damaged << QByteArray("数量,x") + QByteArray::number(run) + "\n"; // each start finds new damage
        home.writeStorage(damaged.last());
        const StorageResult r = pinnedFile().prepare();
        QCOMPARE(r.notices.size(), 1);
        made << QFileInfo(r.notices.first().backupPath).fileName();
    }
    const QString base = QFileInfo(pinnedBackup(home)).fileName();
    QCOMPARE(made, (QStringList{base, base + "-2", base + "-3"}));
    for (int run = 0; run < 3; ++run)
        QCOMPARE(CoreTestHome::read(home.documents() + "/" + made.at(run)), damaged.at(run));
}

void TestStorage::damagedFileToldOnce_data()
{
    damage_data();
}

// A damaged file already copied aside as it stands is not copied and prompted again at every start,
// nor when it comes back while the program runs; a further change to it is.
void TestStorage::damagedFileToldOnce()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    CoreTestHome home;
    home.writeStorage(content);
    const int told = reason.isEmpty() ? 0 : 1;
    StorageFile first = pinnedFile();
    QCOMPARE(first.prepare().notices.size(), told);
    QCOMPARE(home.others().size(), told);
    const QByteArray asLeft = home.storageBytes();
    StorageContents contents;
    QVERIFY(first.load(&contents).ok());
    QVERIFY(first.setStates(QVector<bool>(contents.entries.size(), true)).ok()); // the person enables all

    StorageFile second = pinnedFile();
    QCOMPARE(noticeTexts(second.prepare()), QStringList());
    QCOMPARE(home.others().size(), told);
    QCOMPARE(home.storageBytes(), asLeft);

    // While it runs, the file as first found comes back: put right and said, but not copied again
    // (start-up may have left it as it was found: then nothing changed).
    QVERIFY(second.load(&contents).ok());
    home.writeStorage(content);
    const StorageResult running = second.setStates(QVector<bool>(contents.entries.size(), false));
    QVERIFY(running.ok());
    const int undone = told && content != asLeft ? 1 : 0;
    QCOMPARE(running.notices.size(), undone);
    QCOMPARE(home.others().size(), told);
    if (undone)
        QCOMPARE(CoreTestHome::read(running.notices.first().backupPath), content);

    const QByteArray changed = home.storageBytes() + "第三次启动前加的一行\n";
    home.writeStorage(changed);
    const StorageResult third = pinnedFile().prepare();
    QCOMPARE(third.notices.size(), 1);
    QCOMPARE(home.others().size(), told + 1);
    QCOMPARE(CoreTestHome::read(third.notices.first().backupPath), changed);
}

void TestStorage::operations_data()
{
    QTest::addColumn<QByteArray>("before"); // as start-up leaves it
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("rows");
    const QList<Rec> five = allOff(numbered(5));
    const int ok = int(Failure::None);

    QList<Rec> synced = five;
    synced[0].state = synced[3].state = QStringLiteral("开启");
    QTest::newRow("states") << file(five) << "states 1,0,0,1,0" << file(synced) << ok << 5;
    QTest::newRow("background with commas")
        << file(five) << "background /p/a,b.png" << file(five, "数量,5,背景图片,/p/a,b.png\n") << ok << 5;
    QTest::newRow("background cleared")
        << file(five, "数量,5,背景图片,/p/a,b.png\n") << "background" << file(five) << ok << 5;

    Rec added;
    added.name = QStringLiteral("新的");
    added.time = QStringLiteral("06:45");
    added.repeat = QStringLiteral("星期二");
    added.loop = QStringLiteral("是");
    QTest::newRow("append to a new file")
        << QByteArray("数量,0,背景图片,无\n") << "append" << file({added}) << ok << 1;
    QTest::newRow("append keeps a picture with commas")
        << file(five, "数量,5,背景图片,/p/a,b.png\n") << "append"
        << file(five + QList<Rec>{added}, "数量,6,背景图片,/p/a,b.png\n") << ok << 6;
    QTest::newRow("append the twentieth") << file(allOff(numbered(19))) << "append"
                                          << file(allOff(numbered(19)) + QList<Rec>{added}) << ok << 20;
    QTest::newRow("append at twenty is refused")
        << file(allOff(numbered(20))) << "append" << file(allOff(numbered(20))) << int(Failure::Full) << 20;

    QList<Rec> edited = five;
    edited[2] = added;
    QTest::newRow("replace the third of five") << file(five) << "replace 2" << file(edited) << ok << 5;
    QTest::newRow("replace beyond the last")
        << file(five) << "replace 5" << file(five) << int(Failure::NoSuchEntry) << 5;

    QTest::newRow("remove the first: later ones renumbered")
        << file(five) << "remove 0" << file(five.mid(1)) << ok << 4;
    QTest::newRow("remove the last") << file(five) << "remove 4" << file(five.mid(0, 4)) << ok << 4;
    QTest::newRow("remove the only one")
        << file(five.mid(0, 1)) << "remove 0" << QByteArray("数量,0,背景图片,无\n") << ok << 0;
    QTest::newRow("remove nothing") << file(five) << "remove -1" << file(five) << int(Failure::NoSuchEntry)
                                    << 5;
    QByteArray extraFields = file(five);
    extraFields.replace("类型,闹钟\n名称,条目5", "类型,闹钟,x\n名称,条目5");
    QTest::newRow("remove drops extra fields of the records it rewrites")
        << extraFields << "remove 0" << file(five.mid(1)) << ok << 4;
}

void TestStorage::operations()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, operation);
    QFETCH(QByteArray, after);
    QFETCH(int, failure);
    QFETCH(int, rows);
    CoreTestHome home;
    home.writeStorage(before);
    StorageFile storage;
    QVERIFY(storage.prepare().ok());
    QCOMPARE(home.storageBytes(), before);
    StorageContents contents;
    QVERIFY(storage.load(&contents).ok());

    Entry added;
    added.name = QStringLiteral("新的");
    added.alarmTime = QTime(6, 45);
    added.weekdays.insert(Qt::Tuesday);
    added.loop = true;
    added.enabled = true;
    const QString verb = operation.section(QLatin1Char(' '), 0, 0);
    const QString arg = operation.section(QLatin1Char(' '), 1);
    StorageResult result;
    if (verb == QLatin1String("states")) {
        QVector<bool> states;
        for (const QString &s : arg.split(QLatin1Char(',')))
            states << (s == QLatin1String("1"));
        result = storage.setStates(states);
    } else if (verb == QLatin1String("background")) {
        result = storage.setBackground(arg);
    } else if (verb == QLatin1String("append")) {
        result = storage.append(added);
    } else if (verb == QLatin1String("replace")) {
        result = storage.replace(arg.toInt(), added);
    } else {
        result = storage.remove(arg.toInt());
    }
    QCOMPARE(int(result.failure), failure);
    QCOMPARE(result.entryCount, rows);
    QCOMPARE(home.storageBytes(), after);
    QCOMPARE(home.others(), QStringList());
    QVERIFY(result.notices.isEmpty());
    QCOMPARE(StorageFile::damage(home.storageBytes()), QString());
}

void TestStorage::load_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("problems");
    QTest::addColumn<QString>("background");
    QList<Rec> timers = named({"long", "too long"});
    timers[0].type = timers[1].type = QStringLiteral("计时器");
    timers[0].time = QStringLiteral("99:59:59");
    timers[1].time = QStringLiteral("100:00:00");
    QTest::newRow("timers up to 99:59:59, above refused")
        << file(timers) << QStringList{"long", "too long"}
        << QList<int>{int(Problem::None), int(Problem::TimerTooLong)} << "";
    QTest::newRow("picture with commas")
        << file(named({"a"}), "数量,1,背景图片,/p/a,b.png\n") << QStringList{"a"}
        << QList<int>{int(Problem::None)} << "/p/a,b.png";
    QList<int> twentyFine;
    for (int i = 0; i < 20; ++i)
        twentyFine << int(Problem::None);
    QTest::newRow("twenty of twenty-five")
        << file(numbered(25)) << namesIn(file(numbered(20))) << twentyFine << "";
}

void TestStorage::load()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, problems);
    QFETCH(QString, background);
    CoreTestHome home;
    home.writeStorage(content);
    StorageFile storage;
    storage.prepare();
    StorageContents contents;
    const StorageResult result = storage.load(&contents);
    QVERIFY(result.ok());
    QCOMPARE(result.entryCount, names.size());
    QStringList got;
    QList<int> found;
    for (int i = 0; i < contents.entries.size(); ++i) {
        got << contents.entries.at(i).name;
        found << int(contents.problems.at(i));
        QVERIFY(!contents.entries.at(i).enabled); // every start stores every entry as disabled
    }
    QCOMPARE(got, names);
    QCOMPARE(found, problems);
    QCOMPARE(contents.background, background);
    QVERIFY(contents.headerRead);
    QCOMPARE(contents.bytes, home.storageBytes());
}

// A reload of a file whose header has only two fields keeps the list's count and picture.
void TestStorage::reloadKeepsCountWithShortHeader()
{
    CoreTestHome home;
    home.writeStorage(file(numbered(3), "数量,3,背景图片,/p/x.png\n"));
    StorageFile storage;
    storage.prepare();
    StorageContents contents;
    QCOMPARE(storage.load(&contents).entryCount, 3);
    home.writeStorage(file(allOff(numbered(3)), "数量,3\n"));
    QCOMPARE(storage.load(&contents).entryCount, 3);
    QVERIFY(!contents.headerRead);
    QCOMPARE(contents.background, QStringLiteral("/p/x.png"));
    QCOMPARE(contents.entries.size(), 3);
}

void TestStorage::lostEntriesPutBack_data()
{
    QTest::addColumn<QString>("outside"); // what another program does to the file
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("restored");
    const QStringList three{"条目1", "条目2", "条目3"};
    QTest::newRow("entry appended, then append") << "append"
                                                 << "append" << three + QStringList{"外来", "新的"} << false;
    QTest::newRow("entry appended, then remove")
        << "append"
        << "remove" << QStringList{"条目1", "条目2", "外来"} << false;
    QTest::newRow("emptied, then append") << "empty"
                                          << "append" << three + QStringList{"新的"} << true;
    QTest::newRow("emptied, then states") << "empty"
                                          << "states" << three << true;
    QTest::newRow("cut mid-record, then append") << "cut"
                                                 << "append" << three + QStringList{"新的"} << true;
    QTest::newRow("cut mid-record, then remove") << "cut"
                                                 << "remove" << QStringList{"条目1", "条目2"} << true;
    QTest::newRow("cut mid-record, then background") << "cut"
                                                     << "background" << three << true;
    QTest::newRow("cut mid-record, then load") << "cut"
                                               << "load" << three << true;
}

void TestStorage::lostEntriesPutBack()
{
    QFETCH(QString, outside);
    QFETCH(QString, operation);
    QFETCH(QStringList, names);
    QFETCH(bool, restored);
    CoreTestHome home;
    home.writeStorage(file(numbered(3)));
    StorageFile storage = pinnedFile();
    storage.prepare();
    StorageContents contents;
    storage.load(&contents);
    const QByteArray good = home.storageBytes();
    QByteArray changed;
    if (outside == QLatin1String("append"))
        changed = StorageFile::bytesOf(StorageFile::withAppended(lines(good), [] {
            Entry e;
            e.name = QStringLiteral("外来");
            return e;
        }()));
    else if (outside == QLatin1String("cut"))
        changed = good.left(good.size() / 2);
    home.writeStorage(changed);

    Entry added;
    added.name = QStringLiteral("新的");
    StorageResult result;
    if (operation == QLatin1String("append"))
        result = storage.append(added);
    else if (operation == QLatin1String("remove"))
        result = storage.remove(2);
    else if (operation == QLatin1String("states"))
        result = storage.setStates({true});
    else if (operation == QLatin1String("background"))
        result = storage.setBackground(QStringLiteral("/p/x.png"));
    else
        result = storage.load(&contents);
    QVERIFY(result.ok());
    QCOMPARE(namesIn(home.storageBytes()), names);
    QCOMPARE(StorageFile::damage(home.storageBytes()), QString());
    if (!restored) {
        QCOMPARE(home.others(), QStringList());
        QVERIFY(result.notices.isEmpty());
        return;
    }
    QCOMPARE(home.others(), QStringList{QFileInfo(pinnedBackup(home)).fileName()});
    QCOMPARE(CoreTestHome::read(pinnedBackup(home)), changed);
    QCOMPARE(noticeTexts(result),
             QStringList{QStringLiteral("存储文件在程序运行时被其他程序截短，缺少了列表中的条目。"
                                        "已按列表恢复存储文件，截短后的文件已原样备份为：\n") +
                         pinnedBackup(home)});
}

void TestStorage::unreadableAtStart_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("mode 000") << "mode 000"
                              << QStringLiteral("无法读取存储文件，列表暂时为空，文件没有改动：\n%1"
                                                "\n请检查文件的读取权限后重新启动程序。");
    QTest::newRow("a named pipe in its place")
        << "fifo"
        << QStringLiteral("无法读取存储文件，列表暂时为空，文件没有改动：\n%1"
                          "\n请检查文件的读取权限后重新启动程序。");
    QTest::newRow("a directory in its place")
        << "directory"
        << QStringLiteral("存储文件的位置被一个文件夹占用，列表暂时为空，该文件夹没有改动：\n%1"
                          "\n请移走该文件夹后重新启动程序。");
}

// Nothing that could not be read is ever written over, not even by later operations.
void TestStorage::unreadableAtStart()
{
    QFETCH(QString, form);
    QFETCH(QString, prompt);
    CoreTestHome home;
    const QByteArray before = file(numbered(3));
    const bool directory = form == QLatin1String("directory");
    const QString inside = home.storagePath() + QStringLiteral("/留着.txt");
    const bool fifo = form == QLatin1String("fifo");
    if (directory)
        CoreTestHome::write(inside, before);
    else if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(home.storagePath()).constData(), 0600), 0);
    else
        home.writeStorage(before);
    const QFile::Permissions mode = QFile::permissions(home.storagePath());
    if (!directory && !fifo)
        QFile::setPermissions(home.storagePath(), QFile::Permissions());
    {
        AsOrdinaryUser user;
        StorageFile storage;
        const StorageResult start = storage.prepare();
        QCOMPARE(int(start.failure), int(Failure::Unreadable));
        QCOMPARE(noticeTexts(start), QStringList{prompt.arg(home.storagePath())});
        QVERIFY(!storage.writable());
        StorageContents contents;
        QCOMPARE(storage.load(&contents).entryCount, 0);
        QVERIFY(contents.entries.isEmpty());
        Entry e;
        QCOMPARE(int(storage.append(e).failure), int(Failure::Unreadable));
        QCOMPARE(int(storage.setStates({true}).failure), int(Failure::Unreadable));
        QCOMPARE(int(storage.setBackground(QString()).failure), int(Failure::Unreadable));
        QCOMPARE(int(storage.remove(0).failure), int(Failure::Unreadable));
    }
    QFile::setPermissions(home.storagePath(), mode);
    if (directory)
        QCOMPARE(CoreTestHome::read(inside), before);
    else if (fifo)
        QVERIFY(!QFileInfo(home.storagePath()).isFile()); // still the pipe, never replaced
    else
        QCOMPARE(home.storageBytes(), before);
    QCOMPARE(home.others(), QStringList());
}

void TestStorage::documentsMissing_data()
{
    QTest::addColumn<bool>("blocked"); // a plain file named Documents: the directory cannot be made
    QTest::newRow("made at start") << false;
    QTest::newRow("cannot be made") << true;
}

void TestStorage::documentsMissing()
{
    QFETCH(bool, blocked);
    CoreTestHome home;
    const QString documents = home.documents();
    QDir(documents).removeRecursively();
    if (blocked)
        CoreTestHome::write(documents, "mine");
    StorageFile storage;
    const StorageResult start = storage.prepare();
    QVERIFY(start.notices.isEmpty()); // nothing the user could act on at this point
    QCOMPARE(start.ok(), !blocked);
    Entry e;
    e.name = QStringLiteral("起床");
    const StorageResult added = storage.append(e);
    if (blocked) {
        QCOMPARE(int(added.failure), int(Failure::Unreadable));
        QCOMPARE(CoreTestHome::read(documents), QByteArray("mine"));
        return;
    }
    QVERIFY(added.ok());
    QCOMPARE(namesIn(home.storageBytes()), QStringList{"起床"});
}

// A damaged file that cannot be copied (here: too large to write) stays exactly as it is, the
// list stays empty and the notice says so; start-up would otherwise shorten it with no copy left.
void TestStorage::noBackupMeansNoRewrite()
{
    CoreTestHome home;
    QByteArray bytes = file(numbered(1));
    while (bytes.size() <= int(kSmallFileLimit))
        bytes += "多余的一行，要保留\n";
    home.writeStorage(bytes);
    QVERIFY(StorageFile::preparedBytes(bytes).size() < int(kSmallFileLimit));
    StorageFile storage = pinnedFile();
    StorageResult start;
    {
        FileSizeLimit limit;
        start = storage.prepare();
        StorageContents contents;
        QCOMPARE(storage.load(&contents).entryCount, 0);
        QCOMPARE(int(storage.append(Entry()).failure), int(Failure::Unwritable));
        QCOMPARE(int(storage.setStates({false}).failure), int(Failure::Unwritable));
    }
    QCOMPARE(home.storageBytes(), bytes);
    QVERIFY(!storage.writable());
    QCOMPARE(int(start.failure), int(Failure::Unwritable));
    QCOMPARE(
        noticeTexts(start),
        QStringList{QStringLiteral("存储文件内容有误（最后一个条目之后还有多余的行），且无法备份到：\n") +
                    pinnedBackup(home) +
                    QStringLiteral("\n为保护原有内容，本次运行不会改动存储文件；"
                                   "请检查磁盘空间和文件权限后重新启动程序。")});
    const QStringList others = home.others();
    for (const QString &name : others) // a copy cut off at the limit may remain; never a rewrite
        QVERIFY2(name.contains(QStringLiteral("损坏备份")), qPrintable(name));
}

// A storage file linked to elsewhere (a synchronised folder, say) keeps its link: every rewrite,
// the start-up ones included, lands in the file it points at.
void TestStorage::symlinkWrittenThrough()
{
    CoreTestHome home;
    const QString target = home.home() + QStringLiteral("/同步/闹钟.txt");
    CoreTestHome::write(target, file(numbered(2), "数量,2\n"));
    QVERIFY(QFile::link(target, home.storagePath()));
    StorageFile storage;
    QVERIFY(storage.prepare().ok());
    QCOMPARE(QFileInfo(home.storagePath()).symLinkTarget(), target);
    QCOMPARE(CoreTestHome::read(target), file(allOff(numbered(2))));
    Entry e;
    e.name = QStringLiteral("起床");
    QVERIFY(storage.append(e).ok());
    QVERIFY(storage.remove(0).ok());
    QCOMPARE(QFileInfo(home.storagePath()).symLinkTarget(), target);
    QCOMPARE(namesIn(CoreTestHome::read(target)), (QStringList{"条目2", "起床"}));
    QCOMPARE(home.others(), QStringList());
}

// --- Mutations ------------------------------------------------------------------------------

// Start-up on many mutated files: every input survives, either in the file (in order, only
// states turned off, command lines added and blank lines dropped) or in a byte-identical backup.
void TestStorage::mutatedFilesSurvive()
{
    const quint32 replayKey = Mutations::replayKey();
    const int runs = Mutations::runs(1500);
    qInfo("mutation replay key %u, %d runs (replay: TAVREL_MUTATION_REPLAY=%u)", replayKey, runs, replayKey);
    QRandomGenerator random(replayKey);
    const QList<QByteArray> bases = Mutations::bases();
    CoreTestHome home;
    int backedUp = 0;
    for (int run = 0; run < runs; ++run) {
        QString how;
        QByteArray input = bases.at(int(random.bounded(quint32(bases.size()))));
        for (int m = int(random.bounded(3)); m >= 0; --m)
            input = Mutations::mutate(input, random, &how);
        for (const QString &name : home.others())
            QFile::remove(home.documents() + QLatin1Char('/') + name);
        home.writeStorage(input);
        StorageFile storage;
        const StorageResult result = storage.prepare();
        const QByteArray output = home.storageBytes();
        const QString context = QStringLiteral("replay key %1 run %2: %3").arg(replayKey).arg(run).arg(how);
        QVERIFY2(result.ok(), qPrintable(context));
        QString missing;
        if (!result.notices.isEmpty()) {
            ++backedUp;
            QCOMPARE(result.notices.size(), 1);
            QVERIFY2(CoreTestHome::read(result.notices.first().backupPath) == input, qPrintable(context));
        } else if (!input.isEmpty()) {
            QVERIFY2(StorageFile::damage(input).isEmpty(), qPrintable(context));
            QVERIFY2(Mutations::keptInOrder(input, output, &missing),
                     qPrintable(context + " lost: " + missing));
        }
        QVERIFY2(StorageFile::damage(output).isEmpty() || !result.notices.isEmpty(), qPrintable(context));
    }
    qInfo("%d of %d mutated files were damaged and backed up", backedUp, runs);
}

namespace {

// One rewrite a person can cause while the list shows: a state change, a picture, a save of a
// new or an edited entry, a delete. apply() is what it means for the entries a file holds.
struct Rewrite
{
    enum Kind
    {
        States,
        Background,
        Append,
        Replace,
        Remove
    } kind = States;
    QVector<bool> states;
    int index = 0;
    Entry entry;

    static Rewrite random(QRandomGenerator &random, int rows)
    {
        Rewrite w;
        w.kind = Kind(random.bounded(5));
        for (int i = 0; i < rows; ++i)
            w.states << bool(random.bounded(2));
        w.index = int(random.bounded(quint32(qMax(1, rows))));
        w.entry.kind = Entry::Kind::Alarm;
        w.entry.name = QStringLiteral("新的");
        w.entry.setTimeText(QStringLiteral("08:00"));
        return w;
    }
    StorageResult run(StorageFile &storage) const
    {
        switch (kind) {
        case States:
            return storage.setStates(states);
        case Background:
            return storage.setBackground(QStringLiteral("/p/新,图.png"));
        case Append:
            return storage.append(entry);
        case Replace:
            return storage.replace(index, entry);
        case Remove:
            break;
        }
        return storage.remove(index);
    }
    // Each entry as its nine lines (numbered alike, so a delete's renumbering does not count).
    QList<QStringList> apply(QVector<Entry> entries) const
    {
        if (kind == States) {
            for (int i = 0; i < qMin(states.size(), entries.size()); ++i)
                entries[i].enabled = states.at(i);
        } else if (kind == Append && entries.size() < StorageFile::kMaxEntries) {
            entries << entry;
        } else if (kind == Replace && index < entries.size()) {
            entries[index] = entry;
        } else if (kind == Remove && index < entries.size()) {
            entries.removeAt(index);
        }
        return storedForms(entries);
    }
    static QList<QStringList> storedForms(const QVector<Entry> &entries)
    {
        QList<QStringList> forms;
        for (const Entry &e : entries)
            forms << e.toStoredLines(1);
        return forms;
    }
};

// As start-up reads them: records of the old eight-line form gain their command line.
QVector<Entry> entriesIn(const QByteArray &bytes)
{
    const QStringList all = StorageFile::migrated(lines(bytes));
    return StorageFile::contentsOf(all, StorageFile::storedRecords(all)).entries;
}

} // namespace

// A file changed behind the running program's back, then one rewrite: every input survives,
// either in the file (its entries, changed only as the rewrite changes them) or in a
// byte-identical backup, and then the file holds the list's entries with the rewrite applied.
// Damage is judged as start-up judges it, and the list reads as many entries as the file holds.
void TestStorage::mutatedWhileRunningSurvive()
{
    const quint32 replayKey = Mutations::replayKey();
    const int runs = Mutations::runs(400);
    qInfo("mutation replay key %u, %d runs (replay: TAVREL_MUTATION_REPLAY=%u)", replayKey, runs, replayKey);
    QRandomGenerator random(replayKey);
    const QList<QByteArray> bases = Mutations::bases();
    CoreTestHome home;
    int backedUp = 0;
    for (int run = 0; run < runs; ++run) {
        for (const QString &name : home.others())
            QFile::remove(home.documents() + QLatin1Char('/') + name);
        home.writeStorage(bases.at(int(random.bounded(quint32(bases.size())))));
        StorageFile storage;
        QVERIFY(storage.prepare().ok());
        StorageContents shown;
        QVERIFY(storage.load(&shown).ok());
        const QByteArray known = home.storageBytes();
        QString how;
        QByteArray input = known;
        for (int m = int(random.bounded(3)); m >= 0; --m)
            input = Mutations::mutate(input, random, &how);
        home.writeStorage(input);
        const Rewrite rewrite = Rewrite::random(random, int(shown.entries.size()));
        const StorageResult result = rewrite.run(storage);
        const QString context = QStringLiteral("replay key %1 run %2: %3rewrite %4")
                                    .arg(replayKey)
                                    .arg(run)
                                    .arg(how)
                                    .arg(int(rewrite.kind));
        QVERIFY2(result.ok() || result.failure == Failure::Full || result.failure == Failure::NoSuchEntry,
                 qPrintable(context));
        const QByteArray output = home.storageBytes();
        const bool kept = !result.notices.isEmpty();
        if (kept) {
            ++backedUp;
            QVERIFY2(result.notices.size() == 1, qPrintable(context));
            QVERIFY2(CoreTestHome::read(result.notices.first().backupPath) == input, qPrintable(context));
        } else {
            QVERIFY2(home.others().isEmpty(), qPrintable(context));
            QVERIFY2(StorageFile::damage(input).isEmpty(), qPrintable(context + " was not judged damaged"));
        }
        const QList<QStringList> expected = rewrite.apply(entriesIn(kept ? known : input));
        QVERIFY2(Rewrite::storedForms(entriesIn(output)) == expected,
                 qPrintable(context + "\n" + QString::fromUtf8(input) + "=>\n" + QString::fromUtf8(output)));
        QVERIFY2(StorageFile::damage(output).isEmpty(),
                 qPrintable(context + "\n" + QString::fromUtf8(input) + "=>\n" + QString::fromUtf8(output)));
        StorageContents after;
        QVERIFY2(storage.load(&after).entryCount == qMin(int(expected.size()), StorageFile::kMaxEntries),
                 qPrintable(context));
    }
    qInfo("%d of %d files changed while running were backed up", backedUp, runs);
}

void TestStorage::corpus_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QDir dir(QStringLiteral(TAVREL_FUZZ_CORPUS));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 30, "the fuzz corpus is missing");
    for (const QString &name : names)
        QTest::newRow(name.toUtf8().constData()) << CoreTestHome::read(dir.filePath(name));
}

// Every starting input of the fuzz targets and every input they ever broke a rule with: the
// rules of the readers and rewrites, then the real start-up on it.
void TestStorage::corpus()
{
    QFETCH(QByteArray, bytes);
    const QString broken = StorageInvariants::check(bytes);
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    CoreTestHome home;
    home.writeStorage(bytes);
    StorageFile storage;
    const StorageResult start = storage.prepare();
    QVERIFY(start.ok());
    const bool damaged = !bytes.isEmpty() && !StorageFile::damage(bytes).isEmpty();
    QCOMPARE(start.notices.size(), damaged ? 1 : 0);
    if (damaged)
        QCOMPARE(CoreTestHome::read(start.notices.first().backupPath), bytes);
    QCOMPARE(home.storageBytes(), StorageFile::preparedBytes(bytes));
    StorageContents contents;
    QCOMPARE(storage.load(&contents).entryCount, StorageInvariants::startupRows(bytes));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestStorage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storage.moc"
