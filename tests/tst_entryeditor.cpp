// The entry editor on its own: worked through its widgets as a user would, judged by the Entry it
// hands to the window's store, the prompts it raises and what it shows.
#include "core/texts.h"
#include "support/dialogdriver.h"
#include "support/soundfiles.h"
#include "support/testsupport.h"
#include "ui/entryeditor.h"
#include "ui/timespinbox.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QMediaPlaylist>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

using namespace DialogDriver;
using Result = EntryEditor::StoreResult;

namespace {

const QString kSpacer(12, ' ');
const QStringList kOnce{"重复：一次", "", "", ""};

// An entry in one line: "kind|name|time|days|sound|command|loop|state", days joined with ",",
// files relative to the test's HOME ("" for the built-in ring and for no command).
QString describe(const Entry &e, const QString &home)
{
    const auto relative = [&home](const QString &path) {
        return path.startsWith(home + '/') ? path.mid(home.size() + 1) : path;
    };
    const QString time =
        e.isAlarm() ? e.alarmTime.toString("HH:mm") : TimeSpinBox::format(e.timerSeconds, true);
    return QStringList{e.isAlarm() ? "alarm" : "timer",
                       e.name,
                       time,
                       EntryEditor::dayNames(e.weekdays).join(','),
                       relative(e.sound),
                       relative(e.command),
                       e.loop ? "loop" : "once",
                       e.enabled ? "on" : "off"}
        .join('|');
}

// The reverse; a file named with a leading "@" is made under HOME first.
Entry entryFrom(const QString &text, const TestHome &home)
{
    const QStringList f = text.split('|');
    const auto file = [&home](const QString &name) {
        return name.startsWith('@') ? home.makeFile(name.mid(1)) : name;
    };
    Entry e;
    e.kind = f[0] == "alarm" ? Entry::Kind::Alarm : Entry::Kind::Timer;
    e.name = f[1];
    if (e.isAlarm())
        e.alarmTime = QTime::fromString(f[2], "HH:mm");
    else
        e.timerSeconds = TimeSpinBox::parse(f[2], true, 99);
    for (const QString &day : f[3].split(',', Qt::SkipEmptyParts))
        e.weekdays.insert(Qt::DayOfWeek(Texts::kDayNames.indexOf(day) + 1));
    e.sound = file(f[4]);
    e.command = file(f[5]);
    e.loop = f[6] == "loop";
    e.enabled = f[7] == "on";
    return e;
}

// An editor over a stand-in window whose store records what it is handed and answers `answer`.
struct Rig
{
    TestHome home;
    QWidget window;
    EntryEditor *e = nullptr;
    QList<QPair<int, Entry>> handed; // what the store was given
    QList<QPair<int, Entry>> saved;  // what entrySaved() carried
    Result answer = Result::Stored;

    Rig()
    {
        e = new EntryEditor(&window);
        e->setStore([this](int row, const Entry &entry) {
            handed.append({row, entry});
            return answer;
        });
        QObject::connect(e, &EntryEditor::entrySaved, [this](int row, const Entry &entry) {
            saved.append({row, entry});
        });
        e->show();
        QApplication::setActiveWindow(e);
    }
    template <typename T = QWidget> T *w(const QString &name) const { return e->findChild<T *>(name); }
    QCheckBox *day(const QString &name) const
    {
        return w<QCheckBox>(QStringLiteral("dayBox%1").arg(Texts::kDayNames.indexOf(name) + 1));
    }
    QTreeWidgetItem *summary() const { return w<QTreeWidget>("repeatList")->topLevelItem(0); }
    QStringList columns() const
    {
        QStringList texts;
        for (int c = 0; c < 4; ++c)
            texts << summary()->text(c);
        return texts;
    }
    QStringList checkedDays() const
    {
        QStringList days;
        for (const QString &name : Texts::kDayNames) {
            if (day(name)->isChecked())
                days << name;
        }
        return days;
    }
    bool listOpen() const { return w("repeatList")->height() == 85 && w("commandButton")->y() == 320; }
    QString timeShown() const { return w<TimeSpinBox>("timeEdit")->text(); }

    void typeInto(QWidget *widget, const QString &text) const
    {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void typeTime(const QString &digits) const
    {
        auto *field = w<TimeSpinBox>("timeEdit");
        QTest::mouseClick(field->findChild<QLineEdit *>(), Qt::LeftButton, {},
                          QPoint(3, field->height() / 2));
        QTest::keyClicks(field, digits);
    }
    void choose(const char *button, const QString &relative) const
    {
        answerFileDialog(e, relative.isEmpty() ? QString() : home.makeFile(relative));
        QTest::mousePress(w<QPushButton>(button), Qt::LeftButton);
    }

    // Works the editor: "alarm", "timer", "name:x", "time:0130" (click the hours, then type),
    // "keys:0130" (type only), "tab", "backtab", "focused:30" (typed where the focus is), "up",
    // "down", "open", "day:星期一",
    // "sound:a.mp3", "command:b.sh", "rightsound", "rightcommand", "loop", "save", "close",
    // "load:<row>:<entry>".
    void run(const QStringList &steps)
    {
        for (const QString &step : steps) {
            const QString arg = step.section(':', 1);
            if (step == "alarm" || step == "timer") {
                QTest::mouseClick(w<QPushButton>(step + "Button"), Qt::LeftButton);
            } else if (step.startsWith("name:")) {
                QTest::keyClick(w("nameEdit"), Qt::Key_A, Qt::ControlModifier);
                typeInto(w("nameEdit"), arg);
            } else if (step.startsWith("time:")) {
                typeTime(arg);
            } else if (step.startsWith("keys:")) {
                QTest::keyClicks(w("timeEdit"), arg);
            } else if (step == "tab" || step == "backtab") {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                                step == "tab" ? Qt::NoModifier : Qt::ShiftModifier);
            } else if (step.startsWith("focused:")) {
                QTest::keyClicks(QApplication::focusWidget(), arg);
            } else if (step == "up" || step == "down") {
                QTest::keyClick(w("timeEdit"), step == "up" ? Qt::Key_Up : Qt::Key_Down);
            } else if (step == "open") {
                w<QTreeWidget>("repeatList")->expandItem(summary());
            } else if (step.startsWith("day:")) {
                QTest::mouseClick(day(arg), Qt::LeftButton, {}, QPoint(8, day(arg)->height() / 2));
            } else if (step.startsWith("sound:") || step.startsWith("command:")) {
                choose(step.startsWith("sound:") ? "soundButton" : "commandButton", arg);
            } else if (step == "rightsound" || step == "rightcommand") {
                QTest::mousePress(w<QPushButton>(step.mid(5) + "Button"), Qt::RightButton);
            } else if (step == "loop") {
                QTest::mouseClick(w("loopBox"), Qt::LeftButton, {}, QPoint(8, w("loopBox")->height() / 2));
            } else if (step == "save") {
                QTest::mouseClick(w("saveButton"), Qt::LeftButton);
            } else if (step == "close") {
                e->close();
            } else if (step.startsWith("load:")) {
                e->loadEntry(arg.section(':', 0, 0).toInt(), entryFrom(arg.section(':', 1), home));
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
    }
};

} // namespace

class TestEntryEditor : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void saving_data();
    void saving();
    void storeAnswers_data();
    void storeAnswers();
    void typingTheTime_data();
    void typingTheTime();
    void tabStepsThroughSections_data();
    void tabStepsThroughSections();
    void modes_data();
    void modes();
    void summary_data();
    void summary();
    void repeatListMovesTheLowerHalf();
    void waysOutReset_data();
    void waysOutReset();
    void fileButtons_data();
    void fileButtons();
    void loading_data();
    void loading();
    void preview_data();
    void preview();
    void accessibleNames_data();
    void accessibleNames();
    void dayBoxesTickedByScreenReader();
};

void TestEntryEditor::saving_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("entry");
    QTest::newRow("a new alarm left at the defaults")
        << QStringList{"save"} << -1 << "alarm|闹钟|00:00||||loop|on";
    QTest::newRow("timer of an hour and a half")
        << QStringList{"timer", "time:013000", "save"} << -1 << "timer|计时器|01:30:00||||loop|on";
    QTest::newRow("timer of thirty hours")
        << QStringList{"timer", "time:300000", "save"} << -1 << "timer|计时器|30:00:00||||loop|on";
    QTest::newRow("timer at the limit")
        << QStringList{"timer", "time:995959", "save"} << -1 << "timer|计时器|99:59:59||||loop|on";
    QTest::newRow("alarm Monday and Friday, named")
        << QStringList{"name:wake", "time:0730", "open", "day:星期五", "day:星期一", "save"} << -1
        << "alarm|wake|07:30|星期一,星期五|||loop|on";
    QTest::newRow("Chinese name, seven characters at most")
        << QStringList{"name:一二三四五六七八", "save"} << -1 << "alarm|一二三四五六七|00:00||||loop|on";
    QTest::newRow("an alarm drops the seconds a timer had")
        << QStringList{"timer", "time:010203", "alarm", "save"} << -1 << "alarm|闹钟|01:02||||loop|on";
    QTest::newRow("a timer drops the days")
        << QStringList{"open", "day:星期三", "timer", "save"} << -1 << "timer|计时器|00:00:00||||loop|on";
    QTest::newRow("chosen sound and command, once")
        << QStringList{"sound:音乐/a,b.mp3", "command:bin/w.sh", "loop", "save"} << -1
        << "alarm|闹钟|00:00||音乐/a,b.mp3|bin/w.sh|once|on";
    QTest::newRow("right presses restore the defaults")
        << QStringList{"sound:r.mp3", "rightsound", "command:w.sh", "rightcommand", "save"} << -1
        << "alarm|闹钟|00:00||||loop|on";
    QTest::newRow("edit saved unchanged keeps row and state")
        << QStringList{"load:2:alarm|早起|07:30|星期一,星期三|@r.mp3|@w.sh|once|off", "save"} << 2
        << "alarm|早起|07:30|星期一,星期三|r.mp3|w.sh|once|off";
    QTest::newRow("edit of a thirty-hour timer saves it back")
        << QStringList{"load:0:timer|长|30:00:00||||loop|on", "save"} << 0 << "timer|长|30:00:00||||loop|on";
    QTest::newRow("edit: a thirty-hour timer stepped up an hour")
        << QStringList{"load:0:timer|长|30:00:00||||loop|on", "time:", "up", "save"} << 0
        << "timer|长|31:00:00||||loop|on";
    QTest::newRow("edit turns an alarm into a timer")
        << QStringList{"load:4:alarm|x|06:00|星期日|||loop|off", "timer", "time:000500", "save"} << 4
        << "timer|计时器|00:05:00||||loop|off";
    QTest::newRow("edit with files gone saves the defaults")
        << QStringList{"load:1:alarm|x|06:00||/gone/a.mp3|/gone/b.sh|loop|on", "save"} << 1
        << "alarm|x|06:00||||loop|on";
    QTest::newRow("edit of a hand-made nine-character name changing only the time")
        << QStringList{"load:3:alarm|一二三四五六七八九|07:30||||loop|on", "time:0800", "save"} << 3
        << "alarm|一二三四五六七八九|08:00||||loop|on";
    QTest::newRow("a new entry after a long-named edit stops at seven again")
        << QStringList{"load:3:alarm|一二三四五六七八九|07:30||||loop|on", "close", "name:一二三四五六七八",
                       "save"}
        << -1 << "alarm|一二三四五六七|00:00||||loop|on";
}

void TestEntryEditor::saving()
{
    QFETCH(QStringList, steps);
    Rig r;
    r.run(steps);
    QCOMPARE(r.handed.size(), 1);
    QTEST(r.handed[0].first, "row");
    QTEST(describe(r.handed[0].second, r.home.home()), "entry");
    QCOMPARE(r.saved.size(), 1);
    QTEST(r.saved[0].first, "row");
    QCOMPARE(describe(r.saved[0].second, ""), describe(r.handed[0].second, ""));
}

void TestEntryEditor::storeAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<bool>("open"); // the dialog is still open with what was entered
    QTest::newRow("stored") << int(Result::Stored) << QStringList{"保存成功。"} << false;
    QTest::newRow("list full") << int(Result::Full) << QStringList{"闹钟和计时器数量最多为20个,无法保存。"}
                               << true;
    QTest::newRow("failed: the window has said why") << int(Result::Failed) << QStringList() << true;
}

void TestEntryEditor::storeAnswers()
{
    QFETCH(int, answer);
    QFETCH(bool, open);
    Rig r;
    r.answer = Result(answer);
    r.run({"timer", "name:tea", "time:000300", "save"});
    QTEST(TestSupport::shownPromptTexts(), "prompts");
    QCOMPARE(r.e->isVisible(), open);
    QCOMPARE(r.saved.size(), open ? 0 : 1);
    QCOMPARE(r.w<QLineEdit>("nameEdit")->text(), open ? "tea" : "闹钟");
    QCOMPARE(r.timeShown(), open ? "00:03:00" : "00:00");
    if (open) { // a second try, once the window has room again, saves the same entry
        r.answer = Result::Stored;
        r.run({"save"});
        QCOMPARE(r.handed.size(), 2);
        QCOMPARE(describe(r.handed[1].second, ""), describe(r.handed[0].second, ""));
        QVERIFY(!r.e->isVisible());
    }
}

void TestEntryEditor::typingTheTime_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");
    QTest::newRow("alarm: four digits") << QStringList{"time:0730"} << "07:30";
    QTest::newRow("alarm: a digit no second can follow fills the section")
        << QStringList{"time:99"} << "09:09";
    QTest::newRow("alarm: hours stop at 23") << QStringList{"time:2959"} << "23:59";
    QTest::newRow("timer: six digits") << QStringList{"timer", "time:013000"} << "01:30:00";
    QTest::newRow("timer: a step, then digits carried on from section to section")
        << QStringList{"timer", "time:", "up", "down", "keys:002000"} << "00:20:00";
    QTest::newRow("timer: a colon moves on without a second digit")
        << QStringList{"timer", "time:1:2:3"} << "01:02:03";
    QTest::newRow("backspace clears the hours only")
        << QStringList{"time:0730", "time:", "keys:\b"} << "00:30";
    QTest::newRow("timer: hours past a day") << QStringList{"timer", "time:48"} << "48:00:00";
    QTest::newRow("timer: up steps the hours past 23")
        << QStringList{"timer", "time:23", "time:", "up"} << "24:00:00";
    QTest::newRow("timer: up stops at 99") << QStringList{"timer", "time:99", "time:", "up"} << "99:00:00";
    QTest::newRow("a long timer shown as an alarm stops at 23:59")
        << QStringList{"timer", "time:300000", "alarm"} << "23:59";
}

void TestEntryEditor::typingTheTime()
{
    QFETCH(QStringList, steps);
    Rig r;
    r.run(steps);
    QTEST(r.timeShown(), "shown");
}

// Tab and Shift+Tab move from section to section; only from the last or first do they leave.
void TestEntryEditor::tabStepsThroughSections_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("stillInField");
    QTest::newRow("alarm: 07, Tab, 30") << QStringList{"time:07", "tab", "focused:30"} << "07:30" << true;
    QTest::newRow("timer: 01, Tab, 30, Tab, 15")
        << QStringList{"timer", "time:01", "tab", "focused:30", "tab", "focused:15"} << "01:30:15" << true;
    QTest::newRow("timer: Tab twice from the hours reaches the seconds")
        << QStringList{"timer", "time:", "tab", "tab", "focused:45"} << "00:00:45" << true;
    QTest::newRow("timer: Shift+Tab goes back to the hours")
        << QStringList{"timer", "time:", "tab", "backtab", "focused:12"} << "12:00:00" << true;
    QTest::newRow("alarm: Tab from the minutes leaves")
        << QStringList{"time:", "tab", "tab", "focused:5"} << "00:00" << false;
    QTest::newRow("alarm: Shift+Tab from the hours leaves")
        << QStringList{"time:", "backtab", "focused:5"} << "00:00" << false;
}

void TestEntryEditor::tabStepsThroughSections()
{
    QFETCH(QStringList, steps);
    Rig r;
    r.run(steps);
    QTEST(r.timeShown(), "shown");
    QTEST(QApplication::focusWidget() == r.w("timeEdit"), "stillInField");
}

void TestEntryEditor::modes_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("timer");
    QTest::addColumn<QStringList>("days");
    QTest::newRow("timer replaces the name, keeps the time")
        << QStringList{"name:abc", "time:0730", "timer"} << "计时器"
        << "07:30:00" << true << QStringList();
    QTest::newRow("alarm replaces the name")
        << QStringList{"timer", "time:010203", "name:x", "alarm"} << "闹钟"
        << "01:02" << false << QStringList();
    QTest::newRow("timer closes an open list and drops its days")
        << QStringList{"open", "day:星期三", "timer"} << "计时器"
        << "00:00:00" << true << QStringList();
    QTest::newRow("alarm afterwards: list enabled, still closed")
        << QStringList{"open", "day:星期三", "timer", "alarm"} << "闹钟"
        << "00:00" << false << QStringList();
    QTest::newRow("days stay while the mode stays") << QStringList{"open", "day:星期三", "alarm"} << "闹钟"
                                                    << "00:00" << false << QStringList{"星期三"};
}

void TestEntryEditor::modes()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, timer);
    Rig r;
    r.run(steps);
    QTEST(r.w<QLineEdit>("nameEdit")->text(), "name");
    QTEST(r.timeShown(), "shown");
    QTEST(r.checkedDays(), "days");
    QCOMPARE(r.w<QLabel>("hintLabel")->text(), timer ? Texts::kTimerHint : Texts::kAlarmHint);
    QCOMPARE(r.w<QLabel>("hintLabel")->font().pointSize(), timer ? 8 : 10);
    QCOMPARE(r.w<QLabel>("hintLabel")->geometry(), timer ? QRect(210, 80, 185, 40) : QRect(190, 80, 205, 40));
    QCOMPARE(r.w("timeEdit")->geometry(), timer ? QRect(45, 85, 160, 30) : QRect(45, 85, 140, 30));
    QCOMPARE(r.w<QPushButton>("timerButton")->isChecked(), timer);
    QCOMPARE(r.w<QPushButton>("alarmButton")->isChecked(), !timer);
    QCOMPARE(r.w("repeatList")->isEnabled(), !timer);
    QCOMPARE(r.listOpen(), !r.checkedDays().isEmpty()); // only the last row keeps the list open
}

void TestEntryEditor::summary_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("none") << QStringList() << kOnce;
    QTest::newRow("Monday first whatever the click order")
        << QStringList{"星期日", "星期一"} << QStringList{"重复：星期一", "星期日", "", ""};
    QTest::newRow("Mon Wed Fri Sun") << QStringList{"星期一", "星期三", "星期五", "星期日"}
                                     << QStringList{"重复：星期一", "星期三" + kSpacer + "星期五", "星期日",
                                                    ""};
    QTest::newRow("all seven") << Texts::kDayNames
                               << QStringList{"重复：星期一", "星期二" + kSpacer + "星期三",
                                              "星期四" + kSpacer + "星期五", "星期六" + kSpacer + "星期日"};
    QTest::newRow("four checked, then unchecked")
        << QStringList{"星期一", "星期三", "星期五", "星期日", "星期一", "星期三", "星期五", "星期日"}
        << kOnce;
}

void TestEntryEditor::summary()
{
    QFETCH(QStringList, clicks);
    Rig r;
    r.run({"open"});
    for (const QString &day : clicks)
        r.run({"day:" + day});
    QTEST(r.columns(), "columns");
}

// The list grows from 16 to 85 pixels and everything under it moves down by 70; each weekday
// box lies exactly over its cell.
void TestEntryEditor::repeatListMovesTheLowerHalf()
{
    Rig r;
    const char *lower[] = {"ringLabel",    "soundButton",   "previewButton", "loopBox",
                           "commandLabel", "commandButton", "warningLabel",  "repeatList"};
    QList<QRect> closed;
    for (const char *name : lower)
        closed << r.w(name)->geometry();
    r.run({"open"});
    for (int i = 0; i < 6; ++i)
        QCOMPARE(r.w(lower[i])->geometry(), closed[i].translated(0, 70));
    QCOMPARE(r.w("warningLabel")->geometry(), closed[6].translated(0, 69));
    QCOMPARE(r.w("repeatList")->geometry(), closed[7].adjusted(0, 0, 0, 69));
    auto *list = r.w<QTreeWidget>("repeatList");
    for (int d = 0; d < 7; ++d) {
        QCheckBox *box = r.day(Texts::kDayNames[d]);
        QVERIFY(box->isVisible());
        const QRect row = list->visualItemRect(r.summary()->child(d / 3));
        const int x = list->header()->sectionViewportPosition(d % 3 + 1);
        const QPoint cell = list->viewport()->mapTo(r.e, QPoint(x, row.y()));
        QCOMPARE(box->pos(), cell);
        QCOMPARE(box->height(), row.height());
        QVERIFY2(
            r.e->rect().contains(box->geometry()),
            qPrintable(
                QString("%1 %2 %3 %4").arg(box->x()).arg(box->y()).arg(box->width()).arg(box->height())));
    }
    list->collapseItem(r.summary());
    for (int i = 0; i < 8; ++i)
        QCOMPARE(r.w(lower[i])->geometry(), closed[i]);
    QVERIFY(r.day("星期日")->isHidden());
}

void TestEntryEditor::waysOutReset_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("关闭") << "button";
    QTest::newRow("frame close") << "close";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Escape in the name field") << "escape:nameEdit";
    QTest::newRow("Escape in the time field") << "escape:timeEdit";
}

void TestEntryEditor::waysOutReset()
{
    QFETCH(QString, way);
    Rig r;
    r.run({"load:2:alarm|morning|07:30|星期一,星期五|@音乐/r.mp3|@bin/w.sh|once|on"});
    QCOMPARE(r.e->windowTitle(), QStringLiteral("编辑"));
    QVERIFY(r.listOpen());
    if (way == "button")
        QTest::mouseClick(r.w("closeButton"), Qt::LeftButton);
    else if (way == "close")
        r.e->close();
    else
        QTest::keyClick(way == "escape" ? r.e : r.w(way.section(':', 1)), Qt::Key_Escape);

    QVERIFY(!r.e->isVisible());
    QVERIFY(!r.e->isEditing());
    QVERIFY(r.handed.isEmpty());
    QCOMPARE(r.e->windowTitle(), QStringLiteral("新建"));
    QVERIFY(r.w<QPushButton>("alarmButton")->isChecked());
    QCOMPARE(r.w<QLineEdit>("nameEdit")->text(), QStringLiteral("闹钟"));
    QCOMPARE(r.timeShown(), QStringLiteral("00:00"));
    QCOMPARE(r.checkedDays(), QStringList());
    QCOMPARE(r.columns(), kOnce);
    QVERIFY(!r.listOpen());
    QCOMPARE(r.w<QPushButton>("soundButton")->text(), Texts::kDefaultSoundCaption);
    QCOMPARE(r.w<QPushButton>("commandButton")->text(), Texts::kNoCommandCaption);
    QVERIFY(r.w<QCheckBox>("loopBox")->isChecked());
    // What the next "新建" hands over is a blank new alarm.
    r.e->show();
    r.run({"save"});
    QCOMPARE(r.handed.size(), 1);
    QCOMPARE(r.handed[0].first, -1);
    QCOMPARE(describe(r.handed[0].second, r.home.home()), QStringLiteral("alarm|闹钟|00:00||||loop|on"));
}

void TestEntryEditor::fileButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("press"); // "left", "right", "space" (the keyboard)
    QTest::addColumn<QString>("file");  // chosen in the file dialog (empty: cancelled)
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title"); // of the file dialog
    // clang-format off
    QTest::newRow("music with a comma")      << "soundButton"   << "left"  << "音乐/a,b.mp3" << "a,b.mp3"   << "选择音乐文件";
    QTest::newRow("command script")          << "commandButton" << "left"  << "bin/wake.sh"  << "wake.sh"   << "选择命令文件";
    QTest::newRow("music from the keyboard") << "soundButton"   << "space" << "k.mp3"        << "k.mp3"     << "选择音乐文件";
    QTest::newRow("music cancelled")         << "soundButton"   << "left"  << ""             << "r.mp3"     << "选择音乐文件";
    QTest::newRow("command cancelled")       << "commandButton" << "left"  << ""             << "w.sh"      << "选择命令文件";
    QTest::newRow("path with a line break")  << "soundButton"   << "left"  << "音乐\n新/x.mp3" << "r.mp3"   << "选择音乐文件";
    QTest::newRow("right: default ring")     << "soundButton"   << "right" << "" << Texts::kDefaultSoundCaption << "";
    QTest::newRow("right: no command")       << "commandButton" << "right" << "" << Texts::kNoCommandCaption   << "";
    // clang-format on
}

// Each starts from an entry with a chosen music and command file loaded.
void TestEntryEditor::fileButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, press);
    QFETCH(QString, file);
    Rig r;
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    r.run({"load:0:alarm|x|07:30||@r.mp3|@w.sh|loop|on"});
    auto *target = r.w<QPushButton>(button);
    FileDialogSeen seen;
    if (press != "right")
        answerFileDialog(r.e, file.isEmpty() ? QString() : r.home.makeFile(file), &seen);
    if (press == "space")
        QTest::keyClick(target, Qt::Key_Space);
    else
        QTest::mousePress(target, press == "left" ? Qt::LeftButton : Qt::RightButton);
    QTest::mouseRelease(target, press == "right" ? Qt::RightButton : Qt::LeftButton);

    QTEST(target->text(), "caption");
    QCOMPARE(target->icon().isNull(), press == "right");
    QVERIFY(!target->isDown());
    QTEST(seen.title, "title");
    QVERIFY(!r.e->findChild<QFileDialog *>()); // one dialog, gone once answered
    if (press != "right") {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QCOMPARE(seen.directory, QDir(desktop).absolutePath());
        QCOMPARE(seen.filters.join("").contains("*.mp3*"), button == "soundButton");
    }
    const bool refused = file.contains('\n');
    QCOMPARE(TestSupport::shownPromptTexts().join("").contains("换行符"), refused);
}

void TestEntryEditor::loading_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("prompts");
    QTest::newRow("alarm Mon Wed Fri")
        << "alarm|morning|07:30|星期一,星期三,星期五|||loop|on"
        << "07:30" << QStringList{"重复：星期一", "星期三" + kSpacer + "星期五", "", ""} << QStringList();
    QTest::newRow("alarm on one day") << "alarm|周三|21:05|星期三|||once|off"
                                      << "21:05" << QStringList{"重复：星期三", "", "", ""} << QStringList();
    QTest::newRow("timer 01:30:00") << "timer|茶|01:30:00||||once|on"
                                    << "01:30:00" << kOnce << QStringList();
    QTest::newRow("timer of thirty hours") << "timer|长|30:00:00||||loop|off"
                                           << "30:00:00" << kOnce << QStringList();
    QTest::newRow("timer at the limit") << "timer|长|99:59:59||||loop|off"
                                        << "99:59:59" << kOnce << QStringList();
    QTest::newRow("files shown by name") << "alarm|x|06:00||@音乐/r.mp3|@bin/w.sh|loop|on"
                                         << "06:00" << kOnce << QStringList();
    QTest::newRow("missing files reported")
        << "alarm|x|06:00||/gone/ring.mp3|/gone/run.sh|loop|on"
        << "06:00" << kOnce
        << QStringList{"/gone/ring.mp3   声音文件不存在，恢复为默认响铃。",
                       "/gone/run.sh   命令文件不存在，恢复为无。"};
}

void TestEntryEditor::loading()
{
    QFETCH(QString, entry);
    Rig r;
    r.run({"load:3:" + entry});
    const Entry e = entryFrom(entry, r.home);
    QCOMPARE(r.e->windowTitle(), QStringLiteral("编辑"));
    QVERIFY(r.e->isEditing());
    QCOMPARE(r.e->editedRow(), 3);
    QCOMPARE(r.w<QPushButton>("timerButton")->isChecked(), e.isTimer());
    QCOMPARE(r.w<QLineEdit>("nameEdit")->text(), e.name); // loading keeps the name
    QTEST(r.timeShown(), "shown");
    QCOMPARE(r.w<QLabel>("hintLabel")->font().pointSize(), e.isTimer() ? 8 : 10);
    QCOMPARE(r.w("repeatList")->isEnabled(), e.isAlarm());
    QCOMPARE(r.listOpen(), !e.weekdays.isEmpty());
    QCOMPARE(r.checkedDays(), EntryEditor::dayNames(e.weekdays));
    QTEST(r.columns(), "columns");
    const bool files = entry.contains('@');
    QCOMPARE(r.w<QPushButton>("soundButton")->text(), files ? "r.mp3" : Texts::kDefaultSoundCaption);
    QCOMPARE(r.w<QPushButton>("commandButton")->text(), files ? "w.sh" : Texts::kNoCommandCaption);
    QCOMPARE(r.w<QCheckBox>("loopBox")->isChecked(), e.loop);
    QStringList shown = TestSupport::shownPromptTexts();
    shown.sort();
    QTEST(shown, "prompts"); // listed sorted
}

void TestEntryEditor::preview_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QString>("end"); // "itself", "click" (on 停止), "close" (the dialog)
    QTest::newRow("once ends by itself") << false << "itself";
    QTest::newRow("loop ends with 停止") << true << "click";
    QTest::newRow("loop ends when the dialog closes") << true << "close";
}

// The player exists only while a preview plays.
void TestEntryEditor::preview()
{
    QFETCH(bool, loop);
    QFETCH(QString, end);
    Rig r;
    const QString wav = r.home.documents() + "/short.wav";
    TestSupport::writeFile(wav, toneWav(0.4));
    r.e->loadEntry(0, entryFrom("alarm|x|07:30||" + wav + "||" + (loop ? "loop" : "once") + "|on", r.home));
    auto *play = r.w<QPushButton>("previewButton");
    const auto player = [&r] { return r.e->findChild<QMediaPlayer *>(); };
    QVERIFY(!player());
    QTest::mouseClick(play, Qt::LeftButton);
    QCOMPARE(play->text(), QStringLiteral("停止"));
    QVERIFY(player());
    QCOMPARE(player()->playlist()->media(0).request().url(), QUrl::fromLocalFile(wav));
    QTRY_COMPARE(player()->state(), QMediaPlayer::PlayingState);
    if (end == "itself") {
        QTRY_COMPARE_WITH_TIMEOUT(play->text(), QStringLiteral("播放"), 5000);
    } else {
        QTest::qWait(900); // twice the sound's length: a loop is still going
        QCOMPARE(player()->state(), QMediaPlayer::PlayingState);
        end == "click" ? QTest::mouseClick(play, Qt::LeftButton) : (void)r.e->close();
        QCOMPARE(play->text(), QStringLiteral("播放"));
    }
    QTRY_VERIFY(!player());
    r.e->show();
    QTest::mouseClick(play, Qt::LeftButton); // the next click starts a new preview
    QCOMPARE(play->text(), QStringLiteral("停止"));
    QTRY_COMPARE(player()->state(), QMediaPlayer::PlayingState);
    QCOMPARE(player()->playlist()->media(0).request().url(),
             end == "close" ? QUrl("qrc:/res/默认响铃.mp3") : QUrl::fromLocalFile(wav));
}

void TestEntryEditor::accessibleNames_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("name field") << "nameEdit" << int(QAccessible::EditableText) << "名称："
                                << "";
    QTest::newRow("time field") << "timeEdit" << int(QAccessible::SpinBox) << "时间：" << Texts::kAlarmHint;
    for (int d = 0; d < 7; ++d)
        QTest::addRow("weekday %d", d + 1) << QStringLiteral("dayBox%1").arg(d + 1)
                                           << int(QAccessible::CheckBox) << Texts::kDayNames[d] << "";
    QTest::newRow("sound button") << "soundButton" << int(QAccessible::Button) << "r.mp3"
                                  << "播放响铃";
    QTest::newRow("command button") << "commandButton" << int(QAccessible::Button) << Texts::kNoCommandCaption
                                    << "执行文件:";
    QTest::newRow("loop box") << "loopBox" << int(QAccessible::CheckBox) << "反复闹铃"
                              << "";
}

void TestEntryEditor::accessibleNames()
{
    QFETCH(QString, widget);
    Rig r;
    r.run({"load:0:alarm|x|07:30|星期一|@r.mp3||loop|on"});
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(r.w(widget));
    QVERIFY(iface);
    QTEST(int(iface->role()), "role");
    QTEST(iface->text(QAccessible::Name), "name");
    QTEST(iface->text(QAccessible::Description), "description");
    // Reachable from the dialog, not hidden inside the repeat list's cells.
    QAccessibleInterface *dialog = QAccessible::queryAccessibleInterface(r.e);
    bool found = false;
    for (int i = 0; i < dialog->childCount(); ++i)
        found = found || dialog->child(i)->object() == r.w(widget);
    QVERIFY(found);
}

void TestEntryEditor::dayBoxesTickedByScreenReader()
{
    Rig r;
    r.run({"open"});
    for (const QString &day : {QStringLiteral("星期二"), QStringLiteral("星期六")}) {
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(r.day(day));
        QVERIFY(box->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    }
    QTRY_COMPARE(r.checkedDays(), (QStringList{"星期二", "星期六"}));
    QTRY_COMPARE(r.columns(), (QStringList{"重复：星期二", "星期六", "", ""}));
    r.run({"save"});
    QCOMPARE(describe(r.handed[0].second, ""), QStringLiteral("alarm|闹钟|00:00|星期二,星期六|||loop|on"));
}

TAVREL_TEST_MAIN(TestEntryEditor)
#include "tst_entryeditor.moc"
