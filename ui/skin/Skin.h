#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

class QPainter;
class QRect;

// Every bitmap of the program, drawn on demand in the current language at
// the device pixel ratio of the screen it is shown on.
namespace plimo::skin {

// The bitmap's size in logical pixels; empty for an unknown resource.
QSize BitmapSize(int bitmapId);

// Draws the bitmap at the given device pixel ratio: an image of
// BitmapSize * ratio device pixels. A null image for an unknown resource.
QImage RenderBitmap(int bitmapId, qreal devicePixelRatio);

// The bitmap as a pixmap, drawn once per resource and ratio and kept.
// User-interface thread only.
QPixmap Bitmap(int bitmapId, qreal devicePixelRatio);

// Paints a bitmap into target: stretched over the whole rectangle, or
// copied one to one from the bitmap's origin and clipped to the rectangle.
void DrawBitmap(QPainter& painter, const QPixmap& bitmap, const QRect& target, bool stretch);

// The program's icon at square sizes from 16 to 256 pixels.
QIcon ApplicationIcon();

// The icon alone at side x side pixels; needs no application object, so a
// build step can write it to a file.
QImage RenderIcon(int side);

}  // namespace plimo::skin
