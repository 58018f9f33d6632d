#ifndef TAVREL_ENTRYEDITOR_H
#define TAVREL_ENTRYEDITOR_H

#include "core/entry.h"
#include "ui/mediabackend.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TimeSpinBox;

// The dialog that creates a new entry or changes an existing one.
//
// How the window uses it:
//   - it makes one editor at start and calls setStore() once;
//   - "新建": startNewEntry(), then exec();
//   - "编辑...": loadEntry(row, entry), then exec(). Sound or command files that have gone missing
//     are reported here (prompts owned by the editor) and fall back to the built-in ring / none;
//   - on "保存" the editor composes the Entry from its fields and calls the store callback. The
//     editor never touches the storage file itself: the callback writes the entry (appended when
//     row is -1, in place of `row` otherwise, keeping that entry's enabled state as passed in) and
//     answers Stored, Full (the list already holds the most entries it can; the editor says so,
//     the prompt owned by the window) or Failed (nothing written; the window has already told the
//     user why). On Full and Failed the editor stays open with everything the user entered.
//   - after Stored the editor shows "保存成功。", resets itself, emits entrySaved() (the window
//     brings its rows up to date there, unless it already did inside the callback) and closes,
//     which ends the window's exec().
// Every way out ("关闭", the frame's close button, Escape, a save) resets it to a blank new alarm.
class EntryEditor : public QDialog
{
    Q_OBJECT

public:
    enum class StoreResult
    {
        Stored,
        Full,
        Failed
    };
    // row: -1 for a new entry, otherwise the 0-based position of the edited entry.
    using Store = std::function<StoreResult(int row, const Entry &entry)>;

    explicit EntryEditor(QWidget *parent = nullptr);
    ~EntryEditor() override;

    void setStore(Store store);

    // A blank new alarm: title "新建", name "闹钟", 00:00, no weekdays, built-in ring, looping.
    void startNewEntry();
    // Fills the fields from a stored entry for editing; title "编辑".
    void loadEntry(int row, const Entry &entry);

    bool isEditing() const { return m_editedRow >= 0; }
    int editedRow() const { return m_editedRow; }
    // What a save would hand over now.
    Entry currentEntry() const;

    // The names of the days, Monday first ("星期一" ...).
    static QStringList dayNames(const Weekdays &days);
    // The repeat list's four summary columns: "重复：" + the first day, then the others two by
    // two, each pair joined by twelve spaces; no days reads "重复：一次".
    static QStringList repeatSummary(const QStringList &days);

signals:
    void entrySaved(int row, const Entry &entry);

public slots:
    void save();
    void reject() override; // Escape leaves like "关闭": reset, and no half-edited entry survives

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void showAlarmMode();
    void showTimerMode();
    void repeatListToggled();
    void dayToggled();
    void togglePreview();
    void closeAndReset();

private:
    static constexpr int kNameLength = 7; // what a person may type; a stored name may be longer
    // entryeditor.cpp: building, modes, repeat list, reset
    void createWidgets();
    void nameWidgets();
    void setUpTopHalf();
    void setUpLowerHalf();
    void fillRepeatList();
    void labelForScreenReaders();
    void connectSignals();
    void placeLowerHalf(bool expanded);
    void placeDayBoxes();
    void showTypeButtons(Entry::Kind kind);
    void showTimeField(Entry::Kind kind);
    void setDays(const Weekdays &days);
    Weekdays checkedDays() const;
    void showSummary(const QStringList &days);
    void openRepeatList(bool open);
    void reset();
    void setHintPointSize(int size);
    // entryeditor_files.cpp: sound and command choice, preview
    void chooseFile(QPushButton *button);
    void showSound(const QString &path);   // empty: the built-in ring
    void showCommand(const QString &path); // empty: none
    void stopPreview();
    // entryeditor_load.cpp: loading and saving
    void loadDays(const Entry &entry);
    QString existingOrReported(const QString &path, const QString &missingText);

    Store m_store;
    int m_editedRow = -1;      // -1: a new entry
    bool m_keptEnabled = true; // an edit keeps the entry's enabled state
    Entry::Kind m_kind = Entry::Kind::Alarm;
    bool m_repeatListOpen = false; // follows the summary item's expand and collapse signals
    QString m_soundPath;           // empty: the built-in ring
    QString m_commandPath;         // empty: no command file
    QObject *m_preview = nullptr;  // exists only while a preview plays

    QPushButton *m_alarmButton = nullptr;
    QPushButton *m_timerButton = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLineEdit *m_nameEdit = nullptr;
    QLabel *m_timeLabel = nullptr;
    TimeSpinBox *m_timeEdit = nullptr;
    QLabel *m_hintLabel = nullptr;
    QTreeWidget *m_repeatList = nullptr;
    QTreeWidgetItem *m_summaryItem = nullptr;
    std::array<QTreeWidgetItem *, 3> m_dayRows{};
    std::array<QCheckBox *, 7> m_dayBoxes{}; // Monday first
    QLabel *m_warningLabel = nullptr;
    QLabel *m_ringLabel = nullptr;
    QPushButton *m_soundButton = nullptr;
    QPushButton *m_previewButton = nullptr;
    QCheckBox *m_loopBox = nullptr;
    QLabel *m_commandLabel = nullptr;
    QPushButton *m_commandButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};

#endif // TAVREL_ENTRYEDITOR_H
