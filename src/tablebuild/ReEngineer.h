#pragma once
// Reads the structure of a directory of desktop tables into a model: one
// entity per table, one attribute per field, the fields of the primary index
// as key attributes. Relations, domains and indexes are not read.

#include <QString>
#include <QStringList>

namespace veska {

class TDrawingSurface;
class TEntity;
class TProgress;

// Lays boxes out in rows from (20, 20), in the order placed: each box 20
// pixels right of the one before, a new row 20 pixels below the row's
// tallest box where the surface's width is reached; the surface grows to
// hold the boxes (at least 80 pixels below the last row's top once
// Finish is called). Each box is placed with its size known.
class TRowPlacer {
public:
  void Place(TDrawingSurface& surface, TEntity& entity);
  void Finish(TDrawingSurface& surface) const;
  // Where the next box goes if it fits in the row.
  int NextLeft() const { return FLeft; }
  int NextTop() const { return FTop; }

private:
  int FTop = 20;
  int FLeft = 20;
  int FRowBottom = 20;  // of the tallest box of the row
};

// The model data type and width text that a field of the engine becomes.
QString DataTypeOfField(int fieldType);
QString WidthOfField(int fieldType, int size);

struct TReEngineerResult {
  QStringList Skipped;  // files listed as tables that are no tables at all
};

// Adds the tables of `directory`, in the order the engine lists them, laid
// out in rows from (20, 20): each box 20 pixels right of the one before, a
// new row 20 pixels below the row's tallest box where the surface's width
// is reached; the surface grows to hold the boxes (at least 80 pixels below
// the last row's top).
// A file that is no table at all (another program's file under a table's
// extension) is skipped and named in the result. An engine error ends the
// reading and propagates (TEngineError); the entities read until then stay.
// A `progress` counts the files looked at.
TReEngineerResult ReEngineer(TDrawingSurface& surface, const QString& directory, TProgress* progress = nullptr);

// The information to show when the reading has completed: empty when every
// file listed was read, else "Processing completed." and a line for each
// file skipped.
QString ReEngineerCompletion(const TReEngineerResult& result);

}  // namespace veska
