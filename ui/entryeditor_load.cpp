// Loading a stored entry into the editor, and handing the finished entry over on "保存".
#include "ui/entryeditor.h"

#include "core/texts.h"
#include "ui/prompt.h"
#include "ui/timespinbox.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTreeWidget>

#include <algorithm>

using namespace Texts;

namespace {

// Line breaks (a pasted paragraph) become spaces: a stored value must stay on its one line.
QString singleLine(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\\r\\n|[\\r\\n\\x{0085}\\x{2028}\\x{2029}]"));
    QString out = text;
    return out.replace(breaks, QStringLiteral(" "));
}

} // namespace

void EntryEditor::loadEntry(int row, const Entry &entry)
{
    reset();
    setWindowTitle(kEditTitle);
    m_editedRow = row;
    m_keptEnabled = entry.enabled;
    const bool alarm = entry.isAlarm();
    showTypeButtons(entry.kind);
    // The typing limit must not cut a longer name stored by hand: the field grows to hold it.
    m_nameEdit->setMaxLength(std::max(kNameLength, int(entry.name.size())));
    m_nameEdit->setText(entry.name); // unlike the type buttons, loading keeps the stored name
    showTimeField(entry.kind);       // the timer's limit first, so 30:00:00 is not cut to 23:59:59
    setHintPointSize(alarm ? 10 : 8);
    const QTime clock = entry.alarmTime.isValid() ? entry.alarmTime : QTime(0, 0);
    m_timeEdit->setSeconds(alarm ? clock.hour() * 3600 + clock.minute() * 60 : entry.timerSeconds);
    loadDays(entry);
    showSound(existingOrReported(entry.sound, kSoundMissingInEditor));
    showCommand(existingOrReported(entry.command, kCommandMissingInEditor));
    m_loopBox->setChecked(entry.loop);
}

// An alarm that repeats opens with the repeat list open and its days checked; a timer's list is
// closed and disabled.
void EntryEditor::loadDays(const Entry &entry)
{
    const Weekdays days = entry.isAlarm() ? entry.weekdays : Weekdays();
    setDays(days);
    openRepeatList(!days.isEmpty());
    m_repeatList->setEnabled(entry.isAlarm());
}

// A file that has gone since it was chosen is reported and dropped, so a save stores the
// built-in ring or no command instead of a path that leads nowhere.
QString EntryEditor::existingOrReported(const QString &path, const QString &missingText)
{
    if (path.isEmpty() || QFileInfo(path).isFile())
        return path;
    Prompt::show(this, path + missingText);
    return QString();
}

Entry EntryEditor::currentEntry() const
{
    Entry e;
    e.kind = m_kind;
    e.name = singleLine(m_nameEdit->text());
    const int seconds = m_timeEdit->seconds();
    if (e.isAlarm()) {
        e.alarmTime = QTime(seconds / 3600 % 24, seconds / 60 % 60); // an alarm keeps the minute
        e.weekdays = checkedDays();
    } else {
        e.timerSeconds = seconds;
    }
    e.sound = m_soundPath;
    e.command = m_commandPath;
    e.loop = m_loopBox->isChecked();
    // A new entry starts at once; an edit's enabled state is the window's at the moment of saving.
    e.enabled = isEditing() ? m_keptEnabled : true;
    return e;
}

void EntryEditor::save()
{
    m_timeEdit->interpretText(); // take a half-typed time as the field shows it
    const Entry entry = currentEntry();
    const StoreResult result = m_store ? m_store(m_editedRow, entry) : StoreResult::Failed;
    if (result == StoreResult::Full)
        Prompt::show(parentWidget() ? parentWidget() : this, kListFull);
    if (result != StoreResult::Stored)
        return; // the dialog stays open with everything the user entered
    Prompt::show(this, kSaved);
    const int row = m_editedRow;
    reset();
    emit entrySaved(row, entry);
    close();
}
