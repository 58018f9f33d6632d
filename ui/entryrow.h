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
    void setTimeText(const QString &text);
    // Blank while a running row blinks: the label keeps its text and paints none of it. Repaints
    // nothing: the caller repaints timeArea() of the rows it changed, all in one update of their
    // parent, since twenty labels updated one by one cost more than the rest of the tick.
    // True when the row changed.
    bool setTimeBlank(bool blank);
    void setTimeTextBehindBlank(const QString &text); // keeps the text current while blank
    QRect timeArea() const;                           // the time label, in the parent's coordinates
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
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool paintBehindTime(QPainter *painter, const QRect &area) const;
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
