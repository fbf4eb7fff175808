#include "model/EditRules.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"

#include <QSet>

namespace veska {

TAttributeLinesResult ApplyAttributeLines(TEntity& e, bool key, const QStringList& typed)
{
  TAttributeList& list = key ? e.PrimaryKey : e.Attributes;
  TAttributeLinesResult result;
  // A comma in a name would split it when the diagram file is read back.
  QStringList lines = typed;
  for (QString& line : lines)
    line = StorableName(line);
  result.Replaced = lines != typed;
  result.Lines = lines;
  const auto remove = [&](int pos) {
    if (list.Objects(pos)->ForeignKey) {
      result.Refused = true;
      return;
    }
    key ? e.DeleteKeyAttribute(pos) : e.DeleteAttribute(pos);
  };
  if (lines.size() != list.Count()) {
    QSet<QString> present;
    for (const QString& line : lines)
      present.insert(line.toCaseFolded());
    for (int i = list.Count() - 1; i >= 0; --i)
      if (!present.contains(list.Strings(i).toCaseFolded()))
        remove(i);
    int position = 0;
    for (const QString& line : lines) {
      if (line.isEmpty())
        continue;
      if (list.IndexOf(line) < 0)
        key ? e.InsertKeyAttribute(position, line) : e.InsertAttribute(position, line);
      ++position;
    }
  } else {
    for (int i = int(lines.size()) - 1; i >= 0; --i) {
      if (lines[i].isEmpty()) {
        result.Lines.removeAt(i);
        result.DroppedLine = i;
        remove(i);
      } else if (!SameText(lines[i], list.Strings(i))) {
        key ? e.RenameKeyAttribute(i, lines[i]) : e.RenameAttribute(i, lines[i]);
      }
    }
  }
  if (result.Refused) {
    result.Lines = list.Texts();
    result.DroppedLine = -1;
  }
  return result;
}

namespace {

QString EmptyNameRefusal(const QString& kind, const QString& name)
{
  if (name.trimmed().isEmpty())
    return QStringLiteral("%1 Name cannot be empty.").arg(kind);
  // The diagram file could not hold it.
  if (!IsStorableName(name))
    return QStringLiteral("%1 Name \"%2\" cannot hold a comma or a line break.").arg(kind, StorableName(name));
  return {};
}

template <typename List>
QString DuplicateRefusal(const QString& kind, const List& list, const QString& current, const QString& name)
{
  if (SameText(name, current) || list.IndexOf(name) < 0)
    return {};
  return QStringLiteral("Duplicate %1 Name \"%2\".").arg(kind, name);
}

}  // namespace

QString EntityNameRefusal(const TDiagram& d, const TEntity& e, const QString& name)
{
  const QString kind = QStringLiteral("Entity");
  QString refusal = EmptyNameRefusal(kind, name);
  return refusal.isEmpty() ? DuplicateRefusal(kind, d.Entities, e.EntityName(), name) : refusal;
}

QString RelationNameRefusal(const TDiagram& d, const TRelation& r, const QString& name)
{
  const QString kind = QStringLiteral("Relation");
  QString refusal = EmptyNameRefusal(kind, name);
  return refusal.isEmpty() ? DuplicateRefusal(kind, d.Relations, r.RelationName(), name) : refusal;
}

QString DomainNameRefusal(const QString& name)
{
  return EmptyNameRefusal(QStringLiteral("Domain"), name);
}

QString ProcessNameRefusal(const QString& name)
{
  return name.isEmpty() ? QString() : EmptyNameRefusal(QStringLiteral("Process"), name);
}

QString PrimaryRelationRefusal(const TDiagram& d, const TRelation& r, bool primary)
{
  if (!primary || r.PrimaryRelation() || d.CanBePrimary(r.Parent, r.Child))
    return {};
  return QStringLiteral("This cannot be a Primary Relation.");
}

QString IndexNameRefusal(const TEntity& e, int pos, const QString& name)
{
  return DuplicateRefusal(QStringLiteral("Index"), e.Indexes, e.Indexes.Objects(pos)->Name(), name);
}

}  // namespace veska
