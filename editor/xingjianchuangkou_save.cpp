// Saving: the dialog's widgets become one record, the storage file is rewritten with it, and the
// main window reloads its rows so a new entry starts running at once.
#include "editor/xingjianchuangkou.h"

#include "app/mainwindow.h"
#include "editor/editortexts.h"
#include "editor/entryrecord.h"
#include "widgets/prompt.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

using namespace EditorTexts;
using namespace StorageFile;

namespace {
const QString kFull = QStringLiteral("闹钟和计时器数量最多为20个,无法保存。");
const QString kSaved = QStringLiteral("保存成功。");
const QString kUnreadable = QStringLiteral("无法读取存储文件，本次没有保存，请稍后再试。");
const QString kUnwritable = QStringLiteral("无法写入存储文件，本次没有保存，请检查文档目录后再试。");
const QString kEntryGone = QStringLiteral("要编辑的条目已不在存储文件中，本次没有保存。");
} // namespace

void XingJianChuangKou::Qpb_BaoCun_DianJi()
{
    if (!m_mainWindow)
        return;                   // only the main window's own editor has a list to save into
    qte_ShiJian->interpretText(); // take a half-typed time as the field shows it
    const Entry entry = composeEntry();
    const int row = m_editFlag == 0 ? saveNew(entry) : saveEdit(entry);
    if (row < 0)
        return; // refused: the dialog stays open with everything the user entered
    HuanYuanKongJian();
    m_mainWindow->JiaZai();
    m_mainWindow->showSavedTime(row, entry.time);
    m_mainWindow->Qpb_BuJuShuZu_LianJie();
    m_mainWindow->ZhiBianHua();
    m_editFlag = 0;
    close();
}

Entry XingJianChuangKou::composeEntry() const
{
    Entry e;
    e.number = m_editFlag == 0 ? 0 : m_editPosition;
    e.type = qpb_NaoZhong->isChecked() ? kAlarm : kTimer;
    e.name = EntryRecord::singleLine(qle_MingCheng->text());
    e.time = EntryRecord::normaliseTime(qte_ShiJian->text());
    e.repeat = EntryRecord::repeatValue(checkedDays());
    const bool defaultSound = qpb_ShengYinWenJian->text() == kDefaultSoundCaption || m_chosenSounds.isEmpty();
    e.sound = defaultSound ? kDefaultSound : m_chosenSounds.first();
    const bool noCommand = qpb_MingLingWenJian->text() == kNoCommandCaption || m_chosenCommands.isEmpty();
    e.command = noCommand ? kNone : m_chosenCommands.first();
    e.loop = qcb_FanFuNaoLing->isChecked() ? kYes : kNo;
    e.state = m_editFlag == 0 ? kOn : m_keptState;
    return e;
}

int XingJianChuangKou::saveNew(const Entry &entry)
{
    bool ok = false;
    const QStringList lines = m_mainWindow->readStorage(&ok);
    if (!ok) {
        Prompt::show(m_mainWindow, kUnreadable);
        return -1;
    }
    if (EntryRecord::isFull(lines)) {
        Prompt::show(m_mainWindow, kFull);
        return -1;
    }
    const QStringList written = EntryRecord::appendRecord(lines, entry);
    if (!m_mainWindow->writeStorage(written)) {
        Prompt::show(m_mainWindow, kUnwritable);
        return -1;
    }
    // The row is made only once the record is safely on disk, so a failed write leaves no
    // stray row behind.
    m_mainWindow->TianJia();
    Prompt::show(this, kSaved);
    return EntryRecord::storedRecords(written) - 1;
}

int XingJianChuangKou::saveEdit(const Entry &entry)
{
    bool ok = false;
    const QStringList lines = m_mainWindow->readStorage(&ok);
    if (!ok) {
        Prompt::show(m_mainWindow, kUnreadable);
        return -1;
    }
    if (m_editPosition < 1 || m_editPosition > EntryRecord::storedRecords(lines)) {
        Prompt::show(m_mainWindow, kEntryGone);
        return -1;
    }
    if (!m_mainWindow->writeStorage(EntryRecord::replaceRecord(lines, m_editPosition, entry))) {
        Prompt::show(m_mainWindow, kUnwritable);
        return -1;
    }
    m_mainWindow->reloadEditedSound(m_editPosition - 1, entry.sound);
    m_mainWindow->clearMinuteLatches();
    Prompt::show(this, kSaved);
    return m_editPosition - 1;
}
