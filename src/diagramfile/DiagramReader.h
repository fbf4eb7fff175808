#pragma once
// The reader of a diagram file's sections, after its version line. The
// sections are read in DiagramReader.cpp, the carried attributes in
// CarriedAttributes.cpp.

#include "diagramfile/TextReader.h"
#include "platform/Progress.h"
#include "surface/DrawingSurface.h"

#include <array>

namespace veska {

// A load's progress in steps, each stage up to its mark, roughly in
// proportion to the time it takes on a large diagram: reading the entities,
// the relations (carrying keys), the carried attributes, the attribute order
// and the indexes; laying out every box and routing every relation at the
// end completes it.
constexpr qint64 kLoadSteps = 100;
constexpr qint64 kLoadEntitiesDone = 25;
constexpr qint64 kLoadRelationsDone = 40;
constexpr qint64 kLoadCarriedDone = 68;
constexpr qint64 kLoadOrderDone = 74;
constexpr qint64 kLoadReadDone = 80;

// Hands out one shared copy of the short texts that recur through a file
// (attribute names, data types, widths, menu groups), so that thousands of
// objects do not each hold their own. The texts seen last are remembered in
// a small table by a hash of their characters; a text meeting another in its
// slot takes the slot over.
class TRecurringTexts {
public:
  QString Get(QStringView text)
  {
    quint32 hash = 2166136261u;
    for (const QChar c : text)
      hash = (hash ^ c.unicode()) * 16777619u;
    QString& slot = FTexts[(hash ^ (hash >> 16)) % kSize];
    if (slot.size() != text.size() || QStringView(slot) != text)
      slot = text.toString();
    return slot;
  }

private:
  static constexpr size_t kSize = 256;
  std::array<QString, kSize> FTexts;
};

class TDiagramReader {
public:
  // `fileSize` (in bytes) bounds the carried copies the file may make.
  TDiagramReader(TDrawingSurface& surface, TTextReader& in, int version, qint64 fileSize, TProgressRun& progress);

  void Read();

private:
  void ReadHeader();
  void ReadDomains();
  void ReadEntities();
  void ReadAttribute(TAttribute& a);
  // Each returns the new object and gives the name the file calls it by.
  std::unique_ptr<TEntity> ReadEntity(QString& fileName);
  // The relation does not take the name yet: it is named as it joins the
  // diagram, where the name must not be taken.
  std::unique_ptr<TRelation> ReadRelation(QString& fileName);
  void ReadRelations();
  void ReadCarried();
  void ReadOrder();
  void ReadIndexes();
  void ReadServerProcs();
  void ReadLabels();
  void ReadEntityView();
  void RouteHidden(const QStringList& view);
  void CountCopies(const TRelation& relation);
  TEntity* FileEntity(const QString& name) const;
  int ReadCount() { return In.ReadNumber(); }
  // Whether item `i` of `count` follows. A count promises its items: a file
  // that ends before one of them was cut off inside a section and is
  // corrupt, which also keeps a huge count in a short file from making the
  // reader create objects without end.
  bool More(int i, int count) const
  {
    if (i >= count)
      return false;
    if (In.AtEnd())
      throw TCorruptFile("the file ends inside a section");
    return true;
  }

  TDrawingSurface& S;
  TTextReader& In;
  const int Version;
  // The objects this file created, under the names the file gives them.
  // Later sections refer to them by those names, also when an object had to
  // take a default name because its own was taken.
  TStringList<TEntity, false> FEntities;
  TStringList<TRelation, false> FRelations;
  // Carried copies made by this file's relations so far, and the most that
  // it may make.
  qint64 FCopies = 0;
  const qint64 FCopyLimit;
  TProgressRun& FProgress;
  TRecurringTexts FTypes;
  TRecurringTexts FNames;
  TRecurringTexts FColumns;
  TRecurringTexts FGroups;
};

}  // namespace veska
