// Faults around the storage file: a missing, unreadable, read-only, full or replaced Documents
// directory, and a file changed by another program while the list is shown. Whatever happens,
// nothing crashes, the user is told when it matters, the file holds either its last good or its
// new content, and the list and the file agree again after the next change.
#include "core/clock.h"
#include "core/storagefile.h"
#include "support/filefaults.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"

#include <QApplication>
#include <QDir>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QString kSaved = QStringLiteral("保存成功。");
const QString kSaveUnreadable = QStringLiteral("无法读取存储文件，本次没有保存，请稍后再试。");
const QString kSaveUnwritable = QStringLiteral("无法写入存储文件，本次没有保存，请检查文档目录后再试。");
const QString kDeleteUnwritable = QStringLiteral("无法写入存储文件，条目没有删除，请检查文档目录后再试。");

// A small tmpfs over a directory, filled to the last byte by a file that can be removed again.
class FullDisk
{
public:
    explicit FullDisk(const QString &dir) : m_dir(dir)
    {
        m_mounted = ::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=256k") == 0;
        if (!m_mounted)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~FullDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }
    void fill() const
    {
        QFile filler(fillerPath());
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
        for (char byte = 'x'; filler.write(&byte, 1) == 1;) {
        }
    }
    void free() const { QFile::remove(fillerPath()); }
    QString fillerPath() const { return m_dir + QStringLiteral("/filler"); }

private:
    QString m_dir;
    bool m_mounted = false;
    QString m_error;
};

Entry entry(const QString &name, int hour, bool on = false)
{
    Entry e;
    e.name = name;
    e.setTimeText(QStringLiteral("%1:15").arg(hour % 24, 2, 10, QLatin1Char('0')));
    e.enabled = on;
    return e;
}

// A file of `count` alarms named 条目1, 条目2, ...; the first one enabled when asked.
QByteArray storage(int count, bool firstOn = false, const QString &namePad = QString())
{
    QStringList lines{StorageHeader::compose(count, Texts::kNone)};
    for (int n = 1; n <= count; ++n)
        lines << entry(QStringLiteral("条目") + QString::number(n) + namePad, n, firstOn && n == 1)
                     .toStoredLines(n);
    return StorageFile::bytesOf(lines);
}

// Every prompt on screen, in one string that a failed comparison prints whole.
QString prompts()
{
    return TestSupport::shownPromptTexts().join(QStringLiteral(" | "));
}

QStringList storedNames(const QByteArray &bytes)
{
    const QStringList lines = StorageFile::linesOf(bytes);
    QStringList names;
    for (const Entry &e : StorageFile::contentsOf(lines, StorageFile::storedRecords(lines)).entries)
        names << e.name;
    return names;
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                               QDir::Name);
}

// A main window over whatever the test arranged under its HOME, with the editor ready.
struct Rig
{
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<WindowDriver> d;

    Rig() : window(std::make_unique<MainWindow>()), d(std::make_unique<WindowDriver>(window.get()))
    {
        d->show();
        d->waitForEditor();
    }
    QStringList shownNames() const { return d->names(); }
    bool saveNew(const QString &name) const { return d->saveNew(name); }
    void deleteRow(int i) const { d->deleteRow(i); }
    void toggle(int i) const { d->clickBox(i); }
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestSupport::closeAllPrompts(); }
    void documentsMissing_data();
    void documentsMissing();
    void unreadableAtStart_data();
    void unreadableAtStart();
    void readOnlyDocuments();
    void diskFull_data();
    void diskFull();
    void symlinkWrittenThrough();
    void changedBehindTheProgram_data();
    void changedBehindTheProgram();
    void damagedAtStart_data();
    void damagedAtStart();
};

void TestFaults::documentsMissing_data()
{
    QTest::addColumn<bool>("blocked"); // a plain file named Documents: the directory cannot be made
    QTest::newRow("made at start") << false;
    QTest::newRow("cannot be made") << true;
}

void TestFaults::documentsMissing()
{
    QFETCH(bool, blocked);
    TestHome home;
    QDir(home.documents()).removeRecursively();
    if (blocked)
        TestSupport::writeFile(home.documents(), "mine");
    Rig rig;
    QCOMPARE(prompts(), QString());
    QCOMPARE(rig.d->rowCount(), 0);
    QCOMPARE(rig.saveNew(QStringLiteral("起床")), !blocked);
    if (blocked) {
        QCOMPARE(prompts(), kSaveUnreadable);
        QCOMPARE(TestSupport::readFile(home.documents()), QByteArray("mine"));
        QCOMPARE(rig.d->rowCount(), 0);
        return;
    }
    QCOMPARE(storedNames(home.storageBytes()), QStringList{QStringLiteral("起床")});
    QCOMPARE(rig.shownNames(), QStringList{QStringLiteral("起床")});
}

void TestFaults::unreadableAtStart_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("prompt");
    const QString hint = QStringLiteral("\n请检查文件的读取权限后重新启动程序。");
    QTest::newRow("mode 000") << "mode 000"
                              << QStringLiteral("无法读取存储文件，列表暂时为空，文件没有改动：\n%1") + hint;
    QTest::newRow("a directory in its place")
        << "directory"
        << QStringLiteral("存储文件的位置被一个文件夹占用，列表暂时为空，该文件夹没有改动：\n%1"
                          "\n请移走该文件夹后重新启动程序。");
}

void TestFaults::unreadableAtStart()
{
    QFETCH(QString, form);
    QFETCH(QString, prompt);
    TestHome home;
    const QByteArray before = storage(3);
    if (form == QLatin1String("directory"))
        home.makeFile(QStringLiteral("Documents/Tavrel存储文件.txt/留着.txt"), before);
    else
        home.writeStorage(before);
    QFile::Permissions mode = QFile::permissions(home.storagePath());
    if (form == QLatin1String("mode 000"))
        QFile::setPermissions(home.storagePath(), QFile::Permissions());
    {
        AsOrdinaryUser user;
        Rig rig;
        QCOMPARE(prompts(), prompt.arg(home.storagePath()));
        TestSupport::closeAllPrompts();
        QCOMPARE(rig.d->rowCount(), 0);
        QVERIFY(!rig.saveNew(QStringLiteral("起床"))); // refused: the dialog keeps what was typed
        QCOMPARE(prompts(), kSaveUnreadable);
    }
    QFile::setPermissions(home.storagePath(), mode);
    if (form == QLatin1String("directory")) {
        QCOMPARE(entriesOf(home.storagePath()), QStringList{QStringLiteral("留着.txt")});
        QCOMPARE(TestSupport::readFile(home.storagePath() + QStringLiteral("/留着.txt")), before);
    } else {
        QCOMPARE(home.storageBytes(), before);
    }
    QCOMPARE(entriesOf(home.documents()), QStringList{QStringLiteral("Tavrel存储文件.txt")});
}

// Nothing can be written: every change is refused with a prompt and leaves the file and the list
// as they were; once the directory is writable again the next change goes through.
void TestFaults::readOnlyDocuments()
{
    TestHome home;
    const QByteArray before = storage(2, true);
    home.writeStorage(before);
    const QFile::Permissions mode = QFile::permissions(home.documents());
    QFile::setPermissions(home.documents(), QFile::ReadOwner | QFile::ExeOwner);
    AsOrdinaryUser user;
    Rig rig;
    QCOMPARE(prompts(), QString());
    QCOMPARE(rig.shownNames(), (QStringList{QStringLiteral("条目1"), QStringLiteral("条目2")}));
    QVERIFY(!rig.d->enabled(0)); // stored as enabled, yet every entry starts disabled
    QVERIFY(!rig.saveNew(QStringLiteral("起床")));
    QCOMPARE(prompts(), kSaveUnwritable);
    TestSupport::closeAllPrompts();
    rig.deleteRow(1);
    QCOMPARE(prompts(), kDeleteUnwritable);
    TestSupport::closeAllPrompts();
    rig.toggle(0);
    QCOMPARE(home.storageBytes(), before);
    QCOMPARE(entriesOf(home.documents()), QStringList{QStringLiteral("Tavrel存储文件.txt")});
    QCOMPARE(rig.shownNames(), (QStringList{QStringLiteral("条目1"), QStringLiteral("条目2")}));

    QFile::setPermissions(home.documents(), mode);
    QVERIFY(rig.saveNew(QStringLiteral("起床")));
    QCOMPARE(rig.shownNames(), storedNames(home.storageBytes()));
    QCOMPARE(rig.shownNames().size(), 3);
}

void TestFaults::diskFull_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("start-up rewrites") << "start" << QString();
    QTest::newRow("save a new entry") << "save" << kSaveUnwritable;
    QTest::newRow("delete an entry") << "delete" << kDeleteUnwritable;
    QTest::newRow("enable an entry") << "toggle" << QString();
}

// The disk fills up: a write that does not fit leaves the old file whole and no half-written
// temporary file behind; once there is room the same change goes through.
void TestFaults::diskFull()
{
    QFETCH(QString, change);
    QFETCH(QString, prompt);
    TestHome home;
    FullDisk disk(home.documents());
    if (!disk.mounted()) // say why, so a run without root sees the case did not run
        QSKIP(qPrintable(
            QStringLiteral("NOT RUN: no full disk could be made, mounting a small tmpfs failed (%1; "
                           "it needs root, CAP_SYS_ADMIN)")
                .arg(disk.error())));
    const QByteArray before = storage(6, true, QString(1500, QChar(0x949F))); // about 28 kB
    home.writeStorage(before);
    disk.fill();
    std::unique_ptr<Rig> rig = std::make_unique<Rig>();
    QCOMPARE(home.storageBytes(), before); // neither the migration nor the state reset fitted
    QCOMPARE(rig->d->rowCount(), 6);
    QVERIFY(!rig->d->enabled(0)); // stored as enabled, yet every entry starts disabled
    const auto act = [&] {
        if (change == QLatin1String("save"))
            return rig->saveNew(QStringLiteral("起床"));
        if (change == QLatin1String("delete"))
            rig->deleteRow(5);
        else if (change == QLatin1String("toggle"))
            rig->toggle(1);
        else
            rig = std::make_unique<Rig>();
        return true;
    };
    QCOMPARE(act(), change != QLatin1String("save"));
    QCOMPARE(prompts(), prompt);
    QCOMPARE(home.storageBytes(), before);
    QCOMPARE(entriesOf(home.documents()),
             (QStringList{QStringLiteral("Tavrel存储文件.txt"), QStringLiteral("filler")}));
    QCOMPARE(rig->shownNames(), storedNames(before));
    TestSupport::closeAllPrompts();

    disk.free();
    QVERIFY(act());
    QVERIFY(home.storageBytes() != before);
    QCOMPARE(rig->shownNames(), storedNames(home.storageBytes()));
    QVERIFY(StorageFile::damage(home.storageBytes()).isEmpty());
}

// A storage file linked to elsewhere (a synchronised folder, say) keeps its link: every rewrite,
// the start-up ones included, lands in the file it points at.
void TestFaults::symlinkWrittenThrough()
{
    TestHome home;
    const QString target = home.makeFile(QStringLiteral("同步/闹钟.txt"), storage(2, true));
    QVERIFY(QFile::link(target, home.storagePath()));
    Rig rig;
    QCOMPARE(QFileInfo(home.storagePath()).symLinkTarget(), target);
    QCOMPARE(TestSupport::readFile(target), storage(2)); // the start-up reset went through the link
    QVERIFY(rig.saveNew(QStringLiteral("起床")));
    QCOMPARE(QFileInfo(home.storagePath()).symLinkTarget(), target);
    QCOMPARE(storedNames(TestSupport::readFile(target)),
             (QStringList{QStringLiteral("条目1"), QStringLiteral("条目2"), QStringLiteral("起床")}));
    QCOMPARE(rig.shownNames(), storedNames(TestSupport::readFile(target)));
    QCOMPARE(entriesOf(home.documents()), QStringList{QStringLiteral("Tavrel存储文件.txt")});
}

void TestFaults::changedBehindTheProgram_data()
{
    QTest::addColumn<QString>("outside"); // what another program does to the file
    QTest::addColumn<QString>("change");  // the user's next change
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("said"); // the prompt: "" none, "lost" entries, or why it is damaged
    const QStringList three{QStringLiteral("条目1"), QStringLiteral("条目2"), QStringLiteral("条目3")};
    QTest::newRow("entry appended, then save") << "append"
                                               << "save" << three + QStringList{"外来", "起床"} << "";
    QTest::newRow("entry appended, then delete") << "append"
                                                 << "delete" << QStringList{"条目1", "条目2", "外来"} << "";
    QTest::newRow("emptied, then save") << "empty"
                                        << "save" << three + QStringList{"起床"} << "lost";
    QTest::newRow("emptied, then enable") << "empty"
                                          << "toggle" << three << "lost";
    QTest::newRow("cut mid-record, then save") << "cut"
                                               << "save" << three + QStringList{"起床"} << "lost";
    QTest::newRow("cut mid-record, then delete") << "cut"
                                                 << "delete" << QStringList{"条目1", "条目2"} << "lost";
    const QString header = QStringLiteral("首行无法识别");
    QTest::newRow("header retyped with full-width commas, then save")
        << "full-width"
        << "save" << three + QStringList{"起床"} << header;
    QTest::newRow("header retyped with full-width commas, then delete")
        << "full-width"
        << "delete" << QStringList{"条目1", "条目2"} << header;
    QTest::newRow("a record lost its loop line, then enable")
        << "line lost"
        << "toggle" << three << QStringLiteral("第2个条目格式不对");
    QTest::newRow("invalid UTF-8 in a name, then save")
        << "not UTF-8"
        << "save" << three + QStringList{"起床"} << QStringLiteral("不是有效的UTF-8文本");
}

QByteArray changedOutside(const QByteArray &good, const QString &outside)
{
    QStringList lines = StorageFile::linesOf(good);
    if (outside == QLatin1String("append"))
        return StorageFile::bytesOf(StorageFile::withAppended(lines, entry(QStringLiteral("外来"), 4)));
    if (outside == QLatin1String("cut"))
        return good.left(good.size() / 2);
    if (outside == QLatin1String("full-width")) {
        lines[0].replace(QLatin1Char(','), QStringLiteral("，"));
        return StorageFile::bytesOf(lines);
    }
    if (outside == QLatin1String("line lost")) {
        lines.removeAt(1 + 9 + 7); // the second record's 重复闹铃 line
        return StorageFile::bytesOf(lines);
    }
    if (outside == QLatin1String("not UTF-8"))
        return QByteArray(good).replace("条目2", "条目\xff");
    return QByteArray(); // emptied
}

// Whatever another program left, the next change keeps it whole in a backup unless it is a
// well-formed file, the user is told why, and the list, the file and the rings agree afterwards:
// the second entry, enabled before, rings at its time.
void TestFaults::changedBehindTheProgram()
{
    QFETCH(QString, outside);
    QFETCH(QString, change);
    QFETCH(QStringList, names);
    QFETCH(QString, said);
    TestHome home;
    home.writeStorage(storage(3));
    SystemClock::pin(QDateTime(QDate(2026, 12, 8), QTime(0, 0)));
    Rig rig;
    rig.toggle(1);
    const QByteArray changed = changedOutside(home.storageBytes(), outside);
    home.writeStorage(changed);

    if (change == QLatin1String("save"))
        QVERIFY(rig.saveNew(QStringLiteral("起床")));
    else if (change == QLatin1String("delete"))
        rig.deleteRow(2);
    else
        rig.toggle(0);
    const QByteArray after = home.storageBytes();
    QCOMPARE(storedNames(after), names);
    QCOMPARE(rig.shownNames(), names);
    QVERIFY(StorageFile::damage(after).isEmpty());
    SystemClock::advance(2 * 3600 * 1000 + 15 * 60 * 1000); // 02:15, 条目2's time
    rig.window->ringDue();
    QVERIFY(rig.window->findChild<Ringer *>()->isRinging(1));
    rig.window->stopRinging();
    SystemClock::unpin();
    const QStringList backups = entriesOf(home.documents()).filter(QStringLiteral(".损坏备份-"));
    QCOMPARE(backups.size(), said.isEmpty() ? 0 : 1);
    if (backups.isEmpty())
        return;
    const QString backup = home.documents() + QLatin1Char('/') + backups.first();
    QCOMPARE(TestSupport::readFile(backup), changed);
    const QString told = said == QLatin1String("lost")
                             ? QStringLiteral("存储文件在程序运行时被其他程序截短，缺少了列表中的条目。"
                                              "已按列表恢复存储文件，截短后的文件已原样备份为：\n") +
                                   backup
                             : QStringLiteral("存储文件在程序运行时被其他程序改动，内容有误（") + said +
                                   QStringLiteral("）。已按列表恢复存储文件，改动后的文件已原样备份为：\n") +
                                   backup;
    QVERIFY2(TestSupport::shownPromptTexts().contains(told), qPrintable(prompts()));
}

void TestFaults::damagedAtStart_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    const QByteArray two = storage(2);
    QTest::newRow("no header") << QByteArray("序号,1\n") << "首行无法识别";
    QTest::newRow("count not a number") << QByteArray("数量,两,背景图片,无\n") << "条目数量无法识别";
    QTest::newRow("count above 20") << QByteArray("数量,21,背景图片,无\n") << "条目数量不在0到20之间";
    QTest::newRow("record without its loop line")
        << two.left(two.indexOf("命令文件")) + "状态,关闭\n" + two.mid(two.indexOf("状态,关闭\n") + 14)
        << "第1个条目格式不对";
    QTest::newRow("cut short") << two.left(two.lastIndexOf("重复闹铃")) << "文件比条目数量所说的短";
    QTest::newRow("lines after the last record") << two + "多余\n"
                                                 << "最后一个条目之后还有多余的行";
}

// A damaged file is copied aside byte for byte before anything rewrites it, and the prompt says
// why in the program's own words (the loaders may add their own prompts about what they found).
void TestFaults::damagedAtStart()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TestHome home;
    home.writeStorage(content);
    SystemClock::pin(QDateTime(QDate(2026, 12, 8), QTime(7, 30, 5)));
    Rig rig;
    SystemClock::unpin();
    const QString backup = home.storagePath() + QStringLiteral(".损坏备份-20261208-073005");
    const QString said =
        QStringLiteral("存储文件内容有误（") + reason + QStringLiteral("），原文件已原样备份为：\n") + backup;
    QVERIFY2(TestSupport::shownPromptTexts().contains(said), qPrintable(prompts()));
    QCOMPARE(TestSupport::readFile(backup), content);
}

TAVREL_TEST_MAIN(TestFaults)
#include "tst_faults.moc"
