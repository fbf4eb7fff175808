#include "model/Objects.h"

#include "model/Identifiers.h"

namespace veska {

constinit const TAttribute::TMore TAttribute::kNoMore;

void TAttribute::SetColumnName(const QString& value)
{
  if (IsValidIdentifier(value))
    FColumnName = value;
}

std::unique_ptr<TAttribute> TAttribute::CarriedCopy() const
{
  auto copy = std::make_unique<TAttribute>();
  copy->Name = Name;
  copy->FColumnName = FColumnName;  // valid already, or empty as a new one's
  copy->DataType = DataType;
  copy->Width = Width;
  return copy;
}

void TIndex::SetIndexName(const QString& value)
{
  if (IsValidIdentifier(value))
    FName = value;
}

}  // namespace veska
