#pragma once
// A drawing surface with recorded messages and fixed font metrics: at the
// default 8 points a character is 6 pixels wide and a line 14 high, so an
// entity named EntityN_0 without attributes is 64 x 18.

#include "model/Integrity.h"
#include "surface/DrawingSurface.h"
#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"

#include <gtest/gtest.h>

namespace veska::test {

class SurfaceTest : public ::testing::Test {
protected:
  TRecordingMessages Msgs;
  TFixedTextMeasurer Measurer;
  TDrawingSurface S{Msgs, Measurer};

  void SetUp() override
  {
    S.Clear();  // as for a new diagram: revision "0"
    S.Width = 768;
    S.Height = 960;
  }
  // Whatever a case did, the model's links still hold.
  void TearDown() override { EXPECT_EQ(CheckIntegrity(S), QStringList()); }

  TEntity* Place(int left, int top, const QStringList& keys = {}, const QStringList& attrs = {})
  {
    TEntity* e = S.AddEntity(std::make_unique<TEntity>());
    e->SetPosition(left, top);
    for (const QString& k : keys)
      e->InsertKeyAttribute(e->PrimaryKey.Count(), k);
    for (const QString& a : attrs)
      e->InsertAttribute(e->Attributes.Count(), a);
    e->Repaint();
    return e;
  }

  TRelation* Draw(TDrawingTool tool, TEntity* parent, TEntity* child)
  {
    S.SetActiveDrawingTool(tool);
    return S.CreateRelation(parent, child);
  }
};

}  // namespace veska::test
