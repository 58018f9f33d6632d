// The storage steps of the main window: they open the storage file, hand its lines to the pure
// functions in storagefile/storagemigration, and write the result back atomically.
#include "app/mainwindow.h"

#include "app/clock.h"
#include "storage/storagefile.h"
#include "storage/storagemigration.h"
#include "widgets/prompt.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>

#include <cstdio>
#include <unistd.h>

using namespace StorageFile;

namespace {

QByteArray readBytes(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

// Writes through a temporary file and an atomic rename: the old or the new file, never a mix.
bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Whole records the file holds: a record cut off at the end of the file does not count, and
// without a readable header every record present counts.
int wholeRecords(const QStringList &lines)
{
    const int present = qMax(0, lines.size() - 1) / kRecordLines;
    const Header header = parseHeader(lines.value(0));
    if (header.fieldCount < 2)
        return present;
    return qMin(recordIterations(header.count, lines.size()), present);
}

QString backupPathFor(const QString &path)
{
    const QString stamp = Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = path + QStringLiteral(".损坏备份-") + stamp;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".损坏备份-") + stamp + QLatin1Char('-') + QString::number(n);
    return candidate;
}

} // namespace

QStringList MainWindow::readStorageLines(bool *ok)
{
    const QByteArray bytes = readBytes(mainFile.fileName(), ok);
    const QStringList lines = splitLines(decodeUtf8(bytes, nullptr));
    if (*ok && wholeRecords(lines) < wholeRecords(lastGoodLines))
        return restoreLostEntries(ok);
    return lines;
}

bool MainWindow::writeStorageLines(const QStringList &lines)
{
    if (!storageReadable)
        return false; // never overwrite what could not be read
    if (!writeBytes(mainFile.fileName(), joinLines(lines)))
        return false;
    if (!cacheBytes.isEmpty())
        lastGoodLines = lines; // only once the list is loaded: start-up rewrites are not checked
    return true;
}

// Something else cut the file short while the list still shows its entries: the list's last
// good content goes back on disk, and what was found there is kept as a backup first.
QStringList MainWindow::restoreLostEntries(bool *ok)
{
    const QString path = mainFile.fileName();
    const QString backup = backupPathFor(path);
    const QStringList restored = lastGoodLines;
    if (!QFile::copy(path, backup) || !writeStorageLines(restored)) {
        *ok = false; // nothing may build on the short file
        return QStringList();
    }
    Prompt::show(this, QStringLiteral("存储文件在程序运行时被其他程序截短，缺少了列表中的条目。"
                                      "已按列表恢复存储文件，截短后的文件已原样备份为：\n") +
                           backup);
    return restored;
}

void MainWindow::reportUnreadableFile()
{
    const QString path = mainFile.fileName();
    if (QFileInfo(path).isDir())
        Prompt::show(this,
                     QStringLiteral("存储文件的位置被一个文件夹占用，列表暂时为空，该文件夹没有改动：\n") +
                         path + QStringLiteral("\n请移走该文件夹后重新启动程序。"));
    else
        Prompt::show(this, QStringLiteral("无法读取存储文件，列表暂时为空，文件没有改动：\n") + path +
                               QStringLiteral("\n请检查文件的读取权限后重新启动程序。"));
}

void MainWindow::reportDamagedFile(const QString &reason)
{
    const QString path = mainFile.fileName();
    const QString backup = backupPathFor(path);
    if (QFile::copy(path, backup)) {
        Prompt::show(this, QStringLiteral("存储文件内容有误（") + reason +
                               QStringLiteral("），原文件已原样备份为：\n") + backup);
        return;
    }
    // Without a copy nothing may rewrite the file: the start-up steps drop what they cannot place.
    storageReadable = false;
    Prompt::show(this, QStringLiteral("存储文件内容有误（") + reason +
                           QStringLiteral("），且无法备份到：\n") + backup +
                           QStringLiteral("\n为保护原有内容，本次运行不会改动存储文件；"
                                          "请检查磁盘空间和文件权限后重新启动程序。"));
}

void MainWindow::prepareStorageFile()
{
    const QString path = mainFile.fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        writeBytes(path, newFileContent().toUtf8()); // an empty file holds nothing worth keeping

    bool ok = false;
    const QByteArray bytes = readBytes(path, &ok);
    if (!ok) {
        storageReadable = false;
        m_entryCount = 0;
        backgroundPath = kNone; // nothing was read, so there is no picture to miss either
        if (QFileInfo::exists(path))
            reportUnreadableFile(); // an empty list would look as if every entry were gone
        return;
    }
    const QStringList lines = splitLines(decodeUtf8(bytes, nullptr));
    const QString reason = damageOfBytes(bytes);
    if (!reason.isEmpty())
        reportDamagedFile(reason);
    if (!storageReadable) {
        m_entryCount = 0; // no backup could be made: leave the file exactly as it is
        return;
    }

    bool upgraded = false;
    const QStringList upgradedLines = upgradeHeader(lines, &upgraded);
    if (upgraded)
        writeStorageLines(upgradedLines);

    V2_00CunChuWengJianGengXing();

    const Header header = parseHeader(readStorageLines(&ok).value(0));
    if (ok && header.fieldCount > 2)
        backgroundPath = header.background;
}

void MainWindow::V2_00CunChuWengJianGengXing()
{
    bool ok = false;
    const QStringList lines = readStorageLines(&ok);
    if (!ok) {
        storageReadable = false;
        m_entryCount = 0;
        return;
    }
    const Migration migration = migrate(lines);
    m_entryCount = qMin(migration.records, int(kSlots));
    if (QFileInfo(mainFile.fileName()).isSymLink()) {
        // A rename would put a plain file in place of the link and leave its target behind.
        writeStorageLines(migration.lines);
        return;
    }

    // The new content goes to the migration file first and then replaces the storage file in one
    // rename, so a crash leaves either the old or the new file whole.
    const QByteArray bytes = joinLines(migration.lines);
    migrationFile.close();
    if (!migrationFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const bool written = migrationFile.write(bytes) == bytes.size() && migrationFile.flush() &&
                         ::fsync(migrationFile.handle()) == 0;
    migrationFile.close();
    if (!written || std::rename(QFile::encodeName(migrationFile.fileName()).constData(),
                                QFile::encodeName(mainFile.fileName()).constData()) != 0)
        migrationFile.remove();
}

void MainWindow::SheZhiZhuangTaiGuanBi()
{
    bool ok = false;
    const QStringList lines = readStorageLines(&ok);
    if (!ok)
        return;
    resetCount = parseHeader(lines.value(0)).count;
    const QStringList reset = resetStates(lines);
    if (reset != lines)
        writeStorageLines(reset);
}

void MainWindow::fillByteCache()
{
    cacheBytes.clear();
    if (cacheFile.open(QIODevice::ReadOnly)) {
        cacheBytes = cacheFile.readAll();
        cacheFile.close();
    }
    lastGoodLines = splitLines(decodeUtf8(cacheBytes, nullptr));
    cacheBuffer.close();
    cacheBuffer.setData(cacheBytes);
    cacheBuffer.open(QIODevice::ReadOnly);
    cacheBufferStream.setDevice(&cacheBuffer);
    cacheBuffer.close();
}

QStringList MainWindow::readEntryRecord(LineReader &in, int i, bool reload)
{
    QStringList nine;
    for (int k = 0; k < kRecordLines; ++k)
        nine << in.next();
    if (reload)
        qlBaoCunShiJian[i]->setText(splitFields(nine.at(3)).value(1));
    if (splitFields(nine.at(6)).size() >= 2) {
        commandPath[i] = recordValue(nine.at(6), 7);
        if (commandPath[i] != kNone) {
            if (QFileInfo(commandPath[i]).isFile())
                showCommandIcon(i, commandPath[i]);
            else
                Prompt::show(this, commandPath[i] + QStringLiteral("   命令文件不存在。"));
        }
    }
    return readRecord(nine);
}

void MainWindow::loadStoredRows()
{
    bool ok = false;
    LineReader in(readStorageLines(&ok));
    in.next(); // the header line
    for (int i = 0; i < m_entryCount; ++i) {
        const QStringList record = readEntryRecord(in, i, false);
        fillRow(i, record, false);
        placeRow(i, false);
    }
}

void MainWindow::JiaZai()
{
    fillByteCache();
    bool ok = false;
    const QStringList lines = readStorageLines(&ok);
    if (!ok)
        return; // keep the rows as they are rather than blank them
    const Header header = parseHeader(lines.value(0));
    if (header.fieldCount > 2) {
        m_entryCount = qMin(recordIterations(header.count, lines.size()), int(kSlots));
        backgroundPath = header.background;
    }
    qw_ZhuJieMianMuBu->setFixedSize(width(), height() - 80);
    reloadRows(lines);
}

void MainWindow::reloadRows(const QStringList &lines)
{
    LineReader in(lines);
    in.next(); // the header line
    for (int i = 0; i < m_entryCount; ++i) {
        if (!qpb_BuJuShuZu[i])
            createRow(i);
        const QStringList record = readEntryRecord(in, i, true);
        fillRow(i, record, true);
        placeRow(i, true);
        applyStoredBackground(i == 0); // one missing-picture prompt per reload is enough
    }
}
