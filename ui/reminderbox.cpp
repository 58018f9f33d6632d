#include "ui/reminderbox.h"

#include "core/texts.h"
#include "ui/prompt.h"

#include <QEvent>
#include <QPushButton>

ReminderBox::ReminderBox(QWidget *parent) : QMessageBox(parent)
{
    setStandardButtons(QMessageBox::Ok);
    setEscapeButton(QMessageBox::Ok); // Escape keeps closing it, never snoozes
    QPushButton *snooze = addButton(Texts::kSnooze, QMessageBox::ActionRole);
    connect(snooze, &QPushButton::clicked, this, [this] {
        if (m_entry >= 0)
            emit snoozeAsked(m_entry);
    });
}

QSize ReminderBox::sizeOn(const QSize &desktop)
{
    return QSize(desktop.width() - 200, desktop.height() - 200);
}

ReminderBox *ReminderBox::showFor(QWidget *window, const QString &entryName)
{
    auto *box = new ReminderBox(window);
    // One box per ring, each nearly desktop-sized: a closed one must not stay in memory until exit.
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setReminderText(entryName + Texts::kArrived);
    box->show();
    Prompt::centreOnDesktop(box);
    box->raise();
    return box;
}

// The message is the box's accessible name too: a screen reader announcing the new window says
// what rang, not just that a dialog appeared.
void ReminderBox::setReminderText(const QString &text)
{
    setText(text);
    setAccessibleName(text);
    setAccessibleDescription(text);
}

void ReminderBox::showEvent(QShowEvent *event)
{
    setFixedSize(sizeOn(Prompt::desktopSize()));
    QMessageBox::showEvent(event);
    setFixedSize(sizeOn(Prompt::desktopSize()));
}

// The base class fixes its own compact size on show and again on every later layout pass;
// the reminder has to stay large, so its size is restored after each of them.
bool ReminderBox::event(QEvent *event)
{
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest && isVisible())
        setFixedSize(sizeOn(Prompt::desktopSize()));
    return handled;
}
