// libFuzzer entry point for the whole storage pipeline: arbitrary bytes as the storage file, first
// through the rules of every rewrite in memory, then in a temporary HOME through the real
// start-up, load, state sync, append and delete. Slower than
// fuzz_storage (every input goes through the file system), so it runs for shorter times.
#include "core/storagefile.h"
#include "storageinvariants.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString g_documents;

void setUpHome()
{
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    g_documents = home.path() + QStringLiteral("/Documents");
    QDir().mkpath(g_documents);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList others()
{
    QStringList names = QDir(g_documents).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.removeAll(StorageFile::path().section(QLatin1Char('/'), -1));
    return names;
}

[[noreturn]] void broken(const char *rule)
{
    std::fprintf(stderr, "storage rule broken: %s\n", rule);
    std::abort();
}

void checkStart(const QByteArray &bytes, const StorageResult &start)
{
    const bool damaged = !bytes.isEmpty() && !StorageFile::damage(bytes).isEmpty(); // empty: a new file
    if (!start.ok())
        broken("start-up failed on a readable file");
    if (damaged != !start.notices.isEmpty())
        broken("a damaged file was not backed up, or an undamaged one was");
    if (damaged && readFile(start.notices.first().backupPath) != bytes)
        broken("the backup is not byte for byte the file");
    if (others().size() != (damaged ? 1 : 0))
        broken("start-up left a file behind");
    if (readFile(StorageFile::path()) != StorageFile::preparedBytes(bytes))
        broken("start-up wrote something else than its rules say");
}

void checkStates(StorageFile &storage, int rows)
{
    const QStringList before = StorageFile::linesOf(readFile(StorageFile::path()));
    if (!storage.setStates(QVector<bool>(rows, true)).ok())
        broken("the state sync failed");
    const QStringList after = StorageFile::linesOf(readFile(StorageFile::path()));
    if (after.size() != before.size())
        broken("the state sync changed the number of lines");
    for (int i = 0; i < before.size(); ++i) {
        const bool state = i >= 1 && (i - 1) / 9 < rows && (i - 1) % 9 == 8;
        if (!state && after.at(i) != before.at(i))
            broken("the state sync changed a line that is not a state line");
    }
}

void checkAppendRemove(StorageFile &storage)
{
    StorageContents before;
    storage.load(&before);
    Entry e;
    e.name = QStringLiteral("fuzz,name");
    e.kind = Entry::Kind::Timer;
    e.timerSeconds = 3599;
    const StorageResult added = storage.append(e);
    if (added.failure == StorageResult::Failure::Full)
        return;
    if (!added.ok() || added.entryCount < 1)
        broken("appending failed");
    StorageContents after;
    storage.load(&after);
    if (after.entries.size() != added.entryCount ||
        (added.entryCount <= StorageFile::kMaxEntries &&
         after.entries.last().toStoredLines(1) != e.toStoredLines(1)))
        broken("the appended entry does not read back");
    if (!storage.remove(added.entryCount - 1).ok())
        broken("removing the appended entry failed");
    StorageContents again;
    storage.load(&again);
    if (again.entries.size() != before.entries.size())
        broken("append and remove changed the number of entries");
    for (int i = 0; i < before.entries.size(); ++i) {
        if (again.entries.at(i).toStoredLines(1) != before.entries.at(i).toStoredLines(1))
            broken("append and remove changed another entry");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (g_documents.isEmpty())
        setUpHome();
    for (const QString &name : QDir(g_documents).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(g_documents + QLatin1Char('/') + name);
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QString rule = StorageInvariants::checkRewrites(bytes);
    if (!rule.isEmpty())
        broken(rule.toUtf8().constData());
    {
        QFile file(StorageFile::path());
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::abort();
    }
    StorageFile storage([] { return QDateTime(QDate(2026, 1, 1), QTime(0, 0)); });
    checkStart(bytes, storage.prepare());
    StorageContents contents;
    const StorageResult load = storage.load(&contents);
    if (!load.ok() || contents.entries.size() != load.entryCount)
        broken("the load failed or disagrees with its count");
    checkStates(storage, load.entryCount);
    checkAppendRemove(storage);
    return 0;
}
