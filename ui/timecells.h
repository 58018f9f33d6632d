#ifndef TAVREL_TIMECELLS_H
#define TAVREL_TIMECELLS_H

#include <QPointer>
#include <QVector>
#include <QWidget>

class TimeLabel;

// The rows' times, painted by one widget over the list: a blink repaints every time in view in one
// paint event instead of one per row, which is most of what a blink costs. It lies over the
// list's canvas, lets the mouse through, and covers only the cells it paints (its mask): the line
// of each row's time label. A label that cannot paint its cell opaque (a look it leaves to QLabel)
// is left uncovered and paints itself.
class TimeCells : public QWidget
{
    Q_OBJECT

public:
    explicit TimeCells(QWidget *canvas);

    // The time labels of the rows on the canvas; again whenever rows come or go.
    void cover(const QVector<TimeLabel *> &labels);
    // What a label shows changed (a blink, a new time): its cell is repainted.
    void repaintCell(const TimeLabel *label);
    // A label can or cannot be covered any more, or its cell changed size: the mask follows.
    void refreshSoon();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect cellOf(const TimeLabel *label) const;
    void refresh();

    QVector<QPointer<TimeLabel>> m_labels; // of the rows, top to bottom
    QVector<QPointer<TimeLabel>> m_covered;
    bool m_refreshPosted = false;
};

#endif // TAVREL_TIMECELLS_H
