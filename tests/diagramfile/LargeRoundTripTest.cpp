// A large generated diagram, with carried keys, role names, non-ASCII texts,
// multi-line labels and types whose width holds a comma, writes, reads back
// and writes again byte for byte, and its boxes come out of loading the size
// they had when built; measured with the real font metrics.
#include "diagramfile/DiagramFile.h"
#include "model/Integrity.h"

#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"

#include <gtest/gtest.h>

#include <vector>

namespace veska::test {
namespace {

std::unique_ptr<TAttribute> Attribute(const QString& name, const QString& type, const QString& width)
{
  auto a = std::make_unique<TAttribute>();
  a->Name = name;
  a->SetColumnName(name.toUpper());
  a->DataType = type;
  a->Width = width;
  return a;
}

// Groups of four entities joined by a chain of three primary relations, and
// one non-primary relation from each entity to one in another group.
void BuildModel(TDrawingSurface& s, int entities)
{
  s.Width = s.Height = 30000;
  s.BeginUpdate();
  auto domain = std::make_unique<TDomain>();
  domain->Name = QStringLiteral("Money");
  domain->SetDataType(QStringLiteral("NUMERIC(12,2)"));
  s.AddDomain(std::move(domain));
  std::vector<TEntity*> all;
  for (int i = 0; i < entities; ++i) {
    auto e = std::make_unique<TEntity>();
    e->SetEntityName(i % 7 == 0 ? QStringLiteral("Größe %1 \U0001F600").arg(i) : QStringLiteral("Entity %1").arg(i));
    e->SetPosition(20 + (i % 100) * 250, 20 + (i / 100) * 200 - (i == 1 ? 40 : 0));
    e->Description << QStringLiteral("Line one of %1").arg(i) << QString();
    TEntity* entity = s.AddEntity(std::move(e));
    entity->AddKeyAttribute(Attribute(QStringLiteral("Id%1").arg(i), QStringLiteral("INTEGER"), QStringLiteral("0")));
    entity->AddAttribute(Attribute(QStringLiteral("Amount"), QStringLiteral("NUMERIC"), QStringLiteral("12,2")));
    entity->AddAttribute(Attribute(QStringLiteral("Full name"), QStringLiteral("CHAR"), QStringLiteral("40")));
    entity->AddAttribute(Attribute(QStringLiteral("Notiz"), QStringLiteral("Money"), QStringLiteral("0")));
    all.push_back(entity);
  }
  int number = 0;
  auto relate = [&](TEntity* parent, TEntity* child, bool primary) {
    auto r = std::make_unique<TRelation>();
    r->Parent = parent;
    r->Child = child;
    r->Cardinality = number % 2 ? kCardinalityZeroOrMany : kCardinalityZeroOrOne;
    r->InitPrimaryRelation(primary);
    r->AssignRelationName(QStringLiteral("rel %1").arg(number++));
    s.AddRelation(std::move(r), false);
  };
  for (int i = 0; i + 1 < entities; ++i)
    if (i % 4 != 3)
      relate(all[i], all[i + 1], true);
  for (int i = 0; i < entities; ++i)
    relate(all[i], all[(i * 37 + 11) % entities], false);
  for (int i = 0; i < entities / 20; ++i) {
    auto label = std::make_unique<TTextLabel>();
    label->SetPosition(i * 97 % 25000, i * 53 % 20000);
    TTextLabel* l = s.AddLabel(std::move(label));
    l->SetCaption(QStringLiteral("Note %1\r\nsecond, line\r\n").arg(i));
  }
  s.EndUpdate();
  // A role name at the head of every tenth chain, which the levels below take.
  for (int i = 0; i < entities; i += 40)
    all[i]->RenameKeyAttribute(0, QStringLiteral("Role%1").arg(i));
}

TEST(LargeRoundTrip, GeneratedModelWritesReadsAndWritesBackUnchanged)
{
  TRecordingMessages messages;
  const TTextMeasurer& measurer = TQtTextMeasurer::Instance();
  TDrawingSurface built(messages, measurer);
  built.Clear();
  BuildModel(built, 3000);
  ASSERT_TRUE(messages.Lines().isEmpty());
  QByteArray first;
  WriteDiagram(built, first);

  TDrawingSurface loaded(messages, measurer);
  loaded.Clear();
  ASSERT_EQ(LoadDiagramBytes(loaded, first), TLoadResult::Loaded);
  EXPECT_TRUE(messages.Lines().isEmpty());
  EXPECT_EQ(CheckIntegrity(loaded), QStringList());
  QByteArray second;
  WriteDiagram(loaded, second);
  EXPECT_EQ(second.size(), first.size());
  EXPECT_TRUE(second == first);

  ASSERT_EQ(loaded.Entities.Count(), built.Entities.Count());
  int differing = 0;
  for (int i = 0; i < built.Entities.Count(); ++i)
    differing += loaded.Entities[i]->BoundsRect() != built.Entities[i]->BoundsRect() ? 1 : 0;
  EXPECT_EQ(differing, 0);
  ASSERT_EQ(loaded.Labels.Count(), built.Labels.Count());
  for (int i = 0; i < built.Labels.Count(); ++i)
    EXPECT_EQ(loaded.Labels[i]->BoundsRect(), built.Labels[i]->BoundsRect());

  // Zooming out and back lays every box out again at the sizes it had.
  loaded.Rescale(4, 5);
  loaded.Rescale(5, 4);
  differing = 0;
  for (int i = 0; i < built.Entities.Count(); ++i)
    differing += loaded.Entities[i]->Width != built.Entities[i]->Width ||
                         loaded.Entities[i]->Height != built.Entities[i]->Height
                     ? 1
                     : 0;
  EXPECT_EQ(differing, 0);

  // Clearing and loading again into the same surface gives the same text.
  loaded.Clear();
  ASSERT_EQ(LoadDiagramBytes(loaded, first), TLoadResult::Loaded);
  WriteDiagram(loaded, second);
  EXPECT_TRUE(second == first);
}

}  // namespace
}  // namespace veska::test
