#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include "messages/MessagePair.h"

class QPainter;

namespace plimo {

// The member of the pair in the language the program was built with.
inline QString LocalText(const MessagePair& pair) { return QString::fromUtf8(ChooseText(pair)); }

namespace skin {

// The one typeface of the program at a size in logical pixels, so that
// texts keep their size at every device pixel ratio.
QFont SkinFont(int pixelSize, bool bold = false);

// Draws text inside rect with the given alignment, shrinking the font from
// pixelSize until the text fits on one line (never below a legible
// minimum, where it is elided), so that the longer Turkish labels fit the
// same places as the English ones.
void DrawFittedText(QPainter& painter, const QRectF& rect, const QString& text, Qt::Alignment alignment,
                    int pixelSize, bool bold = false);

}  // namespace skin
}  // namespace plimo
