#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include "messages/MessageTable.h"
#include "ui/controls/BitmapButton.h"
#include "ui/skin/Templates.h"
#include "ui/support/Language.h"
#include "ui/support/ModalAnswerer.h"
#include "ui/windows/MessageBox.h"

namespace plimo {
namespace {

namespace t = tmpl::message;

struct Seen {
  bool okVisible = false;
  bool cancelVisible = false;
  bool cancelEnabled = false;
  QRect ok;
};

Seen Look(QWidget& box) {
  Seen seen;
  auto* ok = box.findChild<BitmapButton*>(QStringLiteral("1"));
  auto* cancel = box.findChild<BitmapButton*>(QStringLiteral("2"));
  seen.okVisible = ok->isVisible();
  seen.cancelVisible = cancel->isVisible();
  seen.cancelEnabled = cancel->isEnabled();
  seen.ok = ok->geometry();
  return seen;
}

TEST(MessageBox, PlainBoxShowsOneOkBetweenTheTwoButtonPlacesAndAnswersOk) {
  test::ModalAnswerer answerer;
  Seen seen;
  answerer.InspectWith([&](QWidget& box) { seen = Look(box); });
  answerer.ScreenshotNextAs(QStringLiteral("message-box"));
  myMessageBox messages;
  EXPECT_EQ(messages.ShowMessage(kMessageNoInputFile, kMessageTypeOk), kMessageAnswerOk);

  ASSERT_EQ(answerer.Texts().size(), 1);
  EXPECT_EQ(answerer.Texts()[0], test::InLanguage("Please select or record\n input wav file!",
                                                  "Lütfen girdi wav dosyasını seçin\n ya da kaydedin!"));
  EXPECT_TRUE(seen.okVisible);
  EXPECT_FALSE(seen.cancelVisible);
  EXPECT_FALSE(seen.cancelEnabled);
  const QRect ok = t::kOk.Rect();
  const QRect cancel = t::kCancel.Rect();
  EXPECT_EQ(seen.ok.left(), (ok.left() + cancel.left()) / 2);
  EXPECT_EQ(seen.ok.right(), (ok.right() + cancel.right()) / 2);
  EXPECT_EQ(seen.ok.top(), ok.top());
}

TEST(MessageBox, TypesOneAndThirtyThreeOfferCancel) {
  for (int type : {kMessageTypeOkCancel, kMessageTypeOkCancelAlso}) {
    test::ModalAnswerer cancelling(QStringLiteral("2"));
    Seen seen;
    cancelling.InspectWith([&](QWidget& box) { seen = Look(box); });
    myMessageBox messages;
    EXPECT_EQ(messages.Show(QStringLiteral("Replace?"), type), kMessageAnswerNotOk) << type;
    EXPECT_TRUE(seen.cancelVisible) << type;
    EXPECT_EQ(seen.ok.topLeft(), t::kOk.Rect().topLeft()) << type;
  }
  test::ModalAnswerer confirming;
  myMessageBox messages;
  EXPECT_EQ(messages.Show(QStringLiteral("Replace?"), kMessageTypeOkCancel), kMessageAnswerOk);
}

TEST(MessageBox, UnknownTypesShowOnlyOk) {
  test::ModalAnswerer answerer;
  Seen seen;
  answerer.InspectWith([&](QWidget& box) { seen = Look(box); });
  myMessageBox messages;
  EXPECT_EQ(messages.Show(QStringLiteral("x"), 7), kMessageAnswerOk);
  EXPECT_FALSE(seen.cancelVisible);
}

TEST(MessageBox, EnterPressesTheFocusedButtonAndEscapeCancelsOrClosesAsOk) {
  struct Case {
    int type;
    QList<Qt::Key> keys;
    QDialog::DialogCode answer;
  };
  const Case cases[] = {
      {kMessageTypeOk, {Qt::Key_Return}, QDialog::Accepted},
      {kMessageTypeOk, {Qt::Key_Escape}, QDialog::Accepted},
      {kMessageTypeOkCancel, {Qt::Key_Enter}, QDialog::Accepted},
      {kMessageTypeOkCancel, {Qt::Key_Tab, Qt::Key_Return}, QDialog::Rejected},
      {kMessageTypeOkCancelAlso, {Qt::Key_Escape}, QDialog::Rejected},
  };
  for (const Case& c : cases) {
    MessageDialog box(QStringLiteral("Replace?"), c.type, nullptr);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    for (Qt::Key key : c.keys) QTest::keyClick(box.focusWidget(), key);
    EXPECT_FALSE(box.isVisible()) << c.type << " " << c.keys.last();
    EXPECT_EQ(box.result(), c.answer) << c.type << " " << c.keys.last();
  }
}

TEST(MessageBox, SelfClosingBoxClosesAfterTenSecondsAsIfOk) {
  myMessageBox messages;
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(messages.Show(QStringLiteral("Saved."), kMessageTypeSelfClosing), kMessageAnswerOk);
  const qint64 elapsed = clock.elapsed();
  EXPECT_GE(elapsed, 9900);
  EXPECT_LT(elapsed, 30000);
}

}  // namespace
}  // namespace plimo
