// The message boxes of the desktop program: buttons in the order named.
#include "shell/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace veska {
namespace {

// Shows a box asking `buttons`, reads its buttons from left to right and
// clicks the one at `click`; returns the answer.
TMsgButton ShowAndClick(int buttons, int click, QStringList& seen)
{
  QTimer::singleShot(0, [&seen, click] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
      return;
    QList<QAbstractButton*> shown = box->buttons();
    std::sort(shown.begin(), shown.end(), [](QAbstractButton* a, QAbstractButton* b) {
      return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    for (QAbstractButton* b : shown)
      seen << b->text().remove(QLatin1Char('&'));
    shown.value(click)->click();
  });
  TMessageBoxes boxes;
  return boxes.Show(TMsgDlgType::mtConfirmation, QStringLiteral("Table T cannot be created."), buttons);
}

TEST(MessageBoxes, AFailedTableOffersAbortBeforeIgnore)
{
  QStringList seen;
  EXPECT_EQ(ShowAndClick(mbAbort | mbIgnore, 0, seen), mbAbort);
  EXPECT_EQ(seen, (QStringList{"Abort", "Ignore"}));
  seen.clear();
  EXPECT_EQ(ShowAndClick(mbAbort | mbIgnore, 1, seen), mbIgnore);
  seen.clear();
  EXPECT_EQ(ShowAndClick(mbOK, 0, seen), mbOK);
}

}  // namespace
}  // namespace veska
