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

// Owns an object that is copied with its owner; empty until made.
template <typename T>
class TCopiedPtr {
public:
  TCopiedPtr() = default;
  TCopiedPtr(const TCopiedPtr& other) : FObject(other.FObject ? std::make_unique<T>(*other.FObject) : nullptr) {}
  TCopiedPtr(TCopiedPtr&&) noexcept = default;
  TCopiedPtr& operator=(const TCopiedPtr& other)
  {
    if (this != &other)
      FObject = other.FObject ? std::make_unique<T>(*other.FObject) : nullptr;
    return *this;
  }
  TCopiedPtr& operator=(TCopiedPtr&&) noexcept = default;

  const T* Get() const { return FObject.get(); }
  T& Made()
  {
    if (!FObject)
      FObject = std::make_unique<T>();
    return *FObject;
  }

private:
  std::unique_ptr<T> FObject;
};

class TAttribute {
public:
  QString Name;
  const QString& ColumnName() const { return FColumnName; }
  // Assigns only a valid identifier; anything else leaves the old value.
  void SetColumnName(const QString& value);
  QString DataType = QStringLiteral("Default");
  QString Width = QStringLiteral("0");
  bool AllowNulls = true;
  bool ForeignKey = false;
  TDisplayType DisplayType = TDisplayType::Default;

  // The fields that most attributes leave empty (every carried copy does)
  // are held apart, made when one of them is first given a value.
  const QString& DefaultValue() const { return More().DefaultValue; }
  void SetDefaultValue(const QString& value) { SetMore(&TMore::DefaultValue, value); }
  const QString& Rule() const { return More().Rule; }
  void SetRule(const QString& value) { SetMore(&TMore::Rule, value); }
  int ControlTop() const { return More().ControlTop; }
  void SetControlTop(int value) { SetMore(&TMore::ControlTop, value); }
  int ControlLeft() const { return More().ControlLeft; }
  void SetControlLeft(int value) { SetMore(&TMore::ControlLeft, value); }
  int ControlWidth() const { return More().ControlWidth; }
  void SetControlWidth(int value) { SetMore(&TMore::ControlWidth, value); }
  const QStringList& Description() const { return More().Description; }
  void SetDescription(const QStringList& value) { SetMore(&TMore::Description, value); }
  // Where the rarely set fields are, if any (for reading ahead).
  const void* MoreFields() const { return FMore.Get(); }

  // The copy that a relation carries into its child: this attribute's name,
  // column name, data type and width, every other field at its default.
  std::unique_ptr<TAttribute> CarriedCopy() const;

  // Copies every field (used when a stored record replaces a carried copy).
  void AssignFields(const TAttribute& other) { *this = other; }
  void AssignFields(TAttribute&& other) { *this = std::move(other); }

private:
  struct TMore {
    QString DefaultValue;
    QString Rule;
    QStringList Description;
    int ControlTop = 0;
    int ControlLeft = 0;
    int ControlWidth = 0;
  };
  static const TMore kNoMore;

  const TMore& More() const { return FMore.Get() ? *FMore.Get() : kNoMore; }
  template <typename TField, typename TValue>
  void SetMore(TField TMore::*field, const TValue& value)
  {
    // An empty value needs no fields of its own.
    if (FMore.Get() || !(value == TField()))
      FMore.Made().*field = value;
  }

  QString FColumnName;
  TCopiedPtr<TMore> FMore;
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
