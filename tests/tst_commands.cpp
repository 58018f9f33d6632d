// New, edit and delete through the real tool bar and the real editor, checked against the storage
// file's bytes and the rows.
#include "support/windowrig.h"
#include "ui/entryeditor.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace Rig;

namespace {

// Nine record lines, as the file holds them.
QByteArray rec(int n, const QString &type, const QString &name, const QString &time,
               const QString &repeat = "否", const QString &sound = "默认响铃", const QString &command = "无",
               const QString &loop = "否", const QString &state = "关闭")
{
    return QStringLiteral("序号,%1\n类型,%2\n名称,%3\n时间,%4\n每周重复,%5\n声音文件,%6\n命令文件,%"
                          "7\n重复闹铃,%8\n状态,%9\n")
        .arg(n)
        .arg(type, name, time, repeat, sound, command, loop, state)
        .toUtf8();
}

QVector<Entry> alarms(int n)
{
    QVector<Entry> list;
    for (int i = 1; i <= n; ++i)
        list << alarm(QStringLiteral("闹钟%1").arg(i),
                      QStringLiteral("%1:15").arg(i % 24, 2, 10, QLatin1Char('0')));
    return list;
}

// Runs a tool bar command whose dialog is modal; `inside` acts while the editor is open.
void command(Rig::Window &r, const QString &text, const std::function<void(EntryEditor *)> &inside)
{
    QTRY_VERIFY(r.w->findChild<EntryEditor *>());
    EntryEditor *editor = r.w->findChild<EntryEditor *>();
    bool ran = false;
    QTimer::singleShot(0, editor, [&] {
        ran = true;
        QVERIFY(editor->isVisible());
        inside(editor);
        if (editor->isVisible())
            editor->reject();
    });
    r.d->action(text)->trigger();
    QVERIFY(ran);
}

// Answers the delete question with `answer` and keeps what it asked.
void answerQuestion(const QString &answer, QString *asked)
{
    QTimer::singleShot(0, [=] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible() || !box->text().startsWith(QStringLiteral("确认删除")))
                continue;
            *asked = box->text();
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
        }
    });
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void saveNew_data();
    void saveNew();
    void entryLimit_data();
    void entryLimit();
    void editInPlace_data();
    void editInPlace();
    void editingARingingEntryKeepsItRinging();
    void deleteEntry_data();
    void deleteEntry();
    void ringingEntryMovesUp_data();
    void ringingEntryMovesUp();
    void timerJourney();
};

void TestCommands::saveNew_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<Entry>("entry"); // invalid name: the editor's blank new entry
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("the blank new entry into a new file")
        << 0 << Entry() << rec(1, "闹钟", "闹钟", "00:00", "否", "默认响铃", "无", "是", "开启");
    QTest::newRow("timer of 1 h 30 min")
        << 0 << timer("计时器", "01:30:00")
        << rec(1, "计时器", "计时器", "01:30:00", "否", "默认响铃", "无", "否", "开启");
    QTest::newRow("Monday and Friday")
        << 1 << alarm("闹钟", "00:00", "星期五|星期一")
        << rec(2, "闹钟", "闹钟", "00:00", "星期一|星期五", "默认响铃", "无", "否", "开启");
    QTest::newRow("name with commas")
        << 2 << alarm("a,b,c", "07:05")
        << rec(3, "闹钟", "a,b,c", "07:05", "否", "默认响铃", "无", "否", "开启");
    QTest::newRow("name with line breaks")
        << 1 << alarm("早\n起\r\n床", "00:00")
        << rec(2, "闹钟", "早 起 床", "00:00", "否", "默认响铃", "无", "否", "开启");
}

void TestCommands::saveNew()
{
    QFETCH(int, before);
    QFETCH(Entry, entry);
    QFETCH(QByteArray, saved);
    TestHome home;
    Rig::Window r(alarms(before), home);
    const QByteArray file = home.storageBytes();
    command(r, QStringLiteral("新建"), [&](EntryEditor *editor) {
        if (!entry.name.isEmpty()) {
            entry.enabled = true;
            editor->loadEntry(-1, entry);
        }
        editor->save();
        QVERIFY(!editor->isVisible());
    });
    QByteArray expected = file;
    expected.replace(QByteArray("数量,") + QByteArray::number(before),
                     QByteArray("数量,") + QByteArray::number(before + 1));
    QCOMPARE(home.storageBytes(), expected + saved);
    QVERIFY(TestSupport::shownPromptTexts().contains("保存成功。"));
    QCOMPARE(r.d->rowCount(), before + 1);
    const QStringList lines = QString::fromUtf8(saved).split(QLatin1Char('\n'));
    QCOMPARE(r.d->row(before)->nameText(), lines.at(2).section(QLatin1Char(','), 1));
    QCOMPARE(r.time(before), lines.at(3).section(QLatin1Char(','), 1));
    QVERIFY(r.box(before)->isChecked()); // a new entry runs at once
}

void TestCommands::entryLimit_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("saved");
    QTest::newRow("19 -> 20") << 19 << true;
    QTest::newRow("20 refuses a 21st") << 20 << false;
}

void TestCommands::entryLimit()
{
    QFETCH(int, stored);
    QFETCH(bool, saved);
    TestHome home;
    Rig::Window r(alarms(stored), home);
    const QByteArray before = home.storageBytes();
    bool stillOpen = false;
    command(r, QStringLiteral("新建"), [&](EntryEditor *editor) {
        Entry last = timer("最后", "00:01:00");
        last.enabled = true;
        editor->loadEntry(-1, last);
        editor->save();
        stillOpen = editor->isVisible();
        QCOMPARE(editor->currentEntry().name, saved ? QStringLiteral("闹钟") : QStringLiteral("最后"));
    });
    QCOMPARE(stillOpen, !saved);
    QCOMPARE(TestSupport::shownPromptTexts().contains("闹钟和计时器数量最多为20个,无法保存。"), !saved);
    QCOMPARE(home.storageBytes() == before, !saved);
    QCOMPARE(r.d->rowCount(), 20);
}

void TestCommands::editInPlace_data()
{
    QTest::addColumn<bool>("enabled"); // checked before the edit
    QTest::addColumn<Entry>("edited");
    QTest::addColumn<QByteArray>("written"); // record 3 afterwards
    QTest::newRow("renamed") << false << alarm("新名字", "07:30", "星期一|星期五")
                             << rec(3, "闹钟", "新名字", "07:30", "星期一|星期五");
    QTest::newRow("enabled entry keeps 开启")
        << true << alarm("起床", "08:45", "星期一|星期五")
        << rec(3, "闹钟", "起床", "08:45", "星期一|星期五", "默认响铃", "无", "否", "开启");
    QTest::newRow("alarm becomes a timer")
        << false << timer("计时器", "00:10:00") << rec(3, "计时器", "计时器", "00:10:00");
}

void TestCommands::editInPlace()
{
    QFETCH(bool, enabled);
    QFETCH(Entry, edited);
    QFETCH(QByteArray, written);
    TestHome home;
    QVector<Entry> list = alarms(5);
    list[2] = alarm("起床", "07:30", "星期一|星期五");
    Rig::Window r(list, home);
    if (enabled)
        r.d->clickBox(2);
    r.d->clickRow(2);
    QString title;
    Entry loaded;
    command(r, QStringLiteral("编辑..."), [&](EntryEditor *editor) {
        title = editor->windowTitle();
        loaded = editor->currentEntry();
        edited.enabled = enabled;
        editor->loadEntry(editor->editedRow(), edited);
        editor->save();
    });
    QCOMPARE(title, QStringLiteral("编辑"));
    QCOMPARE(loaded.name, QStringLiteral("起床"));
    QByteArray expected = home.storageBytes();
    list[2] = edited;
    list[2].enabled = enabled;
    QCOMPARE(home.storageBytes(), fileOf(list));
    QCOMPARE(fileOf(list).mid(fileOf(list).indexOf("序号,3"), written.size()), written);
    QCOMPARE(r.d->rowCount(), 5);
    QCOMPARE(r.d->row(2)->nameText(), edited.name);
    QCOMPARE(r.time(2), edited.timeText());
    QCOMPARE(r.box(2)->isChecked(), enabled);
    QVERIFY(r.d->row(2)->isChecked()); // still selected
}

// Renaming a ringing entry does not cut its ring short.
void TestCommands::editingARingingEntryKeepsItRinging()
{
    TestHome home;
    Entry bread = timer("面包", "00:00:00");
    bread.loop = true;
    Rig::Window r({bread, alarm("别的", "09:00")}, home);
    r.d->clickBox(0);
    QVERIFY(r.playing(0));
    command(r, QStringLiteral("编辑..."), [&](EntryEditor *editor) {
        Entry renamed = editor->currentEntry();
        renamed.name = QStringLiteral("新面包");
        renamed.enabled = true;
        editor->loadEntry(editor->editedRow(), renamed);
        editor->save();
    });
    QCOMPARE(r.d->row(0)->nameText(), QStringLiteral("新面包"));
    QVERIFY(r.playing(0));
    QCOMPARE(r.rings.size(), 1);
    r.stopAction()->trigger();
}

void TestCommands::deleteEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected"); // 1-based
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");
    QTest::newRow("2 of 3") << 3 << 2 << "确定"
                            << "确认删除类型为[闹钟]、名称为[闹钟2]、时间为[02:15]的 闹钟 吗？";
    QTest::newRow("first of 3") << 3 << 1 << "确定"
                                << "确认删除类型为[闹钟]、名称为[闹钟1]、时间为[01:15]的 闹钟 吗？";
    QTest::newRow("last of 3") << 3 << 3 << "确定"
                               << "确认删除类型为[闹钟]、名称为[闹钟3]、时间为[03:15]的 闹钟 吗？";
    QTest::newRow("the only entry") << 1 << 1 << "确定"
                                    << "确认删除类型为[闹钟]、名称为[闹钟1]、时间为[01:15]的 闹钟 吗？";
    QTest::newRow("a timer, cancelled")
        << 2 << 2 << "取消"
        << "确认删除类型为[计时器]、名称为[泡茶]、时间为[00:03:00]的 计时器 吗？";
}

void TestCommands::deleteEntry()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(QString, answer);
    TestHome home;
    QVector<Entry> list = alarms(count);
    if (answer == QStringLiteral("取消"))
        list[1] = timer("泡茶", "00:03:00");
    Rig::Window r(list, home);
    const QByteArray before = home.storageBytes();
    QStringList left = r.d->names();
    r.d->clickRow(selected - 1);
    QString asked;
    answerQuestion(answer, &asked);
    r.d->action(QStringLiteral("删除"))->trigger();
    QTEST(asked, "question");
    if (answer == QStringLiteral("取消")) {
        QCOMPARE(home.storageBytes(), before);
        QCOMPARE(r.d->names(), left);
        return;
    }
    list.removeAt(selected - 1);
    left.removeAt(selected - 1);
    QCOMPARE(home.storageBytes(), fileOf(list)); // later entries renumbered
    QVERIFY(TestSupport::shownPromptTexts().contains("删除成功。"));
    QCOMPARE(r.d->names(), left);
    for (int i = 0; i < count - 1; ++i)
        QCOMPARE(r.time(i), list.at(i).timeText());
    const bool rowStays = selected < count; // the same place stays selected
    QCOMPARE(r.d->action(QStringLiteral("删除"))->isEnabled(), rowStays);
}

void TestCommands::ringingEntryMovesUp_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("deleted");  // 1-based
    QTest::addColumn<int>("ringing");  // 1-based, before the delete
    QTest::addColumn<int>("rowAfter"); // where it rings afterwards
    QTest::newRow("last entry below") << 3 << 2 << 3 << 1;
    QTest::newRow("middle entry below") << 4 << 1 << 3 << 1;
    QTest::newRow("entry above untouched") << 3 << 2 << 1 << 0;
}

void TestCommands::ringingEntryMovesUp()
{
    QFETCH(int, count);
    QFETCH(int, deleted);
    QFETCH(int, ringing);
    QFETCH(int, rowAfter);
    TestHome home;
    QVector<Entry> list = alarms(count);
    list[ringing - 1] = timer("响", "00:00:00");
    list[ringing - 1].loop = true;
    Rig::Window r(list, home);
    r.d->clickBox(ringing - 1);
    QVERIFY(r.playing(ringing - 1));

    r.d->clickRow(deleted - 1);
    QString asked;
    answerQuestion(QStringLiteral("确定"), &asked);
    r.d->action(QStringLiteral("删除"))->trigger();
    QCOMPARE(r.d->rowCount(), count - 1);
    QTest::qWait(500);
    QVERIFY(r.playing(rowAfter));
    QVERIFY(r.box(rowAfter)->isChecked());
    QCOMPARE(r.d->row(rowAfter)->nameText(), QStringLiteral("响"));
    QCOMPARE(r.time(rowAfter), QStringLiteral("00:00:00"));
    for (int i = 0; i < count - 1; ++i)
        QCOMPARE(r.playing(i), i == rowAfter);
    QCOMPARE(r.rings.size(), 1);
    r.stopAction()->trigger();
    QVERIFY(!r.ringer->anyRinging());
}

// The whole road of a timer on the real clock: made in the editor, counted down, rung with a tray
// message, then disabled and shown with its full duration again.
void TestCommands::timerJourney()
{
    TestHome home;
    Rig::Window r({}, home);
    SystemClock::unpin();
    command(r, QStringLiteral("新建"), [&](EntryEditor *editor) {
        Entry tea = timer("泡茶", "00:00:03");
        tea.enabled = true;
        editor->loadEntry(-1, tea);
        editor->save();
    });
    QCOMPARE(r.d->rowCount(), 1);
    QVERIFY(r.box(0)->isChecked());
    QTRY_COMPARE_WITH_TIMEOUT(r.time(0), QStringLiteral("00:00:02"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(r.playing(0), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(!r.box(0)->isChecked(), 8000);
    QCOMPARE(r.time(0), QStringLiteral("00:00:03"));
    QVERIFY(home.storageBytes().endsWith("状态,关闭\n"));
}

TAVREL_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
