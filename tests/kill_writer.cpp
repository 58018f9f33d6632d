// The child that tst_kill shoots: it runs one of the program's writers over the storage file in
// $HOME again and again, through the real main window and editor, until it is killed. It prints
// "ready" once the window stands, so the kills land among the writes rather than in start-up.
#include "core/storagefile.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"
#include "ui/timespinbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

void ready()
{
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
}

// Prompts would pile up over thousands of writes.
void dropPrompts()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w))
            delete w;
    }
}

// Start-up over and over: the file is put back as it was (atomically, so the child's own
// restoring cannot tear it) and a new window upgrades it and stores every entry as disabled.
[[noreturn]] void startUps()
{
    const QByteArray before = TestSupport::readFile(StorageFile::path());
    ready();
    for (;;) {
        QSaveFile file(StorageFile::path());
        file.open(QIODevice::WriteOnly);
        file.write(before);
        file.commit();
        MainWindow window;
        dropPrompts();
    }
}

// Every tick of the first row's box stores every state.
[[noreturn]] void checkBoxes(const WindowDriver &d)
{
    ready();
    for (;;)
        d.clickBox(0);
}

// "设置背景" with the picture chosen in the file dialog, then "清除背景", and again.
[[noreturn]] void backgrounds(const WindowDriver &d, const QString &picture)
{
    ready();
    for (;;) {
        if (d.backgroundAction()->text() == QStringLiteral("设置背景"))
            DialogDriver::answerFileDialog(d.listArea()->window(), picture);
        d.backgroundAction()->trigger();
        dropPrompts();
        QTest::qWait(30); // the picture stays a while too, not only the dialog's round trip
    }
}

// "编辑..." on the first entry, its name changed to 甲 or 乙, "保存".
[[noreturn]] void edits(const WindowDriver &d)
{
    ready();
    for (bool first = true;; first = !first) {
        d.clickRow(0);
        const QString name = first ? QStringLiteral("甲") : QStringLiteral("乙");
        DialogDriver::whenShown(
            [&d] { return d.editor(); },
            [name](QWidget *editor) {
                WindowDriver::labelled<QLineEdit>(editor, QStringLiteral("名称："))->setText(name);
                WindowDriver::button(editor, QStringLiteral("保存"))->click();
            });
        d.action(QStringLiteral("编辑..."))->trigger();
        dropPrompts();
    }
}

// The last entry deleted ("删除", "确定"), then made again as a ten-hour timer with "新建" and "保存".
[[noreturn]] void deletes(const WindowDriver &d)
{
    ready();
    for (;;) {
        d.deleteRow(d.rowCount() - 1);
        DialogDriver::whenShown(
            [&d] { return d.editor(); },
            [](QWidget *editor) {
                WindowDriver::button(editor, QStringLiteral("计时器"))->click();
                WindowDriver::labelled<QLineEdit>(editor, QStringLiteral("名称："))
                    ->setText(QStringLiteral("末条"));
                WindowDriver::labelled<TimeSpinBox>(editor, QStringLiteral("时间："))->setSeconds(10 * 3600);
                WindowDriver::button(editor, QStringLiteral("保存"))->click();
            });
        d.action(QStringLiteral("新建"))->trigger();
        dropPrompts();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // a test that stops half-way must not leave a writer looping
    TestSupport::initTestProcess();
    QApplication app(argc, argv);
    const QString writer = QString::fromLocal8Bit(argc > 1 ? argv[1] : "");
    if (writer == QLatin1String("startup"))
        startUps();
    MainWindow window;
    WindowDriver d(&window);
    d.show();
    if (!d.waitForEditor())
        return 3;
    dropPrompts();
    if (writer == QLatin1String("sync"))
        checkBoxes(d);
    if (writer == QLatin1String("background"))
        backgrounds(d, QString::fromLocal8Bit(argc > 2 ? argv[2] : ""));
    if (writer == QLatin1String("save"))
        edits(d);
    if (writer == QLatin1String("delete"))
        deletes(d);
    std::fprintf(stderr, "unknown writer: %s\n", qPrintable(writer));
    return 2;
}
