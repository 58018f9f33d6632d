#include "ui/timelabel.h"

#include "ui/timecells.h"
#include "ui/timeglyphs.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QtMath>

#include <algorithm>

namespace {
bool hasLineBreak(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(ushort(0x9c)) ||
               c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
}
} // namespace

TimeLabel::TimeLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText); // digits only: no need to look for markup each second
    m_layout.setCacheEnabled(true);
}

void TimeLabel::setBlank(bool blank, bool repaint)
{
    if (m_blank == blank)
        return;
    m_blank = blank;
    if (repaint)
        repaintCell();
}

// Where the label is painted: over a covered label, by the cells.
void TimeLabel::repaintCell()
{
    if (m_covered && m_cells)
        m_cells->repaintCell(this);
    else
        update(cell());
}

void TimeLabel::setBackdrop(const TimeLabelBackdrop *backdrop)
{
    m_backdrop = backdrop;
    m_backdropRefused = false;
    updateOpacity();
}

void TimeLabel::updateOpacity()
{
    const bool opaque = m_backdrop && !m_backdropRefused && paintsLikeAPlainLabel();
    if (opaque == testAttribute(Qt::WA_OpaquePaintEvent))
        return;
    setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    if (m_cells)
        m_cells->refreshSoon(); // covered or not from now on
}

// Only where our own drawing matches the style's to the pixel: a plain, enabled, frameless label
// under a style that draws item text as Qt's own styles do. Anything else is left to QLabel.
bool TimeLabel::paintsLikeAPlainLabel() const
{
    const char *styleName = style()->metaObject()->className();
    return isEnabled() && frameShape() == QFrame::NoFrame && margin() == 0 && !wordWrap() &&
           textFormat() == Qt::PlainText && pixmap(Qt::ReturnByValue).isNull() &&
           (qstrcmp(styleName, "QFusionStyle") == 0 || qstrcmp(styleName, "QWindowsStyle") == 0);
}

void TimeLabel::paintEvent(QPaintEvent *event)
{
    if (fitsToLine() != m_fitted)
        fitContentsToLine(); // say, a text of more lines: all of the label again, at once
    const bool opaque = testAttribute(Qt::WA_OpaquePaintEvent);
    if (!opaque && !paintsLikeAPlainLabel()) {
        if (m_blank)
            QFrame::paintEvent(event); // the frame alone, as an empty label paints
        else
            QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (opaque) {
        paintCell(&painter);
        return;
    }
    if (!m_blank && !text().isEmpty())
        paintText(&painter);
}

void TimeLabel::setTime(const QString &text, bool repaint)
{
    setText(text); // repaints the label, unless it is covered
    if (repaint)
        repaintCell();
}

void TimeLabel::setCells(TimeCells *cells)
{
    m_cells = cells;
}

// Under the cells the label's own repaints would be for nothing: what it draws outside its cell is
// its row's face, which the row paints.
void TimeLabel::setCovered(bool covered)
{
    m_covered = covered;
    setUpdatesEnabled(!covered);
}

void TimeLabel::paintCell(QPainter *painter)
{
    const QRect area = geometry();
    const QPixmap kept = m_backdrop->keptBackdrop(area);
    if (!kept.isNull()) {
        paintOver(painter, kept);
        return;
    }
    if (!m_backdrop->paintBackdrop(painter, area)) {
        // Not this time: the widgets behind paint it from the next repaint on (and the cells
        // uncover it).
        m_backdropRefused = true;
        updateOpacity();
        update();
        return;
    }
    if (!m_blank && !text().isEmpty())
        paintText(painter);
}

// Blank: the backdrop, copied. Shown: the text drawn over it. A text shown again over the same
// backdrop (an alarm's, at each blink) is kept as a picture from then on and copied; a timer's
// changes every second and would be kept for nothing.
void TimeLabel::paintOver(QPainter *painter, const QPixmap &kept)
{
    painter->setCompositionMode(QPainter::CompositionMode_Source); // opaque: a copy, no blending
    if (m_blank || text().isEmpty()) {
        painter->drawPixmap(0, 0, kept);
        return;
    }
    const bool again = m_shownText == text() && m_shownOver == kept.cacheKey();
    if (again) {
        if (m_shown.isNull()) {
            m_shown = kept.copy();
            QPainter shown(&m_shown);
            shown.setFont(font());
            paintText(&shown);
        }
        painter->drawPixmap(0, 0, m_shown);
        return;
    }
    m_shown = QPixmap();
    m_shownText = text();
    m_shownOver = kept.cacheKey();
    painter->drawPixmap(0, 0, kept);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    paintText(painter);
}

// As QPainter::drawText places and clips a single left-to-right line in the label. A time is drawn
// from the font's table of its characters, anything else from a layout.
void TimeLabel::paintText(QPainter *painter)
{
    const QString shown = text();
    if (!m_glyphs)
        m_glyphs = TimeGlyphs::of(font());
    if (m_glyphs->canDraw(shown)) {
        const qreal width = m_glyphs->width(shown);
        m_glyphs->draw(painter, placeLine(painter, width, width, m_glyphs->height()), shown);
        return;
    }
    if (m_laidOut.isNull() || m_laidOut != shown)
        layOutText();
    if (!m_oneLine) {
        const Qt::LayoutDirection direction = shown.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
        const int flags =
            int(QStyle::visualAlignment(direction, alignment())) |
            (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
        painter->setFont(font());
        style()->drawItemText(painter, contentsRect(), flags, palette(), isEnabled(), shown,
                              foregroundRole());
        return;
    }
    const QTextLine line = m_layout.lineAt(0);
    line.draw(painter, placeLine(painter, line.naturalTextWidth(), line.horizontalAdvance(), line.height()));
}

// Where a line `width` wide (`advance` with trailing spaces) and `height` high is drawn, with the
// pen set and the clip drawText would set.
QPointF TimeLabel::placeLine(QPainter *painter, qreal width, qreal advance, qreal height) const
{
    const QRectF area = contentsRect();
    qreal xoff = 0;
    qreal drawX = 0;
    if (alignment() & Qt::AlignRight) {
        xoff = area.width() - width;
        drawX = area.width() - advance;
    } else if (alignment() & Qt::AlignHCenter) {
        xoff = (area.width() - width) / 2;
        drawX = (area.width() - advance) / 2;
    }
    qreal yoff = 0;
    if (alignment() & Qt::AlignBottom)
        yoff = area.height() - height;
    else if (alignment() & Qt::AlignVCenter)
        yoff = (area.height() - height) / 2;
    painter->setPen(QPen(palette().brush(foregroundRole()), painter->pen().widthF()));
    if (!area.contains(QRectF(area.x() + xoff, area.y() + yoff, width, height)))
        painter->setClipRect(area, Qt::IntersectClip);
    return QPointF(area.x() + drawX, area.y() + yoff);
}

void TimeLabel::layOutText()
{
    m_laidOut = text();
    // Tabs and ampersands drawText treats apart: left to it, as the text of more lines.
    m_oneLine = !m_laidOut.isRightToLeft() && !hasLineBreak(m_laidOut) &&
                !m_laidOut.contains(QLatin1Char('\t')) && !m_laidOut.contains(QLatin1Char('&'));
    m_layout.clearLayout();
    m_layout.setText(m_laidOut);
    m_layout.setFont(font());
    layOutUnwrappedLine(&m_layout);
}

void TimeLabel::resizeEvent(QResizeEvent *event)
{
    fitContentsToLine();
    QLabel::resizeEvent(event);
}

// Only the text's line changes when the label blinks or counts. The rest of a top-aligned
// one-line label is kept out of its contents, so a blink or a new text repaints, and sends to the
// display, that line alone: about half the label, and what the display takes at one go.
bool TimeLabel::fitsToLine() const
{
    return paintsLikeAPlainLabel() && !(alignment() & (Qt::AlignVCenter | Qt::AlignBottom)) &&
           !hasLineBreak(text()) && m_lineHeight < height();
}

void TimeLabel::fitContentsToLine()
{
    if (m_lineHeight < 0)
        m_lineHeight = qCeil(QFontMetricsF(font()).height());
    m_fitted = fitsToLine();
    const QMargins margins(0, 0, 0, m_fitted ? height() - m_lineHeight : 0);
    if (contentsMargins() == margins)
        return;
    setContentsMargins(margins); // repaints the whole label
    if (m_cells)
        m_cells->refreshSoon(); // the cell is the contents: it changed size
}

void TimeLabel::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        m_glyphs.reset();
        m_laidOut = QString(); // laid out and drawn again at the next paint
        m_shown = QPixmap();
        m_lineHeight = -1;
        fitContentsToLine();
        break;
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
        m_laidOut = QString();
        m_shown = QPixmap();
        m_backdropRefused = false; // another look: the owner may manage it now
        updateOpacity();
        fitContentsToLine();
        break;
    case QEvent::EnabledChange:
        updateOpacity();
        fitContentsToLine();
        break;
    case QEvent::ContentsRectChange:
        m_shown = QPixmap();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}
