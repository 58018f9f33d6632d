#ifndef TAVREL_TIMELABEL_H
#define TAVREL_TIMELABEL_H

#include <QLabel>
#include <QTextLayout>

#include <functional>

// A row's time: a plain-text label that blinks. While blank it keeps its text (a screen reader
// reads it) and paints nothing. Its text is laid out once per change, not at every paint: the
// blink repaints every running row's time twice a second, and laying the digits out again each
// time cost more than drawing them.
class TimeLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TimeLabel(QWidget *parent = nullptr);

    bool isBlank() const { return m_blank; }
    bool setBlank(bool blank); // true when it changed; repaints nothing

    // What lies behind the label, painted by its owner into the label's painter for the label's
    // rectangle in the parent; false when that cannot be painted opaque. With a backdrop the label
    // paints every pixel itself, so a repaint of the label leaves the widgets under it alone.
    using Backdrop = std::function<bool(QPainter *painter, const QRect &area)>;
    void setBackdrop(const Backdrop &backdrop);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool paintsLikeAPlainLabel() const;
    void updateOpacity();
    void paintText(QPainter *painter);
    void layOutText();

    bool m_blank = false;
    Backdrop m_backdrop;
    bool m_backdropRefused = false; // the owner could not paint it opaque: until the look changes
    QTextLayout m_layout;
    QString m_laidOut;      // the text m_layout holds; a null string: nothing laid out yet
    bool m_oneLine = false; // m_laidOut is one plain left-to-right line, drawn from m_layout
};

#endif // TAVREL_TIMELABEL_H
