#include <QPainter>
#include <utility>

#include "ui/skin/Painters.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinLabels.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"

namespace plimo::skin {

namespace {

namespace t = tmpl::settings;

constexpr qreal kTitleHeight = 24;    // px
constexpr qreal kLabelGap = 3;        // px between a control and its label
constexpr qreal kLabelHeight = 15;    // px
constexpr qreal kBoxLabelWidth = 58;  // px to the right of a check box
constexpr int kSmallPixelSize = 9;    // px of the band and scale marks

// Band labels under the band sliders, in kHz.
constexpr const char* kBandMarks[t::kBandCount] = {"0.1", "0.2", "0.3", "0.6", "1",
                                                   "3",   "5",   "8",   "12",  "17"};

// Above the slider, clear of the robot switch that sits beside the upper
// sliders' tops.
void LabelAbove(QPainter& painter, const tmpl::Control& slider, const MessagePair& text) {
  const QRectF box(slider.Rect());
  constexpr qreal kWidth = 62;  // px, centred on the slider
  constexpr qreal kRise = 22;   // px above the slider's top
  PaintLabel(painter,
             QRectF(box.center().x() - kWidth / 2, box.top() - kLabelHeight - kRise, kWidth, kLabelHeight),
             LocalText(text), Qt::AlignCenter, true);
}

void LabelRightOf(QPainter& painter, const tmpl::Control& box, const MessagePair& text, qreal width) {
  const QRectF rect(box.Rect());
  PaintLabel(painter,
             QRectF(rect.right() + kLabelGap, rect.center().y() - kLabelHeight / 2, width, kLabelHeight),
             LocalText(text));
}

void SmallMark(QPainter& painter, const QRectF& rect, const QString& text, Qt::Alignment alignment) {
  painter.setPen(kTextColour);
  DrawFittedText(painter, rect, text, alignment, kSmallPixelSize);
}

}  // namespace

void PaintSettingsBackground(QPainter& painter, QSizeF size) {
  const qreal width = size.width();
  PaintWindowFace(painter, size, kToolFace);
  PaintTitleBand(painter, width, kTitleHeight, LocalText(kLabelSettings));

  // Voice: the four upper sliders with their displays.
  const qreal voiceTop = kTitleHeight + 6;
  const qreal voiceBottom = t::kPitchDisplay.Rect().bottom() + 6;
  PaintPanel(painter, QRectF(8, voiceTop, width - 16, voiceBottom - voiceTop), kToolPanel);
  LabelAbove(painter, t::kPitch, kLabelPitch);
  LabelAbove(painter, t::kDuration, kLabelDuration);
  LabelAbove(painter, t::kVocalTract, kLabelVocalTract);
  LabelRightOf(painter, t::kRobotBox, kLabelRobot, width - t::kRobotBox.Rect().right() - 14);

  // Effects: two rows of switches with their sliders, and the sampling rate.
  const qreal effectsTop = t::kReverbBox.Rect().top() - 24;
  const qreal effectsBottom = t::kGating.Rect().bottom() + 6;
  PaintPanel(painter, QRectF(8, effectsTop, width - 16, effectsBottom - effectsTop), kToolPanel);
  PaintLabel(painter, QRectF(16, effectsTop + 2, 120, kLabelHeight), LocalText(kLabelEffects),
             Qt::AlignLeft | Qt::AlignVCenter, true);
  LabelRightOf(painter, t::kReverbBox, kLabelReverb, kBoxLabelWidth);
  LabelRightOf(painter, t::kWhisperBox, kLabelWhisper, kBoxLabelWidth);
  LabelRightOf(painter, t::kChorusBox, kLabelChorus, kBoxLabelWidth);
  LabelRightOf(painter, t::kExpanderBox, kLabelExpander, kBoxLabelWidth);
  LabelRightOf(painter, t::kCompressorBox, kLabelCompressor, kBoxLabelWidth);
  // The gater's switch follows the limiter's label closely.
  LabelRightOf(painter, t::kLimiterBox, kLabelLimiter,
               t::kGaterBox.Rect().left() - t::kLimiterBox.Rect().right() - 2 * kLabelGap - 1);
  LabelRightOf(painter, t::kGaterBox, kLabelGater, width - t::kGaterBox.Rect().right() - 14);
  const QRect rate = t::kSamplingRate.Rect();
  PaintLabel(
      painter,
      QRectF(rate.left() - 4, rate.top() - kLabelHeight - kLabelGap, width - rate.left() - 8, kLabelHeight),
      LocalText(kLabelSamplingRate), Qt::AlignLeft | Qt::AlignVCenter);

  // Equaliser: ten bands with their frequencies and the gain scale.
  const QRect firstBand = t::kBands[0].Rect();
  const qreal eqTop = firstBand.top() - 22;
  const qreal eqBottom = firstBand.bottom() + 18;
  PaintPanel(painter, QRectF(8, eqTop, width - 16, eqBottom - eqTop), kToolPanel);
  PaintLabel(painter, QRectF(16, eqTop + 2, width - 32, kLabelHeight), LocalText(kLabelEqualiser),
             Qt::AlignLeft | Qt::AlignVCenter, true);
  for (int band = 0; band < t::kBandCount; ++band) {
    const QRectF slider(t::kBands[band].Rect());
    SmallMark(painter, QRectF(slider.center().x() - 12, slider.bottom() + 2, 24, 12),
              QString::fromLatin1(kBandMarks[band]), Qt::AlignCenter);
  }
  const qreal scaleRight = firstBand.left() - 6;
  SmallMark(painter, QRectF(12, firstBand.top() - 2, scaleRight - 12, 12), QStringLiteral("+20 dB"),
            Qt::AlignRight | Qt::AlignVCenter);
  SmallMark(painter, QRectF(12, firstBand.center().y() - 6, scaleRight - 12, 12), QStringLiteral("0"),
            Qt::AlignRight | Qt::AlignVCenter);
  SmallMark(painter, QRectF(12, firstBand.bottom() - 10, scaleRight - 12, 12), QStringLiteral("-20"),
            Qt::AlignRight | Qt::AlignVCenter);

  // The sound devices: a list each for the microphone and the speaker.
  const qreal devicesTop = eqBottom + 3;
  const QRectF speakerList(t::kSpeakerDevice.Rect());
  const qreal devicesBottom = speakerList.bottom() + 6;
  PaintPanel(painter, QRectF(8, devicesTop, width - 16, devicesBottom - devicesTop), kToolPanel);
  PaintLabel(painter, QRectF(16, devicesTop + 2, width - 32, kLabelHeight), LocalText(kLabelDevices),
             Qt::AlignLeft | Qt::AlignVCenter, true);
  for (const auto& [list, label] : {std::pair{&t::kMicrophoneDevice, &kLabelMicrophoneDevice},
                                    std::pair{&t::kSpeakerDevice, &kLabelSpeakerDevice}}) {
    const QRectF rect(list->Rect());
    PaintLabel(painter, QRectF(16, rect.center().y() - kLabelHeight / 2, rect.left() - 16 - kLabelGap, kLabelHeight),
               LocalText(*label));
  }

  // The live run's delay: two choices side by side.
  const QRectF standard(t::kStandardDelay.Rect());
  const qreal delayTop = devicesBottom + 3;
  PaintPanel(painter, QRectF(8, delayTop, width - 16, standard.bottom() + 6 - delayTop), kToolPanel);
  PaintLabel(painter, QRectF(16, delayTop + 2, width - 32, kLabelHeight), LocalText(kLabelLiveDelay),
             Qt::AlignLeft | Qt::AlignVCenter, true);
  LabelRightOf(painter, t::kStandardDelay, kLabelStandardDelay,
               t::kLowDelay.Rect().left() - standard.right() - 2 * kLabelGap);
  LabelRightOf(painter, t::kLowDelay, kLabelLowDelay, width - t::kLowDelay.Rect().right() - 14);
}

}  // namespace plimo::skin
