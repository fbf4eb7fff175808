#include "testkit/LargeModel.h"

#include <QSet>
#include <QtMath>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace veska::testkit {

namespace {

constexpr int kGroup = 6;  // entities per primary chain (five relations)
constexpr int kCellWidth = 220;
constexpr int kCellHeight = 260;

// A small fixed-seed generator, so that every run builds the same model.
class TSequence {
public:
  explicit TSequence(std::uint64_t seed) : FState(seed) {}
  std::uint32_t Next()
  {
    FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(FState >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
  std::uint64_t FState;
};

std::unique_ptr<TAttribute> MakeAttribute(const QString& name, const QString& type, const QString& width,
                                          bool allowNulls)
{
  auto a = std::make_unique<TAttribute>();
  a->Name = name;
  a->SetColumnName(name);
  a->DataType = type;
  a->Width = width;
  a->AllowNulls = allowNulls;
  return a;
}

QPoint Centre(const TEntity* e)
{
  return QPoint(e->Left + e->Width / 2, e->Top + e->Height / 2);
}

TRelation* Relate(TDrawingSurface& s, TEntity* parent, TEntity* child, bool primary,
                  TRelationCardinality cardinality, int number)
{
  auto r = std::make_unique<TRelation>(&s);
  r->SetRelationName(QStringLiteral("Rel%1/inverse%1").arg(number));
  r->Parent = parent;
  r->Child = child;
  r->Cardinality = cardinality;
  r->InitPrimaryRelation(primary);
  r->ParentPoint = Centre(parent);
  r->ChildPoint = Centre(child);
  r->MidPoint = (r->ParentPoint + r->ChildPoint) / 2;
  r->Description << QStringLiteral("Generated relation %1.").arg(number);
  return s.AddRelation(std::move(r), false);
}

}  // namespace

TModelSize TModelSize::ForEntities(int entities)
{
  TModelSize size;
  size.Entities = entities;
  size.Relations = entities * 3 / 2;
  size.Labels = entities / 25;
  size.Domains = entities / 100;
  return size;
}

TMsgButton TCollectingMessages::Show(TMsgDlgType type, const QString& text, int buttons)
{
  Texts << MessageTypeWord(type) + QStringLiteral(": ") + text;
  for (int b = 1; b <= mbRetry; b <<= 1)
    if (buttons & b)
      return static_cast<TMsgButton>(b);
  return mbOK;
}

void BuildLargeModel(TDrawingSurface& s, const TModelSize& size)
{
  TSequence random(20261208);
  const int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(size.Entities)))));
  s.DiagramName = QStringLiteral("Generated %1").arg(size.Entities);
  s.Width = columns * kCellWidth + 100;
  s.Height = (size.Entities / columns + 1) * kCellHeight + 100;

  s.BeginUpdate();

  for (int i = 0; i < size.Domains; ++i) {
    auto d = std::make_unique<TDomain>();
    d->Name = QStringLiteral("Domain%1").arg(i);
    d->SetDataType(QStringLiteral("NUMERIC(%1,2)").arg(8 + i % 10));
    d->Rule = QStringLiteral("VALUE >= 0");
    d->Description << QStringLiteral("Generated domain.");
    s.AddDomain(std::move(d));
  }

  std::vector<TEntity*> entities;
  entities.reserve(static_cast<size_t>(size.Entities));
  for (int i = 0; i < size.Entities; ++i) {
    auto e = std::make_unique<TEntity>();
    const QString name = QStringLiteral("Entity %1").arg(i, 5, 10, QLatin1Char('0'));
    e->SetEntityName(name);
    e->SetTableName(QStringLiteral("T_%1").arg(i));
    e->EditFormCaption = QStringLiteral("Maintain ") + name;
    e->MenuGroup = QStringLiteral("&Data");
    e->SetPosition(40 + (i % columns) * kCellWidth, 40 + (i / columns) * kCellHeight);
    e->Description << QStringLiteral("Generated entity number %1.").arg(i);
    TEntity* entity = s.AddEntity(std::move(e));
    if (entity->EntityName() != name)
      throw std::runtime_error("entity name refused");
    entities.push_back(entity);

    // Own attributes, before any relation exists, so nothing is carried yet.
    const QString prefix = QStringLiteral("E%1").arg(i);
    entity->AddKeyAttribute(MakeAttribute(prefix + QStringLiteral("_Id"), QStringLiteral("INTEGER"),
                                          QStringLiteral("0"), false));
    entity->AddKeyAttribute(MakeAttribute(prefix + QStringLiteral("_Code"), QStringLiteral("CHAR"),
                                          QStringLiteral("12"), false));
    static const char* const names[8] = {"Name", "Title", "Created", "Changed",
                                         "Amount", "Status", "Remark", "Owner"};
    static const char* const types[8] = {"CHAR", "CHAR", "DATE", "DATE", "Domain1", "SMALLINT", "VARCHAR", "CHAR"};
    static const char* const widths[8] = {"40", "80", "0", "0", "0", "0", "200", "30"};
    for (int a = 0; a < 8; ++a)
      entity->AddAttribute(MakeAttribute(QString::fromLatin1(names[a]), QString::fromLatin1(types[a]),
                                         QString::fromLatin1(widths[a]), true));
    auto index = std::make_unique<TIndex>();
    index->AssignName(QStringLiteral("Pk_%1").arg(i));
    index->Unique = true;
    for (TAttribute* key : entity->PrimaryKey)
      index->Columns.Add(QStringLiteral("A"), key);
    entity->AddIndex(std::move(index));
  }

  int number = 0;
  TRelationCardinality cardinality = kCardinalityZeroOrOne;
  auto nextCardinality = [&cardinality]() {
    cardinality = cardinality == kCardinalityZeroOrOne ? kCardinalityZeroOrMany : kCardinalityZeroOrOne;
    return cardinality;
  };

  // Primary chains, one per complete group.
  for (int g = 0; g + kGroup <= size.Entities && number < size.Relations; g += kGroup) {
    for (int k = 0; k + 1 < kGroup && number < size.Relations; ++k) {
      TEntity* parent = entities[static_cast<size_t>(g + k)];
      TEntity* child = entities[static_cast<size_t>(g + k + 1)];
      if (!s.CanBePrimary(parent, child))
        throw std::runtime_error("primary chain would close a cycle");
      Relate(s, parent, child, true, nextCardinality(), number++);
    }
  }
  // The rest: non-primary relations between unrelated pairs.
  while (number < size.Relations) {
    const int p = random.Below(size.Entities);
    int c = random.Below(size.Entities);
    if (c == p)
      c = (c + 1) % size.Entities;
    Relate(s, entities[static_cast<size_t>(p)], entities[static_cast<size_t>(c)], false, nextCardinality(),
           number++);
  }

  for (int i = 0; i < size.Labels; ++i) {
    auto label = std::make_unique<TTextLabel>();
    label->SetPosition(random.Below(s.Width), random.Below(s.Height));
    TTextLabel* l = s.AddLabel(std::move(label));
    l->SetCaption(QStringLiteral("Note %1\r\nSecond line of the note").arg(i));
  }

  s.EndUpdate();
}

int NameColumnsApart(TDiagram& model)
{
  int renamed = 0;
  for (int i = 0; i < model.Entities.Count(); ++i) {
    TEntity* entity = model.Entities.Objects(i);
    QSet<QString> taken;
    for (TAttributeList* list : {&entity->PrimaryKey, &entity->Attributes}) {
      for (int a = 0; a < list->Count(); ++a) {
        TAttribute* attribute = list->Objects(a);
        const QString name = attribute->ColumnName().isEmpty() ? attribute->Name : attribute->ColumnName();
        QString column = name;
        for (int n = 2; taken.contains(column.toCaseFolded()); ++n)
          column = QStringLiteral("%1_%2").arg(name).arg(n);
        if (column != name) {
          attribute->SetColumnName(column);
          ++renamed;
        }
        taken.insert(column.toCaseFolded());
      }
    }
  }
  return renamed;
}

void BuildPrimaryChain(TDrawingSurface& s, int length, bool bottomUp)
{
  s.BeginUpdate();
  std::vector<TEntity*> chain;
  for (int i = 0; i < length; ++i) {
    auto e = std::make_unique<TEntity>();
    e->AssignEntityName(QStringLiteral("Level%1").arg(i));
    e->SetPosition(20 + (i % 100) * 120, 20 + (i / 100) * 80);
    chain.push_back(s.AddEntity(std::move(e)));
  }
  chain.front()->AddKeyAttribute(MakeAttribute(QStringLiteral("Id"), QStringLiteral("Integer"), QStringLiteral("0"), false));
  for (int i = 0; i + 1 < length; ++i) {
    const int at = bottomUp ? length - 2 - i : i;
    Relate(s, chain[at], chain[at + 1], true, kCardinalityZeroOrMany, i);
  }
  s.EndUpdate();
}

TEntity* ChainHead(const TDrawingSurface& s)
{
  return s.Entities.IsEmpty() ? nullptr : s.Entities.Objects(0);
}

int PrimaryDepth(const TEntity* entity)
{
  int depth = 0;
  for (const TRelation* r : entity->ParentRelations())
    if (r->PrimaryRelation())
      depth = std::max(depth, 1 + PrimaryDepth(r->Child));
  return depth;
}

}  // namespace veska::testkit
