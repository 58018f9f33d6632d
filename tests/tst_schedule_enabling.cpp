// Enabling and disabling through the real check boxes and the tool bar, what reaches the storage
// file, and the command files a ring runs.
#include "app/schedule.h"
#include "tst_schedule_rig.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionButton>

using namespace Rig;

namespace {

void clickBox(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

QByteArray fileWithStates(const QList<Entry> &entries, const QList<bool> &states)
{
    QStringList lines = fileLines(entries);
    for (int i = 0; i < states.size(); ++i)
        lines[(i + 1) * StorageFile::kRecordLines] =
            states.at(i) ? StorageFile::kStateOnLine : StorageFile::kStateOffLine;
    return StorageFile::joinLines(lines);
}

QList<Entry> threeAlarms()
{
    return {alarm(QStringLiteral("一"), QStringLiteral("07:00")),
            alarm(QStringLiteral("二"), QStringLiteral("08:00")),
            alarm(QStringLiteral("三"), QStringLiteral("09:00"))};
}

QImage shown(const QIcon &icon)
{
    return icon.pixmap(QSize(40, 20)).toImage();
}

QImage fastIcon(const char *resource)
{
    return QImage(QString::fromUtf8(resource)).scaled(40, 26, Qt::KeepAspectRatio, Qt::FastTransformation);
}

// A script that appends "argument count|$0|arguments" to a marker file.
QString markerScript(const TestHome &home, const QString &relativePath, const QString &marker)
{
    const QString path = home.makeFile(
        relativePath, QStringLiteral("#!/bin/sh\necho \"$#|$0|$*\" >> '%1'\n").arg(marker).toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

} // namespace

class TestScheduleEnabling : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void clickingABoxSelectsItsRowAndStoresEveryState_data();
    void clickingABoxSelectsItsRowAndStoresEveryState();
    void toggleCommand_data();
    void toggleCommand();
    void rowIconFollowsTheBox_data();
    void rowIconFollowsTheBox();
    void commandFileIconFollowsTheBox();
    void awkwardStorageFile_data();
    void awkwardStorageFile();
    void commandFiles_data();
    void commandFiles();
};

void TestScheduleEnabling::cleanup()
{
    TestSupport::closeAllPrompts();
    Clock::pin(QDateTime());
}

void TestScheduleEnabling::clickingABoxSelectsItsRowAndStoresEveryState_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<bool>>("states");
    QTest::addColumn<int>("selected");
    QTest::newRow("row 0") << QList<int>{0} << QList<bool>{true, false, false} << 0;
    QTest::newRow("row 2") << QList<int>{2} << QList<bool>{false, false, true} << 2;
    QTest::newRow("rows 2 and 0") << QList<int>{2, 0} << QList<bool>{true, false, true} << 0;
    QTest::newRow("row 1 on and off again") << QList<int>{1, 1} << QList<bool>{false, false, false} << 1;
}

void TestScheduleEnabling::clickingABoxSelectsItsRowAndStoresEveryState()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QList<bool>, states);
    QFETCH(int, selected);
    TestHome home;
    Rig::Window r(threeAlarms(), home);
    for (int i : clicks)
        clickBox(r.box(i));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(r.box(i)->isChecked(), states.at(i));
        QCOMPARE(r.rowButton(i)->isChecked(), i == selected);
        if (states.at(i))
            QCOMPARE(r.probe().runState(i), int(Schedule::Pending));
    }
    QCOMPARE(home.storageBytes(), fileWithStates(threeAlarms(), states));
    QVERIFY(r.action("qa_BianJi")->isEnabled());
    QCOMPARE(shown(r.action("qa_QiYongTingYong")->icon()),
             shown(QIcon(states.at(selected) ? QStringLiteral(":/res/停用.png")
                                             : QStringLiteral(":/res/启用.png"))));
}

void TestScheduleEnabling::toggleCommand_data()
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

void TestScheduleEnabling::toggleCommand()
{
    QFETCH(int, select);
    QFETCH(bool, enabledBefore);
    QFETCH(QList<bool>, states);
    QFETCH(QString, icon);
    QFETCH(QString, tray);
    TestHome home;
    Rig::Window r(threeAlarms(), home);
    if (enabledBefore)
        r.box(select)->click();
    if (select >= 0)
        QTest::mouseClick(r.rowButton(select), Qt::LeftButton, {}, QPoint(150, 20));
    QAction *toggle = r.action("qa_QiYongTingYong");
    QCOMPARE(toggle->isEnabled(), select >= 0);
    QMetaObject::invokeMethod(r.w.get(), "QiYongTingYong", Qt::DirectConnection);

    for (int i = 0; i < 3; ++i)
        QCOMPARE(r.box(i)->isChecked(), states.at(i));
    QCOMPARE(home.storageBytes(), fileWithStates(threeAlarms(), states));
    QCOMPARE(shown(toggle->icon()), shown(QIcon(icon)));
    QCOMPARE(shown(r.tray()->icon()), shown(QIcon(tray)));
}

void TestScheduleEnabling::rowIconFollowsTheBox_data()
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

void TestScheduleEnabling::rowIconFollowsTheBox()
{
    QFETCH(Entry, entry);
    QFETCH(int, clicks);
    QFETCH(QString, icon);
    TestHome home;
    Rig::Window r({entry}, home);
    for (int n = 0; n < clicks; ++n)
        r.box(0)->click();
    QCOMPARE(r.probe().rowIconImage(0), fastIcon(icon.toUtf8().constData()));
}

void TestScheduleEnabling::commandFileIconFollowsTheBox()
{
    TestHome home;
    Entry e = timer(QStringLiteral("脚本"), QStringLiteral("00:05:00"));
    e.command = home.makeFile(QStringLiteral("run.sh"), "true\n");
    Rig::Window r({e}, home);
    auto *icon = r.child<QLabel>(QStringLiteral("ql0"));

    r.box(0)->click(); // in colour
    const QImage colour = icon->pixmap(Qt::ReturnByValue).toImage();
    QVERIFY(r.probe().rowIconImage(0).format() != QImage::Format_Grayscale8);
    QCOMPARE(colour, r.probe().rowIconImage(0).convertToFormat(colour.format()));
    QCOMPARE(r.probe().commandPending(0), 1);

    r.box(0)->click(); // grey, its dark background made clear again
    const QImage grey = icon->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(grey != colour);
    int visible = 0;
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb px = grey.pixel(x, y);
            if (qAlpha(px) == 0)
                continue;
            ++visible;
            QVERIFY(qRed(px) == qGreen(px) && qGreen(px) == qBlue(px));
            QVERIFY(qGray(px) > 50);
        }
    }
    QVERIFY(visible > 0);
}

void TestScheduleEnabling::awkwardStorageFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("written");
    QTest::newRow("header of one field: left as it is") << "one-field header" << 1 << false;
    QTest::newRow("unreadable: left as it is") << "unreadable" << 1 << false;
    QTest::newRow("lines after the last record kept") << "extra lines" << 1 << true;
    QTest::newRow("a record beyond the twentieth kept") << "21st record" << 20 << true;
}

void TestScheduleEnabling::awkwardStorageFile()
{
    QFETCH(QString, change);
    QFETCH(int, entries);
    QFETCH(bool, written);
    TestHome home;
    QList<Entry> list;
    Entry bread = timer(QStringLiteral("面包"), Schedule::kZero);
    bread.loop = StorageFile::kYes;
    bread.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    list << bread;
    while (list.size() < entries)
        list << alarm(QStringLiteral("闹%1").arg(list.size()), QStringLiteral("06:00"));
    Rig::Window r(list, home);
    r.box(0)->click();
    r.tick();
    QVERIFY(r.playing(0));

    QByteArray before = home.storageBytes();
    QByteArray extra;
    if (change == QLatin1String("one-field header")) {
        before.replace("数量,1,背景图片,无\n", "数量\n");
        home.writeStorage(before);
    } else if (change == QLatin1String("unreadable")) {
        QFile::remove(home.storagePath());
        QDir().mkpath(home.storagePath()); // a directory where the file was
    } else if (change == QLatin1String("extra lines")) {
        extra = "注释,由别的程序写入\n\n最后一行\n";
    } else {
        extra =
            StorageFile::joinLines(StorageFile::composeRecord(alarm(QStringLiteral("第二十一"), "05:00")));
    }
    if (!extra.isEmpty())
        home.writeStorage(before + extra);

    // Unchecking a ringing entry silences it, whatever the file holds.
    r.box(0)->click();
    QCOMPARE(r.player(0)->state(), QMediaPlayer::StoppedState);
    QCOMPARE(r.timeLabel(0)->text(), Schedule::kZero);
    if (change == QLatin1String("unreadable"))
        QVERIFY(QFileInfo(home.storagePath()).isDir());
    else if (!written)
        QCOMPARE(home.storageBytes(), before);
    else
        QCOMPARE(home.storageBytes(), fileWithStates(list, QList<bool>()) + extra);
}

void TestScheduleEnabling::commandFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // {script} and {file} stand for the paths made below
    QTest::newRow(".sh run by sh with its path alone") << ".sh"
                                                       << "0|{file}|";
    QTest::newRow(".desktop started with its Exec arguments") << ".desktop"
                                                              << "1|{script}|--flag";
    QTest::newRow("other file opened by the default application") << ".txt"
                                                                  << "1|{script}|{file}";
    QTest::newRow("file gone before the ring: nothing runs") << "gone"
                                                             << "";
}

void TestScheduleEnabling::commandFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    TestHome home;
    const QString marker = home.home() + QStringLiteral("/marker.txt");
    const QString script = markerScript(home, QStringLiteral("bin/mark.sh"), marker);
    QString file;
    if (kind == QLatin1String(".sh") || kind == QLatin1String("gone")) {
        file = markerScript(home, QStringLiteral("my dir, 'q'/run me.sh"), marker);
    } else if (kind == QLatin1String(".desktop")) {
        file =
            home.makeFile(QStringLiteral("launchers/mark.desktop"),
                          QStringLiteral("[Desktop Entry]\nType=Application\nName=Mark\nExec=%1 --flag %U\n")
                              .arg(script)
                              .toUtf8());
    } else {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty(),
                 "xdg-open is missing: run scripts/install-deps.sh --test");
        file = home.makeFile(QStringLiteral("notes/my note, 'x'.txt"), "hello\n");
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.home() + QStringLiteral("/.local/share")));
        home.makeFile(QStringLiteral(".config/mimeapps.list"),
                      "[Default Applications]\ntext/plain=tavrel-test-opener.desktop\n");
        home.makeFile(QStringLiteral(".local/share/applications/tavrel-test-opener.desktop"),
                      QStringLiteral("[Desktop Entry]\nType=Application\nName=Opener\nExec=%1 %f\n"
                                     "MimeType=text/plain;\n")
                          .arg(script)
                          .toUtf8());
    }
    Entry e = timer(QStringLiteral("命令"), Schedule::kZero);
    e.command = file;
    e.sound = home.makeFile(QStringLiteral("ring.wav"), toneWav(0.3));
    Rig::Window r({e}, home);

    r.box(0)->click();
    QCOMPARE(r.probe().commandPending(0), 1);
    if (kind == QLatin1String("gone"))
        QFile::remove(file);
    r.tick();
    QVERIFY(r.playing(0));
    QCOMPARE(r.probe().commandPending(0), 0);
    if (expected.isEmpty()) {
        QTest::qWait(1000);
        QVERIFY(!QFile::exists(marker));
    } else {
        expected.replace(QLatin1String("{script}"), script).replace(QLatin1String("{file}"), file);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QTRY_COMPARE(TestSupport::readFile(marker), expected.toUtf8() + '\n');
    }
    QVERIFY(r.waitForSilence());
    r.tick(); // the ring is over: disabled, and the command ran once
    QVERIFY(!r.box(0)->isChecked());
    QTest::qWait(200);
    QCOMPARE(TestSupport::readFile(marker).count('\n'), expected.isEmpty() ? 0 : 1);
    qunsetenv("XDG_DATA_HOME");
}

TAVREL_TEST_MAIN(TestScheduleEnabling)
#include "tst_schedule_enabling.moc"
