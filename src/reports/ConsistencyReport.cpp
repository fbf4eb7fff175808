#include "reports/ConsistencyReport.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "reports/ReportText.h"

#include <QSet>

namespace veska {
namespace {

QString Quoted(const QString& name)
{
  return QLatin1Char('"') + name + QLatin1Char('"');
}

class TChecker {
public:
  TChecker(const TDiagram& model, const QStringList& dataTypes) : FModel(model)
  {
    for (const QString& type : dataTypes)
      FKnown.insert(type.toCaseFolded());
  }

  bool Known(const QString& baseType) const { return FKnown.contains(baseType.toCaseFolded()); }

  // A declared type, a domain's name or "Default".
  bool ValidForAttribute(const QString& dataType) const
  {
    const QString base = BaseType(dataType);
    return Known(base) || FModel.Domains.IndexOf(base) >= 0 ||
           SameText(base, QStringLiteral("default"));
  }

private:
  const TDiagram& FModel;
  QSet<QString> FKnown;
};

void CheckAttributes(TReportText& out, const TChecker& check, const TEntity& e, const TAttributeList& list,
                     const QString& kind)
{
  for (const TAttribute* a : list)
    if (!check.ValidForAttribute(a->DataType))
      out.Line(QStringLiteral("  Entity: ") + Quoted(e.EntityName()) + kind + Quoted(a->Name) +
               QStringLiteral(" has an invalid data type."));
}

}  // namespace

QString ConsistencyReportText(const TDiagram& model, const QStringList& dataTypes,
                              const TConsistencyReportOptions& options)
{
  const TChecker check(model, dataTypes);
  TReportText out;
  out.Line(QStringLiteral("Information Model Consistency Check Report"));
  if (options.Domains) {
    out.Line();
    for (const TDomain* d : model.Domains)
      if (!check.Known(BaseType(d->DataType)))
        out.Line(QStringLiteral("Domain: ") + Quoted(d->Name) + QStringLiteral(" has an invalid base data type."));
    out.Line(QStringLiteral("  Domains Check Complete."));
  }
  if (options.Entities) {
    out.Line();
    for (const TEntity* e : model.Entities) {
      if (e->PrimaryKey.IsEmpty())
        out.Line(QStringLiteral("  Entity: ") + Quoted(e->EntityName()) + QStringLiteral(" has no primarykey defined."));
      CheckAttributes(out, check, *e, e->PrimaryKey, QStringLiteral(" primarykey "));
      if (e->Attributes.IsEmpty())
        out.Line(QStringLiteral("  Entity: ") + Quoted(e->EntityName()) + QStringLiteral(" has no attributes defined."));
      CheckAttributes(out, check, *e, e->Attributes, QStringLiteral(" attribute "));
    }
    out.Line(QStringLiteral("  Entities Check Complete."));
  }
  out.Line();
  out.Line(QStringLiteral("End of Information Model Consistency Check Report"));
  return out.Text();
}

void WriteConsistencyReport(const TDiagram& model, const QStringList& dataTypes,
                            const TConsistencyReportOptions& options, const QString& fileName)
{
  WriteReportFile(fileName, ConsistencyReportText(model, dataTypes, options));
}

}  // namespace veska
