#pragma once
// The plain objects of the model: domains, attributes, indexes and server
// processes.

#include "model/StringList.h"
#include "model/Types.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

namespace veska {

class TDomain {
public:
  QString Name;
  QString DataType = QStringLiteral("Default");
  QString Rule;
  QStringList Description;

  void SetDataType(const QString& value) { DataType = value; }
};

class TAttribute {
public:
  QString Name;
  const QString& ColumnName() const { return FColumnName; }
  // Assigns only a valid identifier; anything else leaves the old value.
  void SetColumnName(const QString& value);
  QString DataType = QStringLiteral("Default");
  QString Width = QStringLiteral("0");
  QString DefaultValue;
  QString Rule;
  bool AllowNulls = true;
  bool ForeignKey = false;
  TDisplayType DisplayType = TDisplayType::Default;
  int ControlTop = 0;
  int ControlLeft = 0;
  int ControlWidth = 0;
  QStringList Description;

  // The copy that a relation carries into its child: this attribute's name,
  // column name, data type and width, every other field at its default.
  std::unique_ptr<TAttribute> CarriedCopy() const;

  // Copies every field (used when a stored record replaces a carried copy).
  void AssignFields(const TAttribute& other) { *this = other; }
  void AssignFields(TAttribute&& other) { *this = std::move(other); }

private:
  QString FColumnName;
};

using TAttributeList = TStringList<TAttribute, true>;
using TAttributeRefs = TStringList<TAttribute, false>;

class TIndex {
public:
  const QString& Name() const { return FName; }
  // Assigns only a valid identifier; anything else leaves the old value.
  void SetIndexName(const QString& value);
  // Assigns without the identifier check (names read from a diagram file).
  void AssignName(const QString& value) { FName = value; }
  bool Unique = false;
  bool Reserved = false;
  // The indexed attributes, in order; they belong to the entity.
  TAttributeRefs Columns;

private:
  QString FName;
};

using TIndexList = TStringList<TIndex, true>;

class TServerProc {
public:
  QString Name;
  QString Server;
  QStringList Text;
};

}  // namespace veska
