#pragma once
// Reads the structure of a directory of desktop tables into a model: one
// entity per table, one attribute per field, the fields of the primary index
// as key attributes. Relations, domains and indexes are not read.

#include <QString>

namespace veska {

class TDrawingSurface;
class TProgress;

// The model data type and width text that a field of the engine becomes.
QString DataTypeOfField(int fieldType);
QString WidthOfField(int fieldType, int size);

// Adds the tables of `directory`, in the order the engine lists them, laid
// out in rows from (20, 20); the surface grows downwards to hold the last row.
// An engine error ends the reading and propagates (TEngineError); the
// entities read until then stay. A `progress` counts the tables read.
void ReEngineer(TDrawingSurface& surface, const QString& directory, TProgress* progress = nullptr);

}  // namespace veska
