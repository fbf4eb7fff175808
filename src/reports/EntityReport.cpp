#include "reports/EntityReport.h"

#include "model/Diagram.h"
#include "reports/ReportText.h"

namespace veska {
namespace {

const QString kRule(56, QLatin1Char('='));

// The data type with its size in parentheses; a width of exactly "0" means
// the type has no size.
QString TypeText(const TAttribute& a)
{
  if (a.Width == QLatin1String("0"))
    return a.DataType;
  return a.DataType + QLatin1Char('(') + a.Width + QLatin1Char(')');
}

QString ToManyWords(const TRelation& r)
{
  return IsToMany(r.Cardinality) ? QStringLiteral("Zero or Many ") : QStringLiteral("Zero or One ");
}

// The optional columns of a Tabular attribute row (or its heading).
void TabularColumns(TReportText& out, const TEntityReportOptions& o, const QString& column, const QString& type,
                    const QString& null)
{
  if (o.PKColName)
    out.Piece(QLatin1Char(' ') + Padded(column, 28));
  if (o.PKColType)
    out.Piece(QLatin1Char(' ') + Padded(type, 15));
  if (o.PKNull)
    out.Piece(QLatin1Char(' ') + null);
  out.EndLine();
}

void TabularAttribute(TReportText& out, const TEntityReportOptions& o, const TAttribute& a, bool key)
{
  out.Piece((key ? QStringLiteral(" x  ") : QStringLiteral("    ")) + Padded(a.Name, 26));
  TabularColumns(out, o, a.ColumnName(), TypeText(a),
                 !key && a.AllowNulls ? QStringLiteral("Yes") : QStringLiteral("No"));
}

// The labelled lines of one attribute after its first line.
struct TAttributeDetails {
  bool ColName, ColType, Null, Desc;
};

void LabelledAttribute(TReportText& out, const QString& label, const TAttribute& a, TAttributeDetails d, bool key)
{
  out.Line(label + a.Name);
  if (d.ColName)
    out.Line(QStringLiteral("    Column Name: ") + a.ColumnName());
  if (d.ColType)
    out.Line(QStringLiteral("    Column Type: ") + TypeText(a));
  if (d.Null)
    out.Line(QStringLiteral("    Nullability: ") +
             (!key && a.AllowNulls ? QStringLiteral("nulls allowed") : QStringLiteral("nulls not allowed")));
  if (d.Desc)
    WriteDescription(out, QStringLiteral("    "), a.Description());
}

void WriteEntity(TReportText& out, const TEntityReportOptions& o, const TEntity& e)
{
  out.Line();
  out.Line(QStringLiteral("Entity Name: ") + e.EntityName());
  out.Line(kRule);
  if (o.TableName)
    out.Line(QStringLiteral("  Table Name:  ") + e.TableName());
  if (o.EntityDesc)
    WriteDescription(out, QStringLiteral("  "), e.Description);
  if (o.Tabular && (o.PrimaryKey || o.Attributes)) {
    out.Piece(QStringLiteral("Key ") + Padded(QStringLiteral("Attribute Name"), 26));
    TabularColumns(out, o, QStringLiteral("Column Name"), QStringLiteral("Column Type"), QStringLiteral("Null"));
  }
  if (o.PrimaryKey)
    for (const TAttribute* a : e.PrimaryKey) {
      if (o.Tabular)
        TabularAttribute(out, o, *a, true);
      else
        LabelledAttribute(out, QStringLiteral("  Primary Key: "), *a, {o.PKColName, o.PKColType, o.PKNull, o.PKDesc},
                          true);
    }
  if (o.Attributes)
    for (const TAttribute* a : e.Attributes) {
      if (o.Tabular)
        TabularAttribute(out, o, *a, false);
      else
        LabelledAttribute(out, QStringLiteral("  Attribute: "), *a,
                          {o.AttrColName, o.AttrColType, o.AttrNull, o.AttrDesc}, false);
    }
  // The entity keeps the relations it is parent of in relation-list order.
  if (o.Relations)
    for (const TRelation* r : e.ParentRelations())
      out.Line(QStringLiteral("  Relation: ") + r->RelationName() + QLatin1Char(' ') + ToManyWords(*r) +
               r->Child->EntityName() + QStringLiteral("(s)"));
}

void WriteRelation(TReportText& out, const TEntityReportOptions& o, const TRelation& r)
{
  out.Line();
  out.Line(QStringLiteral("Relation Name: ") + r.RelationName());
  out.Line(kRule);
  if (!o.Tabular) {
    out.Line(QStringLiteral("Parent Entity: ") + r.Parent->EntityName());
    out.Line(QStringLiteral("Child  Entity: ") + r.Child->EntityName());
    out.Line(QStringLiteral("Relationship : One to ") + ToManyWords(r) +
             (r.PrimaryRelation() ? QStringLiteral("Master-Detail relation.") : QStringLiteral("Foreign Key relation.")));
    if (o.RelDesc)
      WriteDescription(out, QStringLiteral("    "), r.Description);
    return;
  }
  out.Line(Padded(QStringLiteral("Parent Entity"), 28) + QLatin1Char(' ') + Padded(QStringLiteral("Child Entity"), 28) +
           QLatin1Char(' ') + Padded(QStringLiteral("Multiplicity"), 14) + QStringLiteral(" Type"));
  out.Line(Padded(r.Parent->EntityName(), 28) + QLatin1Char(' ') + Padded(r.Child->EntityName(), 28) +
           QLatin1Char(' ') + Padded(ToManyWords(r), 14) + QLatin1Char(' ') +
           (r.PrimaryRelation() ? QStringLiteral("Master-Detail") : QStringLiteral("Foreign Key")));
}

}  // namespace

void WriteDescription(TReportText& out, const QString& indent, const QStringList& lines)
{
  // Widths and cuts are counted in characters, so that a character outside
  // the Basic Multilingual Plane counts once and is never cut in half.
  const qsizetype width = std::max<qsizetype>(50 - CharacterCount(indent), 10);
  QString label = indent + QStringLiteral("Description: ");
  QString pending;
  qsizetype pendingCount = 0;
  for (QString s : lines) {
    qsizetype count = CharacterCount(s);
    while (count > width - pendingCount) {
      const qsizetype take = width - pendingCount;
      const QString head = LeftCharacters(s, static_cast<int>(take));
      out.Line(label + pending + head);
      label = indent + QString(13, QLatin1Char(' '));
      s.remove(0, head.size());
      count -= take;
      pending.clear();
      pendingCount = 0;
    }
    pending += s;
    pendingCount += count;
  }
  out.Line(label + pending);
}

QString EntityReportText(const TDiagram& model, const TEntityReportOptions& options)
{
  TReportText out;
  out.Line(QStringLiteral("Entity-Relation Report"));
  for (const TEntity* e : model.Entities)
    WriteEntity(out, options, *e);
  out.Line();
  for (const TRelation* r : model.Relations)
    WriteRelation(out, options, *r);
  out.Line();
  out.Line(QStringLiteral("End of Entity-Relation Report"));
  return out.Text();
}

void WriteEntityReport(const TDiagram& model, const TEntityReportOptions& options, const QString& fileName)
{
  WriteReportFile(fileName, EntityReportText(model, options));
}

}  // namespace veska
