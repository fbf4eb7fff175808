#pragma once
// Text rules of names: valid identifiers and underscored texts.

#include <QString>

namespace veska {

// A non-empty text whose first character is A-Z, a-z or "_" and whose other
// characters are letters, digits or "_".
bool IsValidIdentifier(const QString& text);

// Whether a name can stand in the comma-separated lines of a diagram file
// and read back the same: no comma and no character below 32 (line breaks
// among them).
bool IsStorableName(const QString& name);
// The name with every comma and character below 32 replaced by "_".
QString StorableName(const QString& name);

// The text with every blank replaced by "_".
QString Underscored(const QString& text);

bool SameText(const QString& a, const QString& b);

// Whether both are the very same characters in memory (one text shared, or
// copies of it never changed since): then their contents are equal. Who
// keeps a copy keeps its characters alive, so another text cannot take
// their place in memory.
inline bool SameData(const QString& a, const QString& b)
{
  return a.constData() == b.constData() && a.size() == b.size();
}

// The data type name of a type text: the text before the first "(" (nothing
// trimmed), the whole text when it has none. CHAR(10) gives CHAR.
QString BaseType(const QString& typeText);

}  // namespace veska
