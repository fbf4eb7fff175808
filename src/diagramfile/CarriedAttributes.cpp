// Reading the carried attributes: the copies of key attributes that each
// relation carries into its child, counted before they are made, and the
// stored fields and role names that the carried-attributes section gives them.

#include "diagramfile/DiagramReader.h"

#include "model/Identifiers.h"

#include <QHash>
#include <QSet>

#include <optional>
#include <utility>
#include <vector>

namespace veska {

namespace {

// How many copies one key attribute arriving in `top`'s key makes: its own
// copy, one in the child of each non-primary relation below, and, along each
// primary relation, as many as it makes in that child. Primary relations that
// meet again below count once per path, which is what makes this grow
// exponentially in a lattice of primary relations. Stops early with a result
// above `cap`; the walk is iterative, so a long chain cannot exhaust the
// stack, and it never does more than about `cap` steps.
qint64 CopiesPerKey(const TEntity* top, qint64 cap)
{
  struct TFrame {
    const TEntity* Entity;
    size_t Next;
    qint64 Sum;
  };
  QHash<const TEntity*, qint64> done;
  std::vector<TFrame> stack{{top, 0, 1}};
  while (!stack.empty()) {
    TFrame& f = stack.back();
    const std::vector<TRelation*>& below = f.Entity->ParentRelations();
    if (f.Next < below.size()) {
      const TRelation* r = below[f.Next++];
      if (!r->PrimaryRelation()) {
        f.Sum += 1;
      } else if (const auto it = done.constFind(r->Child); it != done.constEnd()) {
        f.Sum += it.value();
      } else {
        stack.push_back({r->Child, 0, 1});
        continue;
      }
      if (f.Sum > cap)
        return cap + 1;
      continue;
    }
    const TFrame finished = f;
    stack.pop_back();
    done.insert(finished.Entity, finished.Sum);
    if (stack.empty())
      return finished.Sum;
    stack.back().Sum += finished.Sum;
    if (stack.back().Sum > cap)
      return cap + 1;
  }
  return 0;
}

}  // namespace

// A relation carries every key attribute of its parent into its child, and a
// primary relation on into the child's children. Where primary relations
// branch and meet again the copies multiply with every level, so a small file
// could ask for more copies than memory holds. The relation is refused as a
// corrupt file before any copy is made when the file's copies would pass its
// limit.
void TDiagramReader::CountCopies(const TRelation& r)
{
  const qint64 keys = r.Parent->PrimaryKey.Count();
  if (keys == 0)
    return;
  const qint64 room = FCopyLimit - FCopies;
  const qint64 perKey = r.PrimaryRelation() ? CopiesPerKey(r.Child, room / keys) : 1;
  if (perKey > room / keys)
    throw TCorruptFile("carrying the keys would make too many copies");
  FCopies += keys * perKey;
}

namespace {

// One item of the carried-attributes section: a relation and, for each of
// its copies, the name of the parent attribute it stands for and the stored
// record of the copy.
struct TCarriedItem {
  TRelation* Relation = nullptr;
  std::vector<std::pair<QString, TAttribute>> Copies;
};

// The entry of the relation's carried attributes that a record naming
// `parentName` belongs to: the first unused entry of that name, else the first
// unused one (by position).
int CarriedEntry(const TRelation& r, const std::vector<bool>& used, const QString& parentName)
{
  int entry = -1;
  for (int e = 0; e < r.MigratedAttributes.Count() && entry < 0; ++e)
    if (!used[e] && SameText(r.MigratedAttributes.Strings(e), parentName))
      entry = e;
  for (int e = 0; e < r.MigratedAttributes.Count() && entry < 0; ++e)
    if (!used[e])
      entry = e;
  if (entry < 0)
    throw TCorruptFile("carried attributes do not match the relation");
  return entry;
}

// The stored record replaces the fields of the copy, and the child's entry
// takes the stored name.
void ApplyRecord(TRelation* r, TAttribute* copy, TAttribute& record)
{
  const QString carriedColumn = copy->ColumnName();
  // Texts the record repeats keep the copy's, which it shares with the
  // attribute it was carried from, rather than holding a second one.
  TAttribute fields = std::move(record);
  for (auto [from, held] : {std::pair{&fields.Name, &copy->Name}, std::pair{&fields.DataType, &copy->DataType},
                            std::pair{&fields.Width, &copy->Width}})
    if (*from == *held)
      *from = *held;
  if (fields.ColumnName() == carriedColumn)
    fields.SetColumnName(carriedColumn);
  copy->AssignFields(std::move(fields));
  if (copy->ColumnName().isEmpty())
    copy->SetColumnName(carriedColumn);
  copy->ForeignKey = true;
  // The child's entry takes the stored name (a role name), which also
  // passes on to the copies further down that still have the old name.
  const int p = r->ChildList().IndexOfObject(copy);
  if (p < 0)
    throw TCorruptFile("carried attribute not in its child");
  if (r->PrimaryRelation())
    r->Child->RenameKeyAttribute(p, copy->Name);
  else
    r->Child->RenameAttribute(p, copy->Name);
}

// Applies one item: each record replaces the fields of the copy it belongs
// to, and the child's entry takes the stored name.
void ApplyCarried(TCarriedItem& item)
{
  TRelation* r = item.Relation;
  std::vector<bool> used(static_cast<size_t>(r->MigratedAttributes.Count()), false);
  std::vector<TAttribute*> stored;  // the copies in the order of the file
  for (auto& [parentName, record] : item.Copies) {
    const int entry = CarriedEntry(*r, used, parentName);
    used[entry] = true;
    TAttribute* copy = r->MigratedAttributes.Objects(entry);
    stored.push_back(copy);
    ApplyRecord(r, copy, record);
  }
  // The entries take the file's order, so the diagram writes back as read.
  for (int j = 0; j < static_cast<int>(stored.size()); ++j)
    r->MigratedAttributes.Move(r->MigratedAttributes.IndexOfObject(stored[j]), j);
}

// Applies the items of the carried-attributes section as they are read, so
// that an error further on keeps them. A record names its parent attribute
// by the name it has in the parent, which may be a role name that the item
// of a primary relation leading into the parent gives; an item read before
// those items waits for them, and is applied as soon as the last of them is.
class TCarriedItems {
public:
  // `relations`: the relations the file created.
  explicit TCarriedItems(const TStringList<TRelation, false>& relations)
  {
    for (const TRelation* r : relations)
      if (r->PrimaryRelation())
        ++FOpen[r->Child];
  }

  void Take(TCarriedItem item)
  {
    const TEntity* parent = item.Relation->Parent;
    if (FOpen.value(parent) == 0) {
      Run(std::move(item));
      return;
    }
    FWaiting[parent].push_back(FHeld.size());
    FHeld.push_back(std::move(item));
  }

  // Applies every item still waiting, in the order read (for an item whose
  // upstream item never came, or when an error ends the section).
  void Flush()
  {
    for (std::optional<TCarriedItem>& held : FHeld)
      if (held)
        Run(*std::exchange(held, std::nullopt));
  }

private:
  // Applies the item and every waiting item that it releases, without
  // recursion (chains of primary relations can be long).
  void Run(TCarriedItem item)
  {
    std::vector<TCarriedItem> work;
    work.push_back(std::move(item));
    while (!work.empty()) {
      TCarriedItem current = std::move(work.back());
      work.pop_back();
      ApplyCarried(current);
      const TRelation* r = current.Relation;
      if (!r->PrimaryRelation() || FApplied.contains(r))
        continue;
      FApplied.insert(r);
      const auto open = FOpen.find(r->Child);
      if (open == FOpen.end() || --open.value() > 0)
        continue;
      const std::vector<size_t> released = FWaiting.take(r->Child);
      for (auto i = released.rbegin(); i != released.rend(); ++i)
        if (FHeld[*i])
          work.push_back(*std::exchange(FHeld[*i], std::nullopt));
    }
  }

  // Per entity, the primary relations into it whose items are not applied.
  QHash<const TEntity*, int> FOpen;
  QSet<const TRelation*> FApplied;
  // Waiting items in the order read, and their positions by parent entity.
  std::vector<std::optional<TCarriedItem>> FHeld;
  QHash<const TEntity*, std::vector<size_t>> FWaiting;
};

}  // namespace

void TDiagramReader::ReadCarried()
{
  TCarriedItems items(FRelations);
  try {
    for (int i = 0, n = ReadCount(); More(i, n); ++i) {
      const int at = FRelations.IndexOf(In.ReadLine());
      if (at < 0)
        throw TCorruptFile("relation not found");
      TCarriedItem item{FRelations[at], {}};
      const int keys = item.Relation->Parent->PrimaryKey.Count();
      if (keys != item.Relation->MigratedAttributes.Count())
        throw TCorruptFile("carried attributes do not match the relation");
      for (int k = 0; More(k, keys); ++k) {
        const QString parentName = In.ReadLine();
        TAttribute record;
        ReadAttribute(record);
        item.Copies.emplace_back(parentName, std::move(record));
      }
      items.Take(std::move(item));
      FProgress.StepWithin(kLoadRelationsDone, kLoadCarriedDone, i + 1, n);
    }
  } catch (const std::exception&) {
    // The items read before the error stay, also those still waiting; the
    // file is reported as corrupt for the first error, whatever the waiting
    // items meet.
    try {
      items.Flush();
    } catch (const std::exception&) {
    }
    throw;
  }
  items.Flush();
}

}  // namespace veska
