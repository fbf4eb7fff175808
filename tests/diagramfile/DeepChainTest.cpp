// A diagram with one chain of 100,000 primary relations: loading carries the
// key and the stored names down the whole chain, and key edits afterwards
// reach its end, without running out of stack.
#include "diagramfile/DiagramFile.h"

#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"

#include <gtest/gtest.h>

#include <vector>

namespace veska::test {
namespace {

QStringList KeyNames(const TEntity* e)
{
  QStringList names;
  for (const TAttribute* a : e->PrimaryKey)
    names << a->Name;
  return names;
}

// Builds, writes, loads and edits the chain; its relations are stored from
// the head down or from the tail up.
void LoadAndMigrateAHundredThousandDeepChain(bool tailFirst)
{
  const int length = 100000;
  TRecordingMessages messages;
  TFixedTextMeasurer measurer;
  TDrawingSurface built(messages, measurer);
  built.Clear();
  built.BeginUpdate();
  std::vector<TEntity*> chain;
  for (int i = 0; i < length; ++i) {
    auto e = std::make_unique<TEntity>();
    e->AssignEntityName(QStringLiteral("E%1").arg(i));
    chain.push_back(built.AddEntity(std::move(e)));
  }
  chain.front()->InsertKeyAttribute(0, QStringLiteral("Id"));
  for (int i = 0; i + 1 < length; ++i) {
    const int at = tailFirst ? length - 2 - i : i;
    auto r = std::make_unique<TRelation>();
    r->Parent = chain[at];
    r->Child = chain[at + 1];
    r->InitPrimaryRelation(true);
    built.AddRelation(std::move(r), false);
  }
  built.EndUpdate();
  // A role name halfway down, which every level below it takes.
  chain[length / 2]->RenameKeyAttribute(0, QStringLiteral("Role"));
  chain[length / 2]->Repaint();  // as the editor does with the entity it edits
  QByteArray text;
  WriteDiagram(built, text);

  TDrawingSurface loaded(messages, measurer);
  loaded.Clear();
  ASSERT_EQ(LoadDiagramBytes(loaded, text), TLoadResult::Loaded);
  EXPECT_TRUE(messages.Lines().isEmpty());
  const TEntity* middle = loaded.Entities.Objects(length / 2 - 1);
  TEntity* head = loaded.Entities.Objects(0);
  TEntity* last = loaded.Entities.Objects(length - 1);
  EXPECT_EQ(KeyNames(middle), QStringList{"Id"});
  EXPECT_EQ(KeyNames(last), QStringList{"Role"});
  QByteArray again;
  WriteDiagram(loaded, again);
  EXPECT_TRUE(again == text);

  head->InsertKeyAttribute(0, QStringLiteral("Region"));
  head->RenameKeyAttribute(1, QStringLiteral("Key"));
  EXPECT_EQ(KeyNames(middle), (QStringList{"Key", "Region"}));
  EXPECT_EQ(KeyNames(last), (QStringList{"Role", "Region"}));
  head->DeleteKeyAttribute(0);
  EXPECT_EQ(KeyNames(last), QStringList{"Role"});
}

TEST(DeepChainTest, AHundredThousandDeepChainLoadsAndMigratesWithoutOverflowingTheStack)
{
  LoadAndMigrateAHundredThousandDeepChain(/*tailFirst=*/false);
}

TEST(DeepChainTest, AHundredThousandDeepChainStoredTailFirstLoadsWithoutOverflowingTheStack)
{
  LoadAndMigrateAHundredThousandDeepChain(/*tailFirst=*/true);
}

}  // namespace
}  // namespace veska::test
