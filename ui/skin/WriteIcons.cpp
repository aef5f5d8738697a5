// Writes the program's icon as PNG files in the layout of a desktop icon
// theme: OUTDIR/NxN/apps/plimo.png for each size.

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

#include "ui/skin/Skin.h"

namespace {
constexpr int kThemeSides[] = {16, 32, 48, 64, 128, 256};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: plimo-skin-icons OUTDIR\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int side : kThemeSides) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(side);
    if (!QDir().mkpath(folder) ||
        !plimo::skin::RenderIcon(side).save(folder + QStringLiteral("/plimo.png"))) {
      std::fprintf(stderr, "plimo-skin-icons: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
