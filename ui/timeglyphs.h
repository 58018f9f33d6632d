#ifndef TAVREL_TIMEGLYPHS_H
#define TAVREL_TIMEGLYPHS_H

#include <QRawFont>
#include <QString>

#include <array>
#include <memory>

class QFont;
class QPainter;
class QPointF;
class QTextLayout;

// Lays the layout's text out as drawText lays out a single line that does not wrap: left to right,
// from the left, at the layout's top left.
void layOutUnwrappedLine(QTextLayout *layout);

// The characters a time is written with ("0" to "9" and ":") as one font draws them, when it draws
// them one glyph each, side by side, whatever their neighbours. A time is then drawn from this
// table to the same pixels as a layout of it, without laying it out anew each second.
class TimeGlyphs
{
public:
    // Learnt from a layout of every pair of the characters; not usable when the font kerns, joins
    // or substitutes any of them.
    explicit TimeGlyphs(const QFont &font);
    // The table of `font`, shared by all labels in it: learnt once, not by each label.
    static std::shared_ptr<const TimeGlyphs> of(const QFont &font);

    bool canDraw(const QString &text) const;
    qreal width(const QString &text) const;
    qreal height() const { return m_height; }
    // Draws `text` as the line of a layout drawn with its top left at `origin`.
    void draw(QPainter *painter, const QPointF &origin, const QString &text) const;

private:
    static const int kCount = 11;
    static int indexOf(QChar c);

    bool m_usable = false;
    QRawFont m_font;
    std::array<quint32, kCount> m_glyph{};
    std::array<qreal, kCount> m_advance{};
    qreal m_ascent = 0;
    qreal m_height = 0;
};

#endif // TAVREL_TIMEGLYPHS_H
