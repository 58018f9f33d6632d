#include "ui/buttonface.h"

#include "ui/recentlykept.h"

#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace ButtonFace {

namespace {

const int kLooksKept = 4;

// What the picture depends on: the style draws the same face for the same look.
struct Look
{
    QStyle::State state;
    QStyleOptionButton::ButtonFeatures features;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    qint64 paletteKey = 0;
    QSize size;
    QRect area;
    qreal pixelRatio = 1;
    const QStyle *style = nullptr;

    bool operator==(const Look &o) const
    {
        return state == o.state && features == o.features && direction == o.direction &&
               paletteKey == o.paletteKey && size == o.size && area == o.area && pixelRatio == o.pixelRatio &&
               style == o.style;
    }
};

bool plainStyle(const QStyle *style)
{
    const char *name = style->metaObject()->className();
    return qstrcmp(name, "QFusionStyle") == 0 || qstrcmp(name, "QWindowsStyle") == 0;
}

bool isOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

QPixmap draw(const QWidget *button, const QStyleOptionButton &option, const QRect &area, qreal ratio)
{
    QPixmap picture(area.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.translate(-area.topLeft());
    button->style()->drawControl(QStyle::CE_PushButton, &option, &painter, button);
    painter.end();
    // Opaque, it is kept without its alpha channel, as the window is: text drawn over it then
    // blends as it does on the window (subpixel text is drawn only on opaque pictures).
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    if (!isOpaque(image))
        return QPixmap();
    image = image.convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap opaqueWithin(const QWidget *button, const QStyleOptionButton &option, const QRect &area)
{
    if (!option.text.isEmpty() || !option.icon.isNull() || (option.state & QStyle::State_HasFocus) ||
        !plainStyle(button->style()) || area.isEmpty())
        return QPixmap();
    const Look look{option.state,
                    option.features,
                    option.direction,
                    option.palette.cacheKey(),
                    option.rect.size(),
                    area,
                    button->devicePixelRatioF(),
                    button->style()};
    // A null picture is kept too: the face is not opaque all over the area in that look.
    return recentlyKept<kLooksKept>(look,
                                    [&](const Look &l) { return draw(button, option, area, l.pixelRatio); });
}

} // namespace ButtonFace
