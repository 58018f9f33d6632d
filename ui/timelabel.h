#ifndef TAVREL_TIMELABEL_H
#define TAVREL_TIMELABEL_H

#include <QLabel>

// A row's time: a plain-text label that blinks. While blank it keeps its text, which a screen
// reader reads, and draws none of it, so the row keeps its layout.
class TimeLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TimeLabel(QWidget *parent = nullptr);

    bool isBlank() const { return m_blank; }
    // Repaints only when asked: a label out of view paints as it is once it comes into view.
    void setBlank(bool blank, bool repaint = true);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fitContentsToLine();

    bool m_blank = false;
};

#endif // TAVREL_TIMELABEL_H
