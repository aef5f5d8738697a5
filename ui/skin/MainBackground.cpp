#include <QPainter>

#include "messages/MessageTable.h"
#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinLabels.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"

namespace plimo::skin {

namespace {

namespace t = tmpl::main_window;

constexpr qreal kTitleHeight = 28;      // px
constexpr qreal kPanelMargin = 6;       // px around the controls of a group
constexpr qreal kLabelGap = 4;          // px between a control and its label
constexpr qreal kComboHeight = 22;      // px of the closed preset list
constexpr qreal kModeLabelShare = 0.4;  // of the width: the mode labels' click zone
constexpr qreal kKindLabelShare = 0.2;  // of the width: the speaker labels' click zone

QRectF Grown(const QRect& rect, qreal margin) {
  return QRectF(rect).adjusted(-margin, -margin, margin, margin);
}

// The label to the right of a radio button, within the zone that clicks it.
QRectF LabelRightOf(const tmpl::Control& control, qreal zone) {
  const QRectF box(control.Rect());
  return QRectF(box.right() + kLabelGap, box.top() - 2, zone - kLabelGap, box.height() + 4);
}

}  // namespace

void PaintMainBackground(QPainter& painter, QSizeF size) {
  PaintWindowFace(painter, size, kMainFace);
  PaintTitleBand(painter, size.width(), kTitleHeight, QString::fromLatin1(kWindowTitle));

  // Transport buttons.
  PaintPanel(painter, Grown(t::kRecord.Rect().united(t::kHelp.Rect()), kPanelMargin), kMainPanel);

  // The display slot where the level meter and the progress bar appear.
  PaintInset(painter, Grown(t::kProgressBar.Rect().united(t::kLevelMeter.Rect()), 2));

  // Target voice, to the right of its list.
  const QRect list = t::kPresetList.Rect();
  PaintLabel(painter,
             QRectF(list.right() + kLabelGap * 2, list.top(), size.width() - list.right() - 20, kComboHeight),
             LocalText(kLabelTargetVoice), Qt::AlignLeft | Qt::AlignVCenter, true);

  // Run mode.
  const qreal width = size.width();
  const QRectF modes = Grown(t::kRealTime.Rect().united(t::kFileMode.Rect()), kPanelMargin);
  PaintPanel(painter, QRectF(10, modes.top(), width - 20, modes.height()), kMainPanel);
  PaintLabel(painter, LabelRightOf(t::kRealTime, static_cast<int>(kModeLabelShare * width) - 20),
             LocalText(kLabelRealTime));
  PaintLabel(painter,
             QRectF(LabelRightOf(t::kFileMode, 0).left(), modes.top(),
                    width - 14 - LabelRightOf(t::kFileMode, 0).left(), modes.height()),
             LocalText(kLabelFileMode));

  // The speaker's own voice.
  const QRectF kinds = Grown(t::kWoman.Rect().united(t::kChild.Rect()), kPanelMargin);
  const QRectF kindPanel(10, kinds.top() - 26, width - 20, kinds.height() + 26);
  PaintPanel(painter, kindPanel, kMainPanel);
  PaintLabel(painter, QRectF(kindPanel.left(), kindPanel.top() + 3, kindPanel.width(), 18),
             LocalText(kLabelYourVoice), Qt::AlignCenter, true);
  const int kindZone = static_cast<int>(kKindLabelShare * width);
  PaintLabel(painter, LabelRightOf(t::kWoman, kindZone), LocalText(kLabelWoman));
  PaintLabel(painter, LabelRightOf(t::kMan, kindZone), LocalText(kLabelMan));
  PaintLabel(painter, LabelRightOf(t::kChild, kindZone), LocalText(kLabelChild));

  // A live run's outputs, labelled as the run modes are.
  const QRectF outputs = Grown(t::kSendToMicrophone.Rect().united(t::kHearMyself.Rect()), kPanelMargin);
  PaintPanel(painter, QRectF(10, outputs.top(), width - 20, outputs.height()), kMainPanel);
  PaintLabel(painter,
             LabelRightOf(t::kSendToMicrophone,
                          t::kHearMyself.Rect().left() - t::kSendToMicrophone.Rect().left() - 6),
             LocalText(kTextSendToMicrophone));
  PaintLabel(painter, LabelRightOf(t::kHearMyself, width - 14 - t::kHearMyself.Rect().left()),
             LocalText(kTextHearMyself));

  // Files.
  const QRectF files = Grown(t::kWorkingFolder.Rect().united(t::kBrowseOutput.Rect()), kPanelMargin);
  PaintPanel(painter, QRectF(10, files.top(), width - 20, files.height()), kMainPanel);
  const auto fileLabel = [&](const tmpl::Control& edit, const MessagePair& text) {
    const QRect box = edit.Rect();
    PaintLabel(painter, QRectF(16, box.top(), box.left() - 16 - kLabelGap, box.height()), LocalText(text));
  };
  fileLabel(t::kWorkingFolder, kLabelWorkingFolder);
  fileLabel(t::kInputFile, kLabelInputFile);
  fileLabel(t::kOutputFile, kLabelOutputFile);

  // A quiet voice line between the two bottom buttons.
  const QRect settings = t::kSettings.Rect();
  const QRect exit = t::kExit.Rect();
  PaintVoiceWave(painter,
                 QRectF(settings.right() + 24, settings.top() + 2, exit.left() - settings.right() - 48,
                        settings.height() - 4),
                 kPanelEdge, 1.5);
}

}  // namespace plimo::skin
