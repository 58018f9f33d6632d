// The child that tst_kill shoots: it runs one of the program's writers over the storage file in
// $HOME again and again, through the real main window and editor, until it is killed. It prints
// "ready" once the window stands, so the kills land among the writes rather than in start-up.
#include "editor/entryrecord.h"
#include "storage/storagemigration.h"
#include "tst_editor_support.h"

#include <QSaveFile>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

using namespace EditorTest;

namespace {

void ready()
{
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
}

// Hidden prompts would pile up over thousands of writes.
void dropPrompts()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox *>(w))
            delete w;
    }
}

QString storagePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + StorageFile::kFileName;
}

// Start-up over and over: the file is put back as it was (atomically, so the child's own
// restoring cannot tear it) and a new window runs the migration and the state reset on it.
[[noreturn]] void startUps()
{
    const QByteArray before = TestSupport::readFile(storagePath());
    ready();
    for (;;) {
        QSaveFile file(storagePath());
        file.open(QIODevice::WriteOnly);
        file.write(before);
        file.commit();
        MainWindow window;
        dropPrompts();
    }
}

template <typename T> T *named(QObject *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

[[noreturn]] void checkBoxes(MainWindow &window)
{
    ready();
    for (auto *box = named<QCheckBox>(&window, QStringLiteral("qcb0"));;)
        box->click(); // every change runs the state synchronisation
}

[[noreturn]] void backgrounds(MainWindow &window, const QString &picture)
{
    MainWindowProbe probe(&window);
    ready();
    for (bool set = true;; set = !set)
        probe.storeBackground(set ? picture : StorageFile::kNone);
}

// "编辑" on the first entry, its name changed to 甲 or 乙, "保存".
[[noreturn]] void edits(MainWindow &window, XingJianChuangKou *editor)
{
    ready();
    for (bool first = true;; first = !first) {
        bool ok = false;
        const QStringList lines = window.readStorage(&ok);
        const auto field = [&](int k) { return EntryRecord::recordField(lines, 1, k); };
        editor->BianJiChuanRu(1, field(2), field(3), field(4), field(5), field(6), field(7), field(8),
                              field(9));
        named<QLineEdit>(editor, QStringLiteral("qle_MingCheng"))
            ->setText(first ? QStringLiteral("甲") : QStringLiteral("乙"));
        named<QPushButton>(editor, QStringLiteral("qpb_BaoCun"))->click();
        dropPrompts();
    }
}

// The last entry deleted ("删除", "确定"), then made again with "新建" and "保存".
[[noreturn]] void deletes(MainWindow &window, XingJianChuangKou *editor)
{
    ready();
    for (;;) {
        const int last = MainWindowProbe(&window).entryCount() - 1;
        named<QPushButton>(&window, QStringLiteral("qpb_BuJuShuZu") + QString::number(last))->click();
        answerMessageBox(QStringLiteral("确定"));
        named<QAction>(&window, QStringLiteral("qa_ShanChu"))->trigger();
        editor->setEditFlag(0);
        named<QPushButton>(editor, QStringLiteral("qpb_JiShiQi"))->click();
        named<QLineEdit>(editor, QStringLiteral("qle_MingCheng"))->setText(QStringLiteral("末条"));
        named<QTimeEdit>(editor, QStringLiteral("qte_ShiJian"))->setTime(QTime(10, 0));
        named<QPushButton>(editor, QStringLiteral("qpb_BaoCun"))->click();
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
    if (writer == QLatin1String("sync"))
        checkBoxes(window);
    if (writer == QLatin1String("background"))
        backgrounds(window, QString::fromLocal8Bit(argc > 2 ? argv[2] : ""));
    MainWindowProbe probe(&window);
    for (int waited = 0; probe.deferredInitDone() != 1 && waited < 5000; waited += 10)
        QTest::qWait(10);
    auto *editor = named<XingJianChuangKou>(&window, QStringLiteral("xjck"));
    if (writer == QLatin1String("save"))
        edits(window, editor);
    if (writer == QLatin1String("delete"))
        deletes(window, editor);
    std::fprintf(stderr, "unknown writer: %s\n", qPrintable(writer));
    return 2;
}
