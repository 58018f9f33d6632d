#ifndef TAVREL_REMINDERBOX_H
#define TAVREL_REMINDERBOX_H

#include <QMessageBox>

// The forced reminder: a message box that makes itself nearly as large as the desktop, so a
// ringing entry cannot be overlooked. Its text is also its accessible name, so a screen reader
// announces what rang.
class ReminderBox : public QMessageBox
{
    Q_OBJECT

public:
    explicit ReminderBox(QWidget *parent = nullptr);

    // The fixed size on a desktop of the given size: 200 pixels short of it each way.
    static QSize sizeOn(const QSize &desktop);

    // Shows a new box for the entry named `entryName` ("<name>   到了。") over `window`, centred
    // and raised above earlier ones; deleted when closed.
    static ReminderBox *showFor(QWidget *window, const QString &entryName);

    void setReminderText(const QString &text);

    // The row whose ring the box tells of; -1 once that entry was deleted.
    int entry() const { return m_entry; }
    void setEntry(int entry) { m_entry = entry; }

signals:
    void snoozeAsked(int entry); // "稍后提醒" beside OK

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    int m_entry = -1;
};

#endif // TAVREL_REMINDERBOX_H
