#include "ui/timelabel.h"

#include <QEvent>
#include <QtMath>

TimeLabel::TimeLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText); // digits only: no need to look for markup each second
}

void TimeLabel::setBlank(bool blank, bool repaint)
{
    if (m_blank == blank)
        return;
    m_blank = blank;
    if (repaint)
        update(contentsRect());
}

void TimeLabel::paintEvent(QPaintEvent *event)
{
    if (!m_blank) // a time has no frame: blank, nothing of the label shows
        QLabel::paintEvent(event);
}

// A top-aligned time is one line at the label's top, and the label repaints its contents when its
// text changes: the rest of it is kept out of its contents, so a blink or a new time repaints,
// and sends to the display, that line alone. Twice as many pixels made the display's socket
// fill up at each blink, and the program wait for it.
void TimeLabel::fitContentsToLine()
{
    const bool top = !(alignment() & (Qt::AlignVCenter | Qt::AlignBottom));
    const int line = qCeil(QFontMetricsF(font()).height());
    setContentsMargins(0, 0, 0, top && !wordWrap() ? qMax(0, height() - line) : 0);
}

void TimeLabel::resizeEvent(QResizeEvent *event)
{
    fitContentsToLine();
    QLabel::resizeEvent(event);
}

void TimeLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fitContentsToLine();
    QLabel::changeEvent(event);
}
