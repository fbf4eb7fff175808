#include "tablebuild/ReEngineer.h"

#include "engine/TableEngine.h"
#include "model/Entity.h"
#include "model/Identifiers.h"
#include "platform/Progress.h"
#include "surface/DrawingSurface.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace veska {
namespace {

const std::array<const char*, 22> kDataTypeOfField = {
  "Unknown",  "VarChar", "SmallInt", "Integer", "Integer", "Boolean", "Float", "Money",
  "Decimal",  "Date",    "Time",     "DateTime", "Byte",   "Byte",    "Integer", "Blob",
  "Text",     "Blob",    "Text",     "Blob",     "Blob",   "Blob",
};

// The room before the first box and between boxes, in a row and between rows.
constexpr int kMargin = 20;

}  // namespace

QString DataTypeOfField(int fieldType)
{
  if (fieldType < 0 || fieldType >= int(kDataTypeOfField.size()))
    fieldType = eftUnknown;
  return QString::fromLatin1(kDataTypeOfField.at(size_t(fieldType)));
}

QString WidthOfField(int fieldType, int size)
{
  switch (fieldType) {
  case eftString:
  case eftVarBytes: return QString::number(size);
  case eftBCD: return QStringLiteral("20,4");
  default: return QStringLiteral("0");
  }
}

QString ReEngineerCompletion(const TReEngineerResult& result)
{
  if (result.Skipped.isEmpty())
    return {};
  QString text = QStringLiteral("Processing completed.");
  for (const QString& file : result.Skipped)
    text += QStringLiteral("\n%1 was skipped: it is not a table.").arg(file);
  return text;
}

TReEngineerResult ReEngineer(TDrawingSurface& surface, const QString& directory, TProgress* progress)
{
  TReEngineerResult result;
  const QStringList tables = ListTables(directory);
  TProgressRun run(progress, QStringLiteral("Reading tables of ") + QDir::toNativeSeparators(directory),
                   tables.size());
  qint64 done = 0;
  TRowPlacer rows;
  for (const QString& file : tables) {
    QList<TFieldInfo> fields;
    std::optional<TEngineError> error;
    try {
      fields = ReadTableFields(directory, file);
    } catch (const TNotATableError&) {
      result.Skipped << file;
      run.Step(++done);
      continue;
    } catch (const TEngineError& e) {
      // A damaged table still gets its entity before the reading ends.
      error = e;
    }
    auto created = std::make_unique<TEntity>();
    created->SetPosition(rows.NextLeft(), rows.NextTop());
    TEntity* entity = surface.AddEntity(std::move(created));
    // Names the diagram file could not hold (a comma, a control character)
    // take "_" in their place, for the entity as for its attributes.
    const QString name = StorableName(file.section(QLatin1Char('.'), 0, 0));
    // The entity just added is the last one; renaming by its own position
    // also holds when the surface was not empty.
    surface.RenameEntity(surface.Entities.Count() - 1, name);
    entity->SetTableName(name);
    if (error)
      throw *error;
    int keys = 0;
    int others = 0;
    for (const TFieldInfo& field : fields) {
      const bool key = field.InPrimaryIndex;
      const int pos = key ? keys++ : others++;
      const QString fieldName = StorableName(field.Name);
      TAttribute* a = key ? entity->InsertKeyAttribute(pos, fieldName) : entity->InsertAttribute(pos, fieldName);
      entity->ChangeAttributeDataType(key, pos, DataTypeOfField(field.Type));
      entity->ChangeAttributeWidth(key, pos, WidthOfField(field.Type, field.Size));
      a->AllowNulls = false;
    }
    entity->Repaint();  // its size follows the attributes read
    run.Step(++done);

    rows.Place(surface, *entity);
  }
  rows.Finish(surface);
  return result;
}

void TRowPlacer::Place(TDrawingSurface& surface, TEntity& entity)
{
  // With its size known, the box goes right of the last one, or starts a
  // new row below the row's tallest box when it would pass the surface's
  // right edge.
  if (FLeft > kMargin && FLeft + entity.Width > surface.Width - kMargin) {
    FTop = FRowBottom + kMargin;
    FLeft = kMargin;
  }
  entity.SetPosition(FLeft, FTop);
  FLeft += entity.Width + kMargin;
  FRowBottom = std::max(FRowBottom, FTop + entity.Height);
  surface.Width = std::max(surface.Width, FLeft);
}

void TRowPlacer::Finish(TDrawingSurface& surface) const
{
  surface.Height = std::max({surface.Height, FTop + 80, FRowBottom + kMargin});
}

}  // namespace veska
