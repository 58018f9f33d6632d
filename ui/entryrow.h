#ifndef TAVREL_ENTRYROW_H
#define TAVREL_ENTRYROW_H

#include "core/entry.h"

#include <QPushButton>

class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class TimeLabel;

// One row of the list: a checkable button holding the entry's icon, time, name, repeat days and
// the box that enables it. Clicking the row selects it; ticking the box asks to enable it.
class EntryRow : public QPushButton
{
    Q_OBJECT

public:
    explicit EntryRow(QWidget *parent = nullptr);

    // Fills the row from the entry; the time shown is the entry's own (its ring minute or its
    // whole duration) until setTimeText changes it.
    void showEntry(const Entry &entry, int windowWidth);
    const Entry &entry() const { return m_entry; }

    // The time label. Sets the label only when it changes; showing a time ends a blank.
    // `inView`: whether the row is in the list's view, so a blink needs a repaint.
    void setTimeText(const QString &text, bool inView = true);
    // Blank while a running row blinks: the label keeps its text and paints none of it.
    void setTimeBlank(bool blank, bool inView = true);
    void setTimeTextBehindBlank(const QString &text); // keeps the text current while blank
    QString timeText() const;                         // what the label shows: empty while blank

    // What the row shows.
    QString nameText() const;
    QString repeatShown() const; // "   每周重复：星期一、星期五", "   每周重复：否", "" for a timer
    QPixmap iconShown() const;
    QCheckBox *enableBox() const { return m_box; }

    // The enable box without telling anyone: the caller already knows.
    void setEnableBox(bool on);
    bool isEnableBoxChecked() const;

    // The row icon for an enabled or disabled entry (type icon, or the command file's own icon).
    void showEnabledLook(bool enabled);

    // Keeps the row as wide as the window allows.
    void fitWidth(int windowWidth);

    static QString repeatText(const Entry &entry);

signals:
    void enableBoxToggled(bool on); // the person ticked or cleared the box
    void editRequested();
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void createWidgets();
    void layOut(int windowWidth);
    void showTypeIcon(bool enabled, Qt::TransformationMode mode);
    void showCommandIcon(bool enabled);
    bool hasCommandFile() const;
    void describe();

    Entry m_entry;
    QLabel *m_icon = nullptr;
    TimeLabel *m_time = nullptr;
    QLabel *m_name = nullptr;
    QLabel *m_info = nullptr;
    QFrame *m_leftLine = nullptr;
    QFrame *m_rightLine = nullptr;
    QCheckBox *m_box = nullptr;
};

#endif // TAVREL_ENTRYROW_H
