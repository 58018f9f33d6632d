#ifndef TAVREL_TIMELABEL_H
#define TAVREL_TIMELABEL_H

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QTextLayout>

#include <memory>

class TimeCells;
class TimeGlyphs;

// What a time label sits on. Its owner paints it for the label, so the label can be opaque and a
// blink repaints the label alone, not the widgets under it.
class TimeLabelBackdrop
{
public:
    // An opaque picture of what lies behind `area` (the label's rectangle in the owner), while the
    // owner keeps one; a null pixmap otherwise.
    virtual QPixmap keptBackdrop(const QRect &area) const = 0;
    // Paints what lies behind `area` with `painter` at the label's origin; false when it cannot
    // paint it opaque.
    virtual bool paintBackdrop(QPainter *painter, const QRect &area) const = 0;

protected:
    ~TimeLabelBackdrop() = default;
};

// A row's time: a plain-text label that blinks. While blank it keeps its text (a screen reader
// reads it) and paints nothing. The blink repaints every running row's time twice a second, so
// the label draws as little as it can: a blink repaints the text's line alone (in the window, the
// list's time cells paint it over the label, all rows in one go), a time is drawn from its font's
// glyphs without a layout, and a text shown again over a kept backdrop is copied.
class TimeLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TimeLabel(QWidget *parent = nullptr);

    bool isBlank() const { return m_blank; }
    // Repaints only when asked: a label scrolled out of view paints as it is once it comes back.
    void setBlank(bool blank, bool repaint = true);

    // The owner that paints what lies behind the label (the label's parent, which outlives it).
    void setBackdrop(const TimeLabelBackdrop *backdrop);

    // Sets the text and, when asked, repaints it wherever the label is painted (over a covered
    // label, by the cells): a row's time is set through this.
    void setTime(const QString &text, bool repaint = true);

    // What changes when the label blinks or counts: its text's line, or all of it.
    QRect cell() const { return QRect(0, 0, width(), m_fitted ? m_lineHeight : height()); }
    // Whether it can paint its cell opaque, with paintCell, from what its backdrop keeps.
    bool paintsCellOpaque() const { return testAttribute(Qt::WA_OpaquePaintEvent); }
    // Paints the cell at the painter's origin; only while paintsCellOpaque().
    void paintCell(QPainter *painter);
    // The widget that paints the cells of the list over the labels, and whether it covers this one:
    // a covered label repaints through it and not by itself.
    void setCells(TimeCells *cells);
    void setCovered(bool covered);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool paintsLikeAPlainLabel() const;
    bool fitsToLine() const;
    void fitContentsToLine();
    void updateOpacity();
    void repaintCell();
    void paintOver(QPainter *painter, const QPixmap &kept);
    void paintText(QPainter *painter);
    QPointF placeLine(QPainter *painter, qreal width, qreal advance, qreal height) const;
    void layOutText();

    bool m_blank = false;
    QPointer<TimeCells> m_cells;
    bool m_covered = false;
    bool m_fitted = false; // the contents are the text's line alone
    int m_lineHeight = -1; // of the font; -1: not measured since it changed
    const TimeLabelBackdrop *m_backdrop = nullptr;
    bool m_backdropRefused = false;             // the owner could not paint it opaque: until the look changes
    std::shared_ptr<const TimeGlyphs> m_glyphs; // of the font; found at the first paint after it changed
    QTextLayout m_layout;
    QString m_laidOut;      // the text m_layout holds; a null string: nothing laid out yet
    bool m_oneLine = false; // m_laidOut is one plain left-to-right line, drawn from m_layout
    QString m_shownText;    // the text last shown, over the kept backdrop m_shownOver
    qint64 m_shownOver = 0;
    QPixmap m_shown; // the label so, once it was shown twice; null before
};

#endif // TAVREL_TIMELABEL_H
