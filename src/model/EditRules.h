#pragma once
// Rules that editors apply to the model: turning the edited lines of an
// attribute list into inserts, renames and deletes, and deciding whether a
// typed name may replace an object's name. They work without widgets, so an
// editor only hands them what the user typed and shows what they answer.

#include <QString>
#include <QStringList>

namespace veska {

class TDiagram;
class TEntity;
class TRelation;

// What applying edited attribute lines did.
struct TAttributeLinesResult {
  // The lines as the editor should show them now; differs from the lines
  // given when an emptied line was dropped or a refused deletion put a line
  // back.
  QStringList Lines;
  // A carried-in attribute (ForeignKey) was kept although its line went.
  bool Refused = false;
  // The line that an emptied line was dropped from, -1 for none.
  int DroppedLine = -1;
  // A comma or a character below 32 in a line was replaced by "_": a name
  // that the diagram file could not hold is never made.
  bool Replaced = false;
};

// Applies the lines of a list of attribute names, one name per line, to the
// entity's key (key = true) or non-key attributes, comparing them with the
// names the attributes have now:
// - a different number of lines: attributes without a line (letter case
//   ignored) are deleted, and non-empty lines without an attribute are
//   inserted at their place among the non-empty lines; existing attributes
//   never move;
// - the same number: an emptied line deletes the attribute at its position
//   and leaves the lines; a changed line renames the attribute at its
//   position (a change of letter case alone does not).
// Commas and characters below 32 in a line become "_" first.
// Carried-in attributes are never deleted; then the result's lines are the
// attribute names again, so the lines and the attributes stay line for line
// in step.
TAttributeLinesResult ApplyAttributeLines(TEntity& entity, bool key, const QStringList& lines);

// The message that refuses a typed name for an object, or an empty text
// when the rename may go ahead. A change of letter case alone is accepted
// (the rename then keeps the name as it is).
QString EntityNameRefusal(const TDiagram& diagram, const TEntity& entity, const QString& name);
QString RelationNameRefusal(const TDiagram& diagram, const TRelation& relation, const QString& name);
QString DomainNameRefusal(const QString& name);
// A process may have an empty name, not one the diagram file cannot hold.
QString ProcessNameRefusal(const QString& name);
// Making a relation primary is refused when it would close a cycle of
// primary relations.
QString PrimaryRelationRefusal(const TDiagram& diagram, const TRelation& relation, bool primary);
// Index names are checked for duplicates only: a name that is not a valid
// identifier is left out by the rename without a message.
QString IndexNameRefusal(const TEntity& entity, int pos, const QString& name);

}  // namespace veska
