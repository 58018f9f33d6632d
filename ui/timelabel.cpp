#include "ui/timelabel.h"

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
        update();
}

void TimeLabel::paintEvent(QPaintEvent *event)
{
    if (m_blank)
        QFrame::paintEvent(event); // the frame alone, as an empty label paints
    else
        QLabel::paintEvent(event);
}
