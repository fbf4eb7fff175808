#pragma once
// Enumerations of the information model and the drawing surface, with their
// members in stored order (files hold member number + 1).

#include <cstdint>

namespace veska {

enum TDrawingTool : std::uint8_t {
  dtPointer,
  dtEntity,
  dtRelationOneToManyForeign,
  dtRelationOneToManyMaster,
  dtRelationOneToOneForeign,
  dtRelationOneToOneMaster,
  dtLabel,
};

enum TEntityDisplayMode : std::uint8_t { emName, emPrimaryKey, emAttributes, emColumns, emSchema };

enum TFormStyleType : std::uint8_t { fsGrid, fsHorizontal, fsVertical };

enum class TDisplayType : std::uint8_t { Default, Edit, Lookup, ListBox, CheckBox, RadioButton, Text };
constexpr int kDisplayTypeCount = 7;

// 0 no symbol, 1 "to zero or one" (circle), 2 crow's foot, 3 "to zero or many"
// (circle and crow's foot).
using TRelationCardinality = std::uint8_t;
constexpr TRelationCardinality kCardinalityZeroOrOne = 1;
constexpr TRelationCardinality kCardinalityZeroOrMany = 3;

enum class TDisplayLocation : std::uint8_t { TopLeft, BottomLeft, TopRight, BottomRight };

// Whether a cardinality is put into words as "zero or many" (2 and 3) rather
// than "zero or one" (0 and 1).
constexpr bool IsToMany(TRelationCardinality c) { return c >= 2; }

}  // namespace veska
