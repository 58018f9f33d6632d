// Replays every file of the fuzz corpus (the starting inputs and each input the fuzzer ever broke a rule
// with) through the real window: start-up, the first row enabled, and a damaged file that cannot be
// backed up. The rules themselves run on the core in tst_storage.
#include "core/clock.h"
#include "core/storagefile.h"
#include "fuzz/storageinvariants.h"
#include "support/filefaults.h"
#include "support/testsupport.h"
#include "support/windowdriver.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <memory>

#include <csignal>
#include <sys/resource.h>

namespace {

void corpusRows()
{
    QTest::addColumn<QByteArray>("bytes");
    const QDir dir(QStringLiteral(TAVREL_FUZZ_CORPUS));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 30, "the fuzz corpus is missing");
    for (const QString &name : names)
        QTest::newRow(name.toUtf8().constData()) << TestSupport::readFile(dir.filePath(name));
}

QStringList backups(const TestHome &home)
{
    return QDir(home.documents()).entryList({QStringLiteral("*损坏备份*")}, QDir::Files);
}

// Each line of after that differs from before, by line number.
QList<int> changedLines(const QByteArray &before, const QByteArray &after)
{
    const QList<QByteArray> a = before.split('\n');
    const QList<QByteArray> b = after.split('\n');
    QList<int> changed;
    for (int i = 0; i < qMax(a.size(), b.size()); ++i) {
        if (a.value(i) != b.value(i))
            changed << i;
    }
    return changed;
}

} // namespace

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SystemClock::pin(QDateTime(QDate(2026, 3, 4), QTime(12, 0, 30))); }
    void cleanupTestCase() { SystemClock::unpin(); }
    void cleanup() { TestSupport::closeAllPrompts(); }
    void startKeepsTheFileOrABackup_data() { corpusRows(); }
    void startKeepsTheFileOrABackup();
    void enablingRewritesOnlyItsStateLine_data() { corpusRows(); }
    void enablingRewritesOnlyItsStateLine();
    void noBackupMeansNoRewrite_data();
    void noBackupMeansNoRewrite();
};

// The real start-up: a damaged file is first copied byte for byte, an undamaged one is never
// copied; either way the file ends as the pure steps say and the rows match it.
void TestFuzzCorpus::startKeepsTheFileOrABackup()
{
    QFETCH(QByteArray, bytes);
    TestHome home;
    home.writeStorage(bytes);
    auto w = std::make_unique<MainWindow>();
    WindowDriver d(w.get());
    d.show();

    const QStringList made = backups(home);
    if (bytes.isEmpty() || StorageFile::damage(bytes).isEmpty()) { // an empty file becomes a new one
        QVERIFY2(made.isEmpty(), "an undamaged file was backed up");
    } else {
        QCOMPARE(made.size(), 1);
        QCOMPARE(TestSupport::readFile(home.documents() + QLatin1Char('/') + made.first()), bytes);
        QVERIFY(TestSupport::shownPromptTexts().join(QLatin1Char('\n')).contains(made.first()));
    }
    QCOMPARE(home.storageBytes(), StorageInvariants::startupRewrite(bytes));
    QCOMPARE(d.rowCount(), StorageInvariants::startupRows(bytes));
}

// Ticking the first row's check box rewrites its state line and nothing else, unless the row was
// refused.
void TestFuzzCorpus::enablingRewritesOnlyItsStateLine()
{
    QFETCH(QByteArray, bytes);
    TestHome home;
    home.writeStorage(bytes);
    auto w = std::make_unique<MainWindow>();
    WindowDriver d(w.get());
    d.show();
    if (StorageInvariants::startupRows(bytes) == 0)
        QSKIP("no rows to enable");
    const QByteArray before = home.storageBytes();
    d.clickBox(0);
    if (!d.row(0)->enableBox()->isEnabled()) { // refused at load: it stays off and nothing is written
        QVERIFY(!d.enabled(0));
        QCOMPARE(home.storageBytes(), before);
        return;
    }
    QVERIFY(d.enabled(0));

    const QByteArray after = home.storageBytes();
    if (StorageHeader::read(StorageFile::linesOf(before).value(0)).fieldCount < 2) {
        QCOMPARE(after, before); // a file whose header is unreadable is left alone
        return;
    }
    QCOMPARE(changedLines(before, after), QList<int>{9});
    QCOMPARE(after.split('\n').at(9), QByteArray("状态,开启"));
}

void TestFuzzCorpus::noBackupMeansNoRewrite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QDir dir(QStringLiteral(TAVREL_FUZZ_CORPUS));
    int rows = 0;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        const QByteArray bytes = TestSupport::readFile(dir.filePath(name));
        const bool shrinks = StorageInvariants::startupRewrite(bytes).size() < int(kSmallFileLimit);
        if (bytes.size() > int(kSmallFileLimit) && shrinks && !StorageFile::damage(bytes).isEmpty()) {
            QTest::newRow(name.toUtf8().constData()) << bytes;
            ++rows;
        }
    }
    QVERIFY2(rows >= 1,
             "no file of the corpus is damaged and too large to copy: the corpus is missing files");
}

// A damaged file that cannot be copied (here: too large to write) stays exactly as it is, the
// list stays empty and the prompt says so; start-up would otherwise shorten it with no copy left.
void TestFuzzCorpus::noBackupMeansNoRewrite()
{
    QFETCH(QByteArray, bytes);
    TestHome home;
    home.writeStorage(bytes);
    std::unique_ptr<MainWindow> w;
    {
        FileSizeLimit limit;
        w = std::make_unique<MainWindow>();
        WindowDriver(w.get()).show();
    }
    QCOMPARE(home.storageBytes(), bytes);
    QVERIFY(backups(home).isEmpty());
    QCOMPARE(WindowDriver(w.get()).rowCount(), 0);
    const QString prompts = TestSupport::shownPromptTexts().join(QLatin1Char('\n'));
    QVERIFY2(prompts.contains(QStringLiteral("无法备份")) &&
                 prompts.contains(QStringLiteral("不会改动存储文件")),
             qPrintable(prompts));
}

TAVREL_TEST_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
