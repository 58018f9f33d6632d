// The rows of the real main window: what each shows from the storage file, how it reads to a
// screen reader, selecting, enabling by mouse and keyboard, and what reaches the file.
#include "support/windowrig.h"
#include "ui/entryeditor.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

using namespace Rig;

namespace {

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage scaled(const QString &resource, Qt::TransformationMode mode)
{
    // Through a pixmap, as a label shows it.
    return argb(QPixmap::fromImage(QImage(resource).scaled(40, 26, Qt::KeepAspectRatio, mode)).toImage());
}

QImage shownIcon(const EntryRow *row)
{
    return argb(row->iconShown().toImage());
}

QImage actionIcon(const QIcon &icon)
{
    return icon.pixmap(QSize(40, 20)).toImage();
}

QVector<Entry> threeAlarms()
{
    return {alarm(QStringLiteral("一"), QStringLiteral("07:00")),
            alarm(QStringLiteral("二"), QStringLiteral("08:00")),
            alarm(QStringLiteral("三"), QStringLiteral("09:00"))};
}

QVector<Entry> withStates(QVector<Entry> entries, const QList<bool> &states)
{
    for (int i = 0; i < states.size(); ++i)
        entries[i].enabled = states.at(i);
    return entries;
}

QVector<Entry> alarms(int n)
{
    QVector<Entry> list;
    for (int i = 0; i < n; ++i)
        list << alarm(QStringLiteral("闹%1").arg(i),
                      QStringLiteral("%1:15").arg(i % 24, 2, 10, QLatin1Char('0')));
    return list;
}

} // namespace

class TestRows : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void rowShowsItsEntry_data();
    void rowShowsItsEntry();
    void missingFilesArePrompted_data();
    void missingFilesArePrompted();
    void longTimersLoad_data();
    void longTimersLoad();
    void rowGeometryFollowsTheWindow();
    void overflowGrowsTheCanvas_data();
    void overflowGrowsTheCanvas();
    void commandFileIconInGreyAndColour_data();
    void commandFileIconInGreyAndColour();
    void selectionEnablesTheActions();
    void clickingABoxSelectsItsRowAndStoresEveryState_data();
    void clickingABoxSelectsItsRowAndStoresEveryState();
    void toggleCommand_data();
    void toggleCommand();
    void rowIconFollowsTheBox_data();
    void rowIconFollowsTheBox();
    void keyboard_data();
    void keyboard();
    void editSavedAfterItsRingEnded_data();
    void editSavedAfterItsRingEnded();
    void trayActivation_data();
    void trayActivation();
    void forcedReminderToggle();
    void trayBlinksWithRunningRows();
    void trayMenuCurrentWhenOpened();
};

void TestRows::rowShowsItsEntry_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("weekly alarm") << alarm("喝水", "09:05", "星期一|星期五") << "09:05"
                                  << "   每周重复：星期一、星期五"
                                  << ":/res/闹钟.png"
                                  << "闹钟 喝水 09:05 每周重复：星期一、星期五 已停用";
    QTest::newRow("single day") << alarm("喝水", "09:05", "星期三") << "09:05"
                                << "   每周重复：星期三"
                                << ":/res/闹钟.png"
                                << "闹钟 喝水 09:05 每周重复：星期三 已停用";
    QTest::newRow("alarm without repeat") << alarm("喝水", "09:05") << "09:05"
                                          << "   每周重复：否"
                                          << ":/res/闹钟.png"
                                          << "闹钟 喝水 09:05 每周重复：否 已停用";
    QTest::newRow("timer") << timer("喝水", "01:30:00") << "01:30:00"
                           << ""
                           << ":/res/计时器.png"
                           << "计时器 喝水 01:30:00 已停用";
}

void TestRows::rowShowsItsEntry()
{
    QFETCH(Entry, entry);
    QFETCH(QString, time);
    QFETCH(QString, info);
    QFETCH(QString, icon);
    QFETCH(QString, spoken);
    TestHome home;
    entry.enabled = true; // every entry starts disabled all the same
    Rig::Window r({entry}, home);
    EntryRow *row = r.d->row(0);
    QCOMPARE(row->timeText(), time);
    QCOMPARE(row->nameText(), QStringLiteral("喝水"));
    QCOMPARE(row->repeatShown(), info);
    QCOMPARE(shownIcon(row), scaled(icon, Qt::SmoothTransformation));
    QVERIFY(!row->enableBox()->isChecked());
    QCOMPARE(row->enableBox()->size(), QSize(40, 30));
    QVERIFY(row->enableBox()->styleSheet().contains(QStringLiteral("url(:/res/勾2.png)")));
    int lines = 0;
    for (QFrame *frame : row->findChildren<QFrame *>())
        lines += frame->frameShape() == QFrame::VLine;
    QCOMPARE(lines, 2);
    // A screen reader hears the whole row as its name, and what its box does.
    QCOMPARE(row->accessibleName(), spoken);
    QCOMPARE(row->enableBox()->accessibleName(), QStringLiteral("启用 喝水"));
    r.d->clickBox(0);
    QVERIFY(row->accessibleName().endsWith(QStringLiteral(" 已启用")));
}

void TestRows::missingFilesArePrompted_data()
{
    QTest::addColumn<QString>("sound");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("prompts");
    QTest::newRow("missing music file")
        << "/no/such/ring.mp3"
        << "" << QStringList{"/no/such/ring.mp3   音乐文件不存在，将用默认响铃替代。"};
    QTest::newRow("missing command file")
        << ""
        << "/no/such/run.sh" << QStringList{"/no/such/run.sh   命令文件不存在。"};
    QTest::newRow("both missing, path with commas")
        << "/no/a,b.mp3"
        << "/no/c,d.desktop"
        << QStringList{"/no/a,b.mp3   音乐文件不存在，将用默认响铃替代。",
                       "/no/c,d.desktop   命令文件不存在。"};
}

void TestRows::missingFilesArePrompted()
{
    QFETCH(QString, sound);
    QFETCH(QString, command);
    QFETCH(QStringList, prompts);
    TestHome home;
    Entry e = alarm("起床", "07:30");
    e.sound = sound;
    e.command = command;
    Rig::Window r({e}, home);
    QStringList shown = TestSupport::shownPromptTexts();
    shown.sort();
    QCOMPARE(shown, prompts);
    QCOMPARE(home.storageBytes(), fileOf({e})); // the report changes nothing stored
    QCOMPARE(shownIcon(r.d->row(0)), scaled(QStringLiteral(":/res/闹钟.png"), Qt::SmoothTransformation));
}

void TestRows::longTimersLoad_data()
{
    QTest::addColumn<bool>("isAlarm");
    QTest::addColumn<QByteArray>("stored"); // the time, or a whole type line
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("prompt");
    const QString tooLong = QStringLiteral("长   计时器时间超过99:59:59，无法启用，请编辑后再用。");
    const QString outOfRange = QStringLiteral("长   时间超出范围，无法启用，请编辑后再用。");
    QTest::newRow("a day and more") << false << QByteArray("30:00:00") << "30:00:00"
                                    << "";
    QTest::newRow("the longest") << false << QByteArray("99:59:59") << "99:59:59"
                                 << "";
    QTest::newRow("too long: refused, not reset")
        << false << QByteArray("100:00:00") << "00:00:00" << tooLong;
    QTest::newRow("timer minutes 90") << false << QByteArray("00:90:00") << "00:00:00" << outOfRange;
    QTest::newRow("timer seconds 60") << false << QByteArray("00:00:60") << "00:00:00" << outOfRange;
    QTest::newRow("alarm at 23:59") << true << QByteArray("23:59") << "23:59"
                                    << "";
    QTest::newRow("alarm hour 24") << true << QByteArray("24:00") << "00:00" << outOfRange;
    QTest::newRow("alarm minutes 60") << true << QByteArray("07:60") << "00:00" << outOfRange;
    QTest::newRow("unknown type: refused, no icon, kept")
        << false << QByteArray("类型,秒表") << "01:00:00"
        << QStringLiteral("长   类型不是闹钟或计时器，无法启用，请编辑后再用。");
}

// A hand-edited time shows what it holds within range (a timer up to 99:59:59); one out of range is
// refused with a prompt and cannot be enabled, so it neither rings at once nor loses what the file
// says, even when another entry's state rewrites the file. So is a type the program does not know.
void TestRows::longTimersLoad()
{
    QFETCH(bool, isAlarm);
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    QFETCH(QString, prompt);
    TestHome home;
    QByteArray bytes =
        fileOf({isAlarm ? alarm("长", "07:00") : timer("长", "01:00:00"), alarm("起床", "07:30")});
    if (stored.startsWith("类型,"))
        bytes.replace("类型,计时器", stored);
    else
        bytes.replace(isAlarm ? "时间,07:00" : "时间,01:00:00", "时间," + stored);
    home.writeStorage(bytes);
    MainWindow w;
    WindowDriver d(&w);
    QCOMPARE(d.row(0)->timeText(), shown);
    const bool usable = prompt.isEmpty();
    QCOMPARE(d.row(0)->enableBox()->isEnabled(), usable);
    QCOMPARE(TestSupport::shownPromptTexts(), usable ? QStringList() : QStringList{prompt});
    if (usable)
        return;
    QCOMPARE(shownIcon(d.row(0)).isNull(), stored.startsWith("类型"));
    d.clickBox(0);
    d.clickRow(0);
    d.action(QStringLiteral("启用/停用"))->trigger();
    QVERIFY(!d.row(0)->enableBox()->isChecked());
    d.clickBox(1);
    d.clickBox(1);
    QCOMPARE(home.storageBytes(), bytes);
}

void TestRows::rowGeometryFollowsTheWindow()
{
    TestHome home;
    home.writeStorage(fileOf(alarms(2)));
    MainWindow w;
    WindowDriver d(&w);
    EntryRow *row = d.row(1);
    QLabel *info = row->findChildren<QLabel *>().at(3);
    QCOMPARE(info->text(), row->repeatShown());
    QCOMPARE(row->size(), QSize(780, 40));
    QCOMPARE(info->size(), QSize(560, 30));
    d.show(); // the resize rules then leave two pixels to the layout's spacing
    QCOMPARE(info->size(), QSize(558, 30));
    QVERIFY(row->isCheckable());
    QVERIFY(row->autoExclusive());
    w.resize(1000, 700);
    QTRY_COMPARE(row->size(), QSize(980, 40));
    QCOMPARE(info->width(), 1000 - 40 - 60 - 100 - 40 - 2);
}

void TestRows::overflowGrowsTheCanvas_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("canvas");
    QTest::addColumn<bool>("scrollBarOn");
    QTest::newRow("eleven fit") << 11 << 520 << false;
    QTest::newRow("twelfth grows") << 12 << 568 << true;
    QTest::newRow("thirteenth grows again") << 13 << 616 << true;
    QTest::newRow("twenty") << 20 << 520 + 48 * 9 << true;
}

void TestRows::overflowGrowsTheCanvas()
{
    QFETCH(int, rows);
    QFETCH(int, canvas);
    QFETCH(bool, scrollBarOn);
    TestHome home;
    Rig::Window r(alarms(rows), home);
    QCOMPARE(r.d->rowCount(), rows);
    QCOMPARE(r.d->canvas()->height(), canvas);
    QCOMPARE(r.d->listArea()->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, scrollBarOn);
}

void TestRows::commandFileIconInGreyAndColour_data()
{
    QTest::addColumn<bool>("enable"); // its box ticked
    QTest::addColumn<QString>("then");
    QTest::newRow("disabled") << false << "";
    QTest::newRow("enabled") << true << "";
    QTest::newRow("disabled again") << true << "box";
    QTest::newRow("enabled, another entry saved") << true << "add";
    QTest::newRow("enabled, another entry deleted") << true << "delete";
    QTest::newRow("disabled, another entry saved") << false << "add";
}

// The command file's own icon, in colour while the entry is enabled and grey while not, whatever
// else the list went through.
void TestRows::commandFileIconInGreyAndColour()
{
    QFETCH(bool, enable);
    QFETCH(QString, then);
    TestHome home;
    Entry e = timer(QStringLiteral("脚本"), QStringLiteral("00:05:00"));
    e.command = home.makeFile(QStringLiteral("bin/提醒,我.desktop"),
                              "[Desktop Entry]\nType=Application\nName=x\nExec=/bin/true\nIcon=folder\n");
    Rig::Window r({e, alarm(QStringLiteral("别的"), QStringLiteral("07:00"))}, home);
    QVERIFY(TestSupport::shownPromptTexts().isEmpty());
    const QImage grey = shownIcon(r.d->row(0));
    r.d->clickBox(0);
    const QImage coloured = shownIcon(r.d->row(0));
    QVERIFY(coloured != grey);
    if (!enable)
        r.d->clickBox(0);
    if (then == "box")
        r.d->clickBox(0);
    else if (then == "add")
        QVERIFY(r.d->waitForEditor() && r.d->saveNew(QStringLiteral("新的")));
    else if (then == "delete")
        QVERIFY(!r.d->deleteRow(1).isEmpty());
    QCOMPARE(r.d->rowCount(), then == "add" ? 3 : then == "delete" ? 1 : 2);
    QCOMPARE(r.d->enabled(0), enable && then != "box");
    const QImage shown = shownIcon(r.d->row(0));
    if (r.d->enabled(0)) {
        QCOMPARE(shown, coloured);
        return;
    }
    QCOMPARE(shown, grey);
    int visible = 0;
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb px = grey.pixel(x, y);
            if (qAlpha(px) == 0)
                continue;
            ++visible;
            QVERIFY(qRed(px) == qGreen(px) && qGreen(px) == qBlue(px));
            QVERIFY(qGray(px) > 50); // the dark background is made clear
        }
    }
    QVERIFY(visible > 0);
}

void TestRows::selectionEnablesTheActions()
{
    TestHome home;
    Rig::Window r(threeAlarms(), home);
    QAction *edit = r.d->action(QStringLiteral("编辑..."));
    QAction *remove = r.d->action(QStringLiteral("删除"));
    QAction *toggle = r.d->action(QStringLiteral("启用/停用"));
    QVERIFY(!edit->isEnabled() && !remove->isEnabled() && !toggle->isEnabled());
    r.d->clickRow(1);
    QVERIFY(r.d->row(1)->isChecked());
    QVERIFY(edit->isEnabled() && remove->isEnabled() && toggle->isEnabled());
    QCOMPARE(actionIcon(toggle->icon()), actionIcon(QIcon(QStringLiteral(":/res/启用.png"))));
    r.d->clickRow(2);
    QVERIFY(r.d->row(2)->isChecked());
    QVERIFY(!r.d->row(1)->isChecked()); // one selected row at a time
}

void TestRows::clickingABoxSelectsItsRowAndStoresEveryState_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<bool>>("states");
    QTest::addColumn<int>("selected");
    QTest::newRow("row 0") << QList<int>{0} << QList<bool>{true, false, false} << 0;
    QTest::newRow("row 2") << QList<int>{2} << QList<bool>{false, false, true} << 2;
    QTest::newRow("rows 2 and 0") << QList<int>{2, 0} << QList<bool>{true, false, true} << 0;
    QTest::newRow("row 1 on and off again") << QList<int>{1, 1} << QList<bool>{false, false, false} << 1;
}

void TestRows::clickingABoxSelectsItsRowAndStoresEveryState()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QList<bool>, states);
    QFETCH(int, selected);
    TestHome home;
    Rig::Window r(threeAlarms(), home);
    for (int i : clicks)
        r.d->clickBox(i);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(r.box(i)->isChecked(), states.at(i));
        QCOMPARE(r.d->row(i)->isChecked(), i == selected);
    }
    QCOMPARE(home.storageBytes(), fileOf(withStates(threeAlarms(), states)));
    QVERIFY(r.d->action(QStringLiteral("编辑..."))->isEnabled());
    QCOMPARE(actionIcon(r.d->action(QStringLiteral("启用/停用"))->icon()),
             actionIcon(QIcon(states.at(selected) ? QStringLiteral(":/res/停用.png")
                                                  : QStringLiteral(":/res/启用.png"))));
}

void TestRows::toggleCommand_data()
{
    QTest::addColumn<int>("select");
    QTest::addColumn<bool>("enabledBefore");
    QTest::addColumn<QList<bool>>("states");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("tray");
    QTest::newRow("no row selected: nothing")
        << -1 << false << QList<bool>{false, false, false} << ":/res/启用.png"
        << ":/res/闹钟.png";
    QTest::newRow("selected disabled row is enabled")
        << 1 << false << QList<bool>{false, true, false} << ":/res/停用.png"
        << ":/res/闹钟-彩色.png";
    QTest::newRow("selected enabled row is disabled")
        << 1 << true << QList<bool>{false, false, false} << ":/res/启用.png"
        << ":/res/闹钟.png";
}

void TestRows::toggleCommand()
{
    QFETCH(int, select);
    QFETCH(bool, enabledBefore);
    QFETCH(QList<bool>, states);
    QFETCH(QString, icon);
    QFETCH(QString, tray);
    TestHome home;
    Rig::Window r(threeAlarms(), home);
    if (enabledBefore)
        r.d->clickBox(select);
    if (select >= 0)
        r.d->clickRow(select);
    QAction *toggle = r.d->action(QStringLiteral("启用/停用"));
    QCOMPARE(toggle->isEnabled(), select >= 0);
    r.w->toggleSelected();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(r.box(i)->isChecked(), states.at(i));
    QCOMPARE(home.storageBytes(), fileOf(withStates(threeAlarms(), states)));
    QCOMPARE(actionIcon(toggle->icon()), actionIcon(QIcon(icon)));
    QCOMPARE(actionIcon(r.d->tray()->icon()), actionIcon(QIcon(tray)));
}

void TestRows::rowIconFollowsTheBox_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("icon");
    const Entry a = alarm(QStringLiteral("闹"), QStringLiteral("07:00"));
    const Entry t = timer(QStringLiteral("计"), QStringLiteral("00:05:00"));
    QTest::newRow("alarm enabled") << a << 1 << ":/res/闹钟-彩色.png";
    QTest::newRow("alarm disabled again") << a << 2 << ":/res/闹钟.png";
    QTest::newRow("timer enabled") << t << 1 << ":/res/计时器-彩色.png";
    QTest::newRow("timer disabled again") << t << 2 << ":/res/计时器.png";
}

void TestRows::rowIconFollowsTheBox()
{
    QFETCH(Entry, entry);
    QFETCH(int, clicks);
    QFETCH(QString, icon);
    TestHome home;
    Rig::Window r({entry}, home);
    for (int n = 0; n < clicks; ++n)
        r.d->clickBox(0);
    QCOMPARE(shownIcon(r.d->row(0)), scaled(icon, Qt::FastTransformation));
}

// Tab walks the rows and selects the one it reaches; Space switches it; Return edits it;
// Delete asks before deleting it.
void TestRows::keyboard_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QList<bool>>("states");
    QTest::addColumn<int>("rowsAfter");
    QTest::newRow("Tab to the second row") << "tab tab" << 1 << QList<bool>{false, false, false} << 3;
    QTest::newRow("Space enables it") << "tab tab space" << 1 << QList<bool>{false, true, false} << 3;
    QTest::newRow("Space twice disables it again")
        << "tab space space" << 0 << QList<bool>{false, false, false} << 3;
    QTest::newRow("Return edits it") << "tab tab tab return" << 2 << QList<bool>{false, false, false} << 3;
    QTest::newRow("Delete, confirmed") << "tab tab delete" << 1 << QList<bool>{false, false} << 2;
}

void TestRows::keyboard()
{
    QFETCH(QString, keys);
    QFETCH(int, selected);
    QFETCH(QList<bool>, states);
    QFETCH(int, rowsAfter);
    TestHome home;
    Rig::Window r(threeAlarms(), home);
    r.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
    QTRY_VERIFY(r.w->findChild<EntryEditor *>());
    EntryEditor *editor = r.w->findChild<EntryEditor *>();
    int editedRow = -2;
    for (const QString &key : keys.split(QLatin1Char(' '))) {
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : r.w.get();
        if (key == QLatin1String("tab")) {
            QTest::keyClick(focus, Qt::Key_Tab);
        } else if (key == QLatin1String("space")) {
            QTest::keyClick(focus, Qt::Key_Space);
        } else if (key == QLatin1String("return")) {
            QTimer::singleShot(0, editor, [&] {
                editedRow = editor->isVisible() ? editor->editedRow() : -3;
                editor->reject();
            });
            QTest::keyClick(focus, Qt::Key_Return);
            QCOMPARE(editedRow, selected);
        } else if (key == QLatin1String("delete")) {
            QTimer::singleShot(0, [] {
                for (QWidget *w : QApplication::topLevelWidgets()) {
                    auto *box = qobject_cast<QMessageBox *>(w);
                    if (box && box->isVisible() && box->text().startsWith(QStringLiteral("确认删除")))
                        box->buttons().first()->click(); // 确定
                }
            });
            QTest::keyClick(focus, Qt::Key_Delete);
        }
    }
    QCOMPARE(r.d->rowCount(), rowsAfter);
    QCOMPARE(r.d->row(selected < rowsAfter ? selected : 0)->isChecked(), selected < rowsAfter);
    for (int i = 0; i < states.size(); ++i)
        QCOMPARE(r.box(i)->isChecked(), states.at(i));
}

void TestRows::editSavedAfterItsRingEnded_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("rings"); // while the editor is open; then stopped
    QTest::addColumn<QString>("later");
    QTest::newRow("timer") << timer("茶", "00:03:00") << "Mon 07:00:00"
                           << "Mon 07:03:00"
                           << "Mon 07:10:00";
    QTest::newRow("one-shot alarm") << alarm("起床", "07:30") << "Mon 07:29:00"
                                    << "Mon 07:30:00"
                                    << "Tue 07:31:00";
}

// The entry finished while its editor was open: saving a new name leaves it finished.
void TestRows::editSavedAfterItsRingEnded()
{
    QFETCH(Entry, entry);
    QFETCH(QString, start);
    QFETCH(QString, rings);
    QFETCH(QString, later);
    TestHome home;
    Rig::Window r({entry}, home, when(start));
    QVERIFY(r.d->waitForEditor());
    r.d->clickBox(0);
    QVERIFY(r.box(0)->isChecked());
    DialogDriver::whenShown(
        [&r] { return r.d->editor(); },
        [&r, rings](QWidget *shown) {
            r.tickAt(when(rings));
            r.stopAction()->trigger();
            WindowDriver::labelled<QLineEdit>(shown, QStringLiteral("名称："))->setText("改名");
            WindowDriver::button(shown, QStringLiteral("保存"))->click();
            shown->close();
        });
    r.d->action(QStringLiteral("编辑..."))->trigger();
    QCOMPARE(r.rings.size(), 1);
    entry.name = QStringLiteral("改名");
    QCOMPARE(home.storageBytes(), fileOf({entry})); // stored 关闭
    QVERIFY(!r.box(0)->isChecked());
    r.tickAt(when(later));
    QCOMPARE(r.rings.size(), 1);
}

void TestRows::trayActivation_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("restores");
    QTest::newRow("single click") << int(QSystemTrayIcon::Trigger) << true;
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << true;
    QTest::newRow("context menu") << int(QSystemTrayIcon::Context) << false;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false;
    QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << false;
}

void TestRows::trayActivation()
{
    QFETCH(int, reason);
    QFETCH(bool, restores);
    TestHome home;
    Rig::Window r({}, home);
    r.w->showMinimized();
    QTRY_VERIFY(r.w->isMinimized());
    emit r.d->tray()->activated(static_cast<QSystemTrayIcon::ActivationReason>(reason));
    QCOMPARE(!r.w->isMinimized(), restores);
}

void TestRows::forcedReminderToggle()
{
    TestHome home;
    Rig::Window r({}, home);
    QAction *toggle = r.d->forcedReminderAction();
    const QString off = QStringLiteral("当前状态:否\n点击切换强制提醒");
    const QString on = QStringLiteral("当前状态:是\n点击切换强制提醒");
    QCOMPARE(toggle->text(), off);
    toggle->trigger();
    QCOMPARE(toggle->text(), on);
    toggle->trigger();
    QCOMPARE(toggle->text(), off);
    QVERIFY(toggle->icon().isNull());
}

// Half a second at a time: a running row's time and the tray icon blink together; the tray's
// tooltip and menu tell the time to the next ring each second; with nothing enabled the icon is
// the plain one and stays still.
void TestRows::trayBlinksWithRunningRows()
{
    TestHome home;
    Rig::Window r({alarm(QStringLiteral("早"), QStringLiteral("00:01")),
                   timer(QStringLiteral("茶"), QStringLiteral("00:00:30"))},
                  home, when("Mon 00:00:00"));
    const auto image = [](const QIcon &icon) { return icon.pixmap(QSize(22, 22)).toImage(); };
    const QImage coloured = image(QIcon(QStringLiteral(":/res/闹钟-彩色.png")));
    const QImage empty = image(QIcon(QStringLiteral(":/res/空.png")));
    const QImage plain = image(QIcon(QStringLiteral(":/res/闹钟.png")));
    QCOMPARE(image(r.d->tray()->icon()), plain);
    r.d->clickBox(0);
    r.d->clickBox(1);
    r.step(500);
    QStringList seen;
    for (int half = 1; half <= 6; ++half) {
        r.step(500);
        const QImage icon = image(r.d->tray()->icon());
        const QString shown = icon == coloured ? "coloured" : icon == empty ? "empty" : "other";
        seen << QStringLiteral("%1 %2 %3 | %4").arg(shown, r.time(0), r.time(1), r.d->tray()->toolTip());
    }
    const QString tip = QStringLiteral("下一次响铃所需时间：0天0小时0分钟");
    QCOMPARE(seen, QStringList({"coloured 00:01 00:00:29 | " + tip + "29秒", "empty   | " + tip + "29秒",
                                "coloured 00:01 00:00:28 | " + tip + "28秒", "empty   | " + tip + "28秒",
                                "coloured 00:01 00:00:27 | " + tip + "27秒", "empty   | " + tip + "27秒"}));
    QCOMPARE(r.d->nextRingText(), QStringLiteral("0天0小时0分钟27秒"));
    r.d->clickBox(0);
    r.d->clickBox(1);
    for (int half = 0; half < 2; ++half) {
        r.step(500);
        QCOMPARE(image(r.d->tray()->icon()), plain);
        QCOMPARE(r.time(1), QStringLiteral("00:00:27")); // what was left, shown still
    }
}

TAVREL_TEST_MAIN(TestRows)
// The menu's next-ring entry is current when the menu opens after seconds closed, and follows the
// seconds while it stays open.
void TestRows::trayMenuCurrentWhenOpened()
{
    TestHome home;
    Rig::Window r({timer(QStringLiteral("茶"), QStringLiteral("00:00:30"))}, home, when("Mon 00:00:00"));
    QMenu *menu = r.d->trayMenu();
    const QAction *entry = menu->actions().value(1);
    r.d->clickBox(0);
    for (int half = 0; half < 12; ++half)
        r.step(500);
    const QString caption = QStringLiteral("下一次响铃所需时间：");
    QCOMPARE(r.d->tray()->toolTip(), caption + "0天0小时0分钟24秒");
    emit menu->aboutToShow();
    QCOMPARE(entry->text(), QStringLiteral("0天0小时0分钟24秒"));
    r.step(500);
    r.step(500);
    QCOMPARE(entry->text(), QStringLiteral("0天0小时0分钟23秒"));
    emit menu->aboutToHide();
    r.step(500);
    r.step(500);
    emit menu->aboutToShow();
    QCOMPARE(entry->text(), QStringLiteral("0天0小时0分钟22秒"));
}

#include "tst_rows.moc"
