// The list: rows shown from the storage file, selection, enabling, and the commands that change
// entries (new, edit, delete).
#include "ui/mainwindow.h"

#include "core/texts.h"
#include "ui/entryrow.h"
#include "ui/prompt.h"
#include "ui/ringer.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const int kToolBarHeight = 80;
const int kRowPitch = 47; // rows sit 47 pixels apart on the canvas
const int kCanvasGrowth = 48;
const int kRowStretch = 40;
const int kFillerStretch = 99999;

bool missingFile(const QString &path)
{
    return !path.isEmpty() && !QFileInfo(path).isFile();
}
} // namespace

bool MainWindow::load(StorageContents *contents)
{
    const StorageResult result = m_storage.load(contents);
    showNotices(result);
    if (result.ok() && contents->headerRead)
        m_background = contents->background;
    return result.ok();
}

// Brings the rows in line with the entries the file holds; the scheduler already knows them.
void MainWindow::showEntries(const StorageContents &contents, bool atStart)
{
    const int count = int(contents.entries.size());
    if (atStart)
        showStoredBackground(true);
    m_canvas->setFixedSize(width(), height() - kToolBarHeight);
    while (m_rows.size() > count)
        removeLastRow();
    while (m_rows.size() < count)
        appendRow();
    const Instant now = SystemClock::now();
    const Outcome adopted = adoptEntriesAddedElsewhere(contents.entries, count, now);
    for (int i = 0; i < count; ++i) {
        // A ring that sounds keeps its sound: its file is looked at again when it next rings.
        reportMissingFiles(contents.entries.at(i), atStart, !atStart && m_ringer->isRinging(i));
        Entry shown = contents.entries.at(i);
        shown.enabled = m_scheduler.isEnabled(i);
        m_rows.at(i)->showEntry(shown, width());
        refuseUnreadableTime(i, contents.problems.value(i));
        m_rows.at(i)->setTimeText(m_scheduler.rowTime(i, now));
    }
    growCanvas();
    if (!atStart && count > 0)
        showStoredBackground(true); // scaled to the canvas as the rows grew it
    carryOut(adopted);
    updateSelectionActions();
}

// A time out of range (a timer over 99:59:59, a minute of 90, an alarm at 24:00) would read as zero
// and ring at once, and a type this program does not know has no way to ring: the row cannot be
// enabled until the person edits it, and the file keeps what it holds.
void MainWindow::refuseUnreadableTime(int row, Entry::ReadProblem problem)
{
    const bool tooLong = problem == Entry::ReadProblem::TimerTooLong;
    const bool unknownType = problem == Entry::ReadProblem::UnknownKind;
    const bool refused = tooLong || unknownType || problem == Entry::ReadProblem::BadTime;
    m_rows.at(row)->enableBox()->setEnabled(!refused);
    if (refused)
        Prompt::show(this, m_rows.at(row)->entry().name + (tooLong       ? Texts::kTimerTooLong
                                                           : unknownType ? Texts::kUnknownType
                                                                         : Texts::kTimeOutOfRange));
}

// The file keeps the path; the ring falls back to the built-in sound when it comes.
void MainWindow::reportMissingFiles(const Entry &entry, bool atStart, bool soundInUse)
{
    if (missingFile(entry.command))
        Prompt::show(this, entry.command + Texts::kCommandMissing);
    if (missingFile(entry.sound) && !soundInUse)
        Prompt::show(this, entry.sound + (atStart ? Texts::kSoundMissingAtStart : Texts::kSoundMissing));
}

EntryRow *MainWindow::appendRow()
{
    auto *row = new EntryRow(m_canvas);
    connect(row, &EntryRow::clicked, this, &MainWindow::updateSelectionActions);
    connect(row, &EntryRow::enableBoxToggled, this, [this, row](bool on) { enableBoxToggled(row, on); });
    connect(row, &EntryRow::editRequested, this, &MainWindow::editSelected);
    connect(row, &EntryRow::deleteRequested, this, &MainWindow::deleteSelected);
    m_listLayout->removeWidget(m_bottomFiller);
    m_listLayout->addWidget(row, kRowStretch);
    m_bottomFiller->setVisible(true);
    m_listLayout->addWidget(m_bottomFiller, kFillerStretch);
    if (!m_canvas->layout())
        m_canvas->setLayout(m_listLayout);
    m_rows.append(row);
    return row;
}

void MainWindow::removeLastRow()
{
    EntryRow *row = m_rows.takeLast();
    m_listLayout->removeWidget(row);
    delete row;
}

// Rows that do not fit grow the canvas, and the list scrolls from then on.
void MainWindow::growCanvas()
{
    for (int r = 1; r <= m_rows.size(); ++r) {
        if (m_canvas->height() < kRowPitch * r) {
            m_listArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            m_canvas->setFixedHeight(m_canvas->height() + kCanvasGrowth);
        }
    }
}

QVector<Entry> MainWindow::scheduledEntries() const
{
    QVector<Entry> entries;
    for (int i = 0; i < m_scheduler.count(); ++i)
        entries << m_scheduler.entry(i);
    return entries;
}

int MainWindow::selectedRow() const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i)->isChecked())
            return i;
    }
    return -1;
}

void MainWindow::updateSelectionActions()
{
    const int selected = selectedRow();
    if (selected >= 0) {
        const QIcon &icon = m_scheduler.isEnabled(selected) ? m_disableIcon : m_enableIcon;
        if (m_toggleAction->icon().cacheKey() != icon.cacheKey())
            m_toggleAction->setIcon(icon);
    }
    for (QAction *action : {m_editAction, m_deleteAction, m_toggleAction})
        action->setEnabled(selected >= 0);
}

// Ticking a row's box also selects the row.
void MainWindow::enableBoxToggled(EntryRow *row, bool on)
{
    const int i = m_rows.indexOf(row);
    if (i < 0)
        return;
    row->setChecked(true);
    setEnabled(i, on);
}

void MainWindow::toggleSelected()
{
    const int i = selectedRow();
    if (i >= 0 && m_rows.at(i)->enableBox()->isEnabled())
        setEnabled(i, !m_scheduler.isEnabled(i));
}

void MainWindow::setEnabled(int row, bool on)
{
    const Instant now = SystemClock::now();
    if (on)
        qCInfo(lcRing, "enabled entry=%d ms=%lld", row, Ringer::stamp());
    const Outcome outcome = m_scheduler.setEnabled(row, on, now);
    showRowState(row);
    storeStates();
    carryOut(outcome);
    showWhetherArmed();
    updateSelectionActions();
    armWakeUp();
}

// Entries another program added to the file while the list was shown come in disabled, so every row
// has its own state in the scheduler before the saved entry is placed. Adding one advances the
// scheduler, so what fell due meanwhile rings in the outcome: carry it out once the rows exist.
Outcome MainWindow::adoptEntriesAddedElsewhere(const QVector<Entry> &entries, int upTo, const Instant &now)
{
    Outcome outcome;
    while (m_scheduler.count() < upTo) {
        Entry added = entries.at(m_scheduler.count());
        added.enabled = false;
        outcome.append(m_scheduler.entryAdded(added, now));
    }
    return outcome;
}

void MainWindow::newEntry()
{
    if (!m_editor) {
        Prompt::show(this, Texts::kNotReady);
        return;
    }
    m_editor->startNewEntry();
    m_editor->exec();
}

void MainWindow::editSelected()
{
    if (!m_editor) {
        Prompt::show(this, Texts::kNotReady);
        return;
    }
    const int i = selectedRow();
    if (i < 0)
        return;
    m_editor->loadEntry(i, m_scheduler.entry(i));
    m_editor->exec();
}

// The editor's save: the entry is written first; the list and the scheduler follow the file.
EntryEditor::StoreResult MainWindow::storeEntry(int row, const Entry &edited)
{
    Entry entry = edited;
    if (row >= 0 && row < m_scheduler.count())
        entry.enabled = m_scheduler.isEnabled(row); // it may have finished while the editor was open
    const StorageResult result = row < 0 ? m_storage.append(entry) : m_storage.replace(row, entry);
    showNotices(result);
    switch (result.failure) {
    case StorageResult::Failure::None:
        break;
    case StorageResult::Failure::Full:
        return EntryEditor::StoreResult::Full;
    case StorageResult::Failure::Unreadable:
        Prompt::show(this, Texts::kSaveNotRead);
        return EntryEditor::StoreResult::Failed;
    case StorageResult::Failure::NoSuchEntry:
        Prompt::show(this, Texts::kEditedEntryGone);
        return EntryEditor::StoreResult::Failed;
    case StorageResult::Failure::Unwritable:
        Prompt::show(this, Texts::kSaveNotWritten);
        return EntryEditor::StoreResult::Failed;
    }
    StorageContents contents;
    if (!load(&contents)) {
        contents.entries = scheduledEntries();
        if (row < 0)
            contents.entries.append(entry);
        else
            contents.entries[row] = entry;
    }
    const Instant now = SystemClock::now();
    const int index = row < 0 ? int(contents.entries.size()) - 1 : row;
    Outcome outcome =
        adoptEntriesAddedElsewhere(contents.entries, row < 0 ? index : int(contents.entries.size()), now);
    const Entry stored = contents.entries.value(index, entry);
    outcome.append(row < 0 ? m_scheduler.entryAdded(stored, now)
                           : m_scheduler.entryChanged(row, stored, now));
    showEntries(contents, false);
    carryOut(outcome);
    showWhetherArmed();
    armWakeUp();
    return EntryEditor::StoreResult::Stored;
}

void MainWindow::deleteSelected()
{
    const int i = selectedRow();
    if (i < 0 || !confirmDelete(m_scheduler.entry(i)))
        return;
    const StorageResult result = m_storage.remove(i);
    showNotices(result);
    if (!result.ok()) {
        Prompt::show(this, result.failure == StorageResult::Failure::Unwritable ? Texts::kNotDeleted
                                                                                : Texts::kStorageNotRead);
        return;
    }
    Prompt::show(this, Texts::kDeleted);
    m_ringer->entryRemoved(i);
    m_scheduler.entryRemoved(i);
    StorageContents contents;
    if (!load(&contents))
        contents.entries = scheduledEntries(); // the file changed; the list still follows it
    showEntries(contents, false);
    armWakeUp();
}

bool MainWindow::confirmDelete(const Entry &entry)
{
    const QString type = entry.isAlarm() ? Texts::kAlarm : Texts::kTimer;
    QPointer<QMessageBox> box = new QMessageBox(this);
    box->setText(Texts::deleteQuestion(type, entry.name, entry.timeText()));
    QPushButton *yes = box->addButton(Texts::kConfirm, QMessageBox::AcceptRole);
    box->addButton(Texts::kCancel, QMessageBox::RejectRole); // also what Esc and the frame's close choose
    box->exec();
    const bool confirmed = box && box->clickedButton() == yes;
    delete box;
    return confirmed;
}
