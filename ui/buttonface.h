#ifndef TAVREL_BUTTONFACE_H
#define TAVREL_BUTTONFACE_H

#include <QPixmap>
#include <QStyleOptionButton>

class QWidget;

// A plain push button's face (no text, no icon) as its style draws it, drawn once per look and
// kept: buttons that look alike share one picture. Only for styles known to draw a button from
// its option alone, without animations.
namespace ButtonFace {

// Whether the face of `button` in `option`'s look can come from a kept picture.
bool isKept(const QWidget *button, const QStyleOptionButton &option);

// The face, drawn by the button's style into a transparent picture the button's size.
QPixmap face(const QWidget *button, const QStyleOptionButton &option);

// Whether every pixel of `face` within `area` (the button's coordinates) is opaque, so what lies
// behind the button does not show there.
bool isOpaqueWithin(const QPixmap &face, const QRect &area);

} // namespace ButtonFace

#endif // TAVREL_BUTTONFACE_H
