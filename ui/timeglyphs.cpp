#include "ui/timeglyphs.h"

#include "ui/recentlykept.h"

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

namespace {
const QLatin1String kCharacters("0123456789:");
// drawText lays a single line out this wide when it does not wrap: wide enough for any text.
const qreal kUnwrappedWidth = 0x01000000;
const int kFontsKept = 4;

// Each ordered pair of the characters side by side once, so kerning between any two shows.
QString everyPair()
{
    QString text;
    for (QChar first : kCharacters) {
        for (QChar second : kCharacters)
            text.append(first).append(second);
    }
    return text;
}
} // namespace

void layOutUnwrappedLine(QTextLayout *layout)
{
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft); // the line is placed by hand, as drawText does
    layout->setTextOption(option);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(kUnwrappedWidth);
    line.setPosition(QPointF(0, 0));
    layout->endLayout();
}

int TimeGlyphs::indexOf(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    return c == QLatin1Char(':') ? 10 : -1;
}

TimeGlyphs::TimeGlyphs(const QFont &font)
{
    const QString sample = everyPair();
    QTextLayout layout(sample, font);
    layOutUnwrappedLine(&layout);
    const QTextLine line = layout.lineAt(0);
    const QList<QGlyphRun> runs = line.glyphRuns();
    if (runs.size() != 1)
        return;
    const QVector<quint32> glyphs = runs.first().glyphIndexes();
    const QVector<QPointF> positions = runs.first().positions();
    if (glyphs.size() != sample.size() || positions.size() != sample.size() || positions.first().x() != 0)
        return;
    std::array<bool, kCount> seen{};
    for (int i = 0; i < sample.size(); ++i) {
        const int c = indexOf(sample.at(i));
        const qreal next = i + 1 < sample.size() ? positions.at(i + 1).x() : line.naturalTextWidth();
        const qreal advance = next - positions.at(i).x();
        if (positions.at(i).y() != positions.first().y())
            return;
        if (seen[c] && (m_glyph[c] != glyphs.at(i) || m_advance[c] != advance))
            return; // drawn differently beside another character
        seen[c] = true;
        m_glyph[c] = glyphs.at(i);
        m_advance[c] = advance;
    }
    m_font = runs.first().rawFont();
    m_ascent = positions.first().y();
    m_height = line.height();
    m_usable = true;
}

std::shared_ptr<const TimeGlyphs> TimeGlyphs::of(const QFont &font)
{
    return recentlyKept<kFontsKept>(font, [](const QFont &f) {
        return std::shared_ptr<const TimeGlyphs>(std::make_shared<TimeGlyphs>(f));
    });
}

bool TimeGlyphs::canDraw(const QString &text) const
{
    return m_usable && !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return indexOf(c) >= 0; });
}

qreal TimeGlyphs::width(const QString &text) const
{
    qreal width = 0;
    for (QChar c : text)
        width += m_advance[indexOf(c)];
    return width;
}

void TimeGlyphs::draw(QPainter *painter, const QPointF &origin, const QString &text) const
{
    QVector<quint32> glyphs(text.size());
    QVector<QPointF> positions(text.size());
    qreal x = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int c = indexOf(text.at(i));
        glyphs[i] = m_glyph[c];
        positions[i] = QPointF(x, m_ascent);
        x += m_advance[c];
    }
    QGlyphRun run;
    run.setRawFont(m_font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter->drawGlyphRun(origin, run);
}
