#ifndef TAVREL_BUTTONFACE_H
#define TAVREL_BUTTONFACE_H

#include <QPixmap>
#include <QStyleOptionButton>

class QWidget;

// A part of a plain push button's face (no text, no icon) as its style draws it, drawn once per
// look and kept: buttons that look alike share one picture. Only for styles known to draw a
// button from its option alone, without animations, and without a focus frame (drawn straight
// onto the window, it would blend differently from a picture).
namespace ButtonFace {

// The face of `button` in `option`'s look within `area` (the button's coordinates), when every
// pixel of it is opaque there, so what lies behind the button does not show; a null pixmap when
// it is not, or when the face cannot come from a kept picture.
QPixmap opaqueWithin(const QWidget *button, const QStyleOptionButton &option, const QRect &area);

} // namespace ButtonFace

#endif // TAVREL_BUTTONFACE_H
