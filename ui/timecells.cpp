#include "ui/timecells.h"

#include "ui/timelabel.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

TimeCells::TimeCells(QWidget *canvas) : QWidget(canvas)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    canvas->installEventFilter(this);
}

QRect TimeCells::cellOf(const TimeLabel *label) const
{
    return label->cell().translated(label->mapTo(parentWidget(), QPoint()));
}

void TimeCells::cover(const QVector<TimeLabel *> &labels)
{
    m_labels.clear();
    for (TimeLabel *label : labels) {
        label->setCells(this);
        label->parentWidget()->installEventFilter(this); // the row: it moves and resizes the cell
        m_labels.append(label);
    }
    raise(); // over rows made since
    refresh();
}

void TimeCells::refreshSoon()
{
    if (m_refreshPosted)
        return;
    m_refreshPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPosted = false;
            refresh();
        },
        Qt::QueuedConnection);
}

bool TimeCells::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        refreshSoon();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// Covers the cells of the labels that paint them opaque; the others paint themselves again.
void TimeCells::refresh()
{
    QRegion mask;
    m_covered.clear();
    for (const QPointer<TimeLabel> &label : qAsConst(m_labels)) {
        if (!label)
            continue;
        const bool covered = label->paintsCellOpaque() && label->isVisibleTo(parentWidget());
        label->setCovered(covered);
        if (!covered)
            continue;
        m_covered.append(label);
        mask += cellOf(label);
    }
    setGeometry(parentWidget()->rect());
    if (!mask.isEmpty() && this->mask() != mask)
        setMask(mask);
    setVisible(!mask.isEmpty());
}

void TimeCells::repaintCell(const TimeLabel *label)
{
    update(cellOf(label));
}

void TimeCells::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRegion &region = event->region();
    for (const QPointer<TimeLabel> &label : qAsConst(m_covered)) {
        if (!label)
            continue;
        const QRect cell = cellOf(label);
        if (!region.intersects(cell))
            continue;
        painter.setTransform(QTransform::fromTranslate(cell.x(), cell.y()));
        // One rectangle: drawing through the whole region of cells would go span by span.
        painter.setClipRect(QRect(QPoint(), cell.size()), Qt::ReplaceClip);
        label->paintCell(&painter);
    }
}
