#include "ui/buttonface.h"

#include <QCoreApplication>
#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace ButtonFace {

namespace {

const int kLooksKept = 4;

// What the face depends on: the style draws the same picture for the same look.
struct Look
{
    QStyle::State state;
    QStyleOptionButton::ButtonFeatures features;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    qint64 paletteKey = 0;
    QSize size;
    qreal pixelRatio = 1;
    const QStyle *style = nullptr;

    bool operator==(const Look &o) const
    {
        return state == o.state && features == o.features && direction == o.direction &&
               paletteKey == o.paletteKey && size == o.size && pixelRatio == o.pixelRatio && style == o.style;
    }
};

struct Kept
{
    Look look;
    QPixmap face;
    QRect checkedArea; // the last area asked about, and whether the face is opaque all over it
    bool opaqueInArea = false;
};

QList<Kept> &kept()
{
    static QList<Kept> faces;
    static const bool clearedAtExit = [] {
        qAddPostRoutine([] { faces.clear(); }); // pictures go before the application does
        return true;
    }();
    Q_UNUSED(clearedAtExit)
    return faces;
}

Look lookOf(const QWidget *button, const QStyleOptionButton &option)
{
    return {option.state,       option.features,
            option.direction,   option.palette.cacheKey(),
            option.rect.size(), button->devicePixelRatioF(),
            button->style()};
}

bool plainStyle(const QStyle *style)
{
    const char *name = style->metaObject()->className();
    return qstrcmp(name, "QFusionStyle") == 0 || qstrcmp(name, "QWindowsStyle") == 0;
}

} // namespace

bool isKept(const QWidget *button, const QStyleOptionButton &option)
{
    // A focus frame is drawn straight onto the window and would blend differently from a picture.
    return option.text.isEmpty() && option.icon.isNull() && !(option.state & QStyle::State_HasFocus) &&
           option.rect.topLeft() == QPoint(0, 0) && plainStyle(button->style());
}

QPixmap face(const QWidget *button, const QStyleOptionButton &option)
{
    QList<Kept> &faces = kept();
    const Look look = lookOf(button, option);
    for (int i = 0; i < faces.size(); ++i) {
        if (faces.at(i).look == look) {
            faces.move(i, 0);
            return faces.first().face;
        }
    }
    QPixmap drawn(look.size * look.pixelRatio);
    drawn.setDevicePixelRatio(look.pixelRatio);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    button->style()->drawControl(QStyle::CE_PushButton, &option, &painter, button);
    painter.end();
    faces.prepend({look, drawn, QRect(), false});
    if (faces.size() > kLooksKept)
        faces.removeLast();
    return drawn;
}

bool isOpaqueWithin(const QPixmap &face, const QRect &area)
{
    for (Kept &k : kept()) {
        if (k.face.cacheKey() != face.cacheKey())
            continue;
        if (k.checkedArea == area)
            return k.opaqueInArea;
        const qreal ratio = face.devicePixelRatio();
        const QRect pixels(area.topLeft() * ratio, area.size() * ratio);
        const QImage image = face.toImage().convertToFormat(QImage::Format_ARGB32);
        bool opaque = image.rect().contains(pixels);
        for (int y = pixels.top(); opaque && y <= pixels.bottom(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = pixels.left(); opaque && x <= pixels.right(); ++x)
                opaque = qAlpha(line[x]) == 255;
        }
        k.checkedArea = area;
        k.opaqueInArea = opaque;
        return opaque;
    }
    return false;
}

} // namespace ButtonFace
