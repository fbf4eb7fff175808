#pragma once
// An objects editor on a test surface, told of objects that leave the model.

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/ModelFixture.h"
#include "surface/SurfaceFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace veska::test {

class EditorTest : public SurfaceTest {
protected:
  TObjectEditor Editor;
  TSubscription EditorForgets;

  void SetUp() override
  {
    SurfaceTest::SetUp();
    Editor.DrawingSurface = &S;
    Editor.SetSettingsNames({QStringLiteral("Char"), QStringLiteral("Integer")},
                            {QStringLiteral("Paradox"), QStringLiteral("Dbase")});
    EditorForgets = S.OnObjectRemoving.Add([this](const void* object) { Editor.ObjectRemoving(object); });
  }

  void TearDown() override
  {
    EditorForgets.Reset();
    SurfaceTest::TearDown();
  }

  void Open(TEntity* entity, int page = TObjectEditor::pgEntities)
  {
    Editor.SetCurrentEntity(entity);
    Editor.ShowPage(page);
    Editor.show();
  }

  // Types a name into a name box and presses Enter, as a user renames.
  void TypeName(QComboBox* box, const QString& text)
  {
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
  }

  // Puts the caret at the end of a memo's text.
  static void End(TMemo* memo)
  {
    QTextCursor c = memo->textCursor();
    c.movePosition(QTextCursor::End);
    memo->setTextCursor(c);
  }
};

}  // namespace veska::test
