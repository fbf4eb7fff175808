#pragma once
// A build dialog (database or application) on a surface with recorded
// messages, shown and driven as the user drives it: OK and the filter
// button with the choose-objects dialog answered by the case.

#include "dialogs/FilterDlg.h"
#include "surface/SurfaceFixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace veska::test {

template <class TDialog>
class BuildDialogTest : public SurfaceTest {
protected:
  QTemporaryDir Dir;
  std::unique_ptr<TDialog> Dlg;

  void TearDown() override
  {
    Dlg.reset();
    SurfaceTest::TearDown();
  }

  // Gives the dialog the surface and shows it, as the main window does.
  void ShowOnSurface()
  {
    Dlg->SetDrawingSurface(&S);
    Dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg.get()));
  }
  void ClickOK() { QTest::mouseClick(Dlg->OKBtn, Qt::LeftButton); }
  // Clicks the filter button; the choose-objects dialog is answered by `answer`.
  void Filter(const std::function<void(TFilterDlg*)>& answer)
  {
    QTimer::singleShot(0, [&] {
      auto* filter = qobject_cast<TFilterDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(filter, nullptr);
      answer(filter);
    });
    QTest::mouseClick(Dlg->FilterButton, Qt::LeftButton);
  }
  QString Caption() const { return Dlg->FilterButton->text(); }
};

}  // namespace veska::test
