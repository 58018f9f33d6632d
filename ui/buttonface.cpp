#include "ui/buttonface.h"

#include <QCoreApplication>
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

struct Kept
{
    Look look;
    QPixmap picture; // null: the face is not opaque all over the area
};

QList<Kept> &kept()
{
    static QList<Kept> pictures;
    static const bool clearedAtExit = [] {
        qAddPostRoutine([] { pictures.clear(); }); // pictures go before the application does
        return true;
    }();
    Q_UNUSED(clearedAtExit)
    return pictures;
}

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
    QList<Kept> &pictures = kept();
    for (int i = 0; i < pictures.size(); ++i) {
        if (pictures.at(i).look == look) {
            pictures.move(i, 0);
            return pictures.first().picture;
        }
    }
    pictures.prepend({look, draw(button, option, area, look.pixelRatio)});
    if (pictures.size() > kLooksKept)
        pictures.removeLast();
    return pictures.first().picture;
}

} // namespace ButtonFace
