#include "ui/skin/SkinText.h"

#include <QFontMetricsF>
#include <QPainter>

namespace plimo::skin {

namespace {
constexpr int kSmallestPixelSize = 7;  // px; below this the text is elided
}  // namespace

QFont SkinFont(int pixelSize, bool bold) {
  QFont font;
  font.setFamilies(
      {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Sans Serif")});
  font.setPixelSize(qMax(1, pixelSize));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

void DrawFittedText(QPainter& painter, const QRectF& rect, const QString& text, Qt::Alignment alignment,
                    int pixelSize, bool bold) {
  int size = pixelSize;
  QFont font = SkinFont(size, bold);
  while (size > kSmallestPixelSize && QFontMetricsF(font).horizontalAdvance(text) > rect.width()) {
    --size;
    font = SkinFont(size, bold);
  }
  painter.setFont(font);
  const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
  painter.drawText(rect, static_cast<int>(alignment | Qt::TextSingleLine), shown);
}

}  // namespace plimo::skin
