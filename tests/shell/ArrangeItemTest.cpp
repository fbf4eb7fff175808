// Options, Arrange and the surface pop-up's Arrange: the diagram laid out as
// one step that Undo takes back, the selection alone when there is one.
#include "MainWindowFixture.h"
#include "model/Integrity.h"

namespace veska {
namespace {

using TPlaces = QList<QPair<QString, QPoint>>;

class ArrangeItemTest : public test::MainWindowTest {
protected:
  TPlaces Places() const
  {
    TPlaces at;
    for (const TEntity* e : Surface().Entities)
      at << qMakePair(e->EntityName(), QPoint(e->Left, e->Top));
    return at;
  }
  bool AnyOverlap() const
  {
    const auto& list = Surface().Entities;
    for (int i = 0; i < list.Count(); ++i)
      for (int j = i + 1; j < list.Count(); ++j)
        if (list.Objects(i)->BoundsRect().intersects(list.Objects(j)->BoundsRect()))
          return true;
    return false;
  }
};

TEST_F(ArrangeItemTest, TheMenuItemArrangesTheWholeDiagramAndUndoPutsItBack)
{
  QAction* item = Item("ArrangeItem");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
  EXPECT_EQ(item->statusTip(), QStringLiteral("Lay out the diagram automatically"));

  Window->Document().Open(QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd"));
  ASSERT_GT(Surface().Entities.Count(), 1);
  const TPlaces before = Places();
  Window->ScrollBox1->verticalScrollBar()->setValue(Window->ScrollBox1->verticalScrollBar()->maximum());
  item->trigger();
  EXPECT_NE(Places(), before);
  EXPECT_FALSE(AnyOverlap());
  EXPECT_EQ(CheckIntegrity(Surface()), QStringList());
  // The view holds the surface, shown from its top left corner.
  EXPECT_EQ(View().size(), QSize(Surface().Width, Surface().Height));
  EXPECT_EQ(Window->ScrollBox1->verticalScrollBar()->value(), 0);
  EXPECT_EQ(Window->ScrollBox1->horizontalScrollBar()->value(), 0);

  Item("UndoItem")->trigger();
  EXPECT_EQ(Places(), before);
}

TEST_F(ArrangeItemTest, ThePopupItemArrangesTheSelectionOnlyAndUndoPutsItBack)
{
  TEntity* a = DrawEntity(QPoint(40, 40));
  TEntity* b = DrawEntity(QPoint(300, 40));
  TEntity* c = DrawEntity(QPoint(40, 300));
  ASSERT_TRUE(a && b && c);
  a->SetSelected(true);
  c->SetSelected(true);
  const TPlaces before = Places();

  Send(QEvent::MouseButtonPress, QPoint(600, 500), Qt::RightButton, Qt::RightButton);
  Send(QEvent::MouseButtonRelease, QPoint(600, 500), Qt::RightButton, Qt::NoButton);
  const QList<QAction*> items = Window->Popups().Menu()->actions();
  ASSERT_EQ(items.size(), 8);
  EXPECT_EQ(items[7]->text(), QStringLiteral("Arrange"));
  items[7]->trigger();
  Window->Popups().Menu()->hide();
  const TPlaces after = Places();
  EXPECT_EQ(after[1], before[1]);  // not selected
  EXPECT_NE(after, before);
  EXPECT_FALSE(AnyOverlap());

  Item("UndoItem")->trigger();
  EXPECT_EQ(Places(), before);
}

}  // namespace
}  // namespace veska
