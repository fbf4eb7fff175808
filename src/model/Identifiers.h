#pragma once
// Text rules of names: valid identifiers and underscored texts.

#include <QString>

namespace veska {

// A non-empty text whose first character is A-Z, a-z or "_" and whose other
// characters are letters, digits or "_".
bool IsValidIdentifier(const QString& text);

// The text with every blank replaced by "_".
QString Underscored(const QString& text);

bool SameText(const QString& a, const QString& b);

// The data type name of a type text: the text before the first "(" (nothing
// trimmed), the whole text when it has none. CHAR(10) gives CHAR.
QString BaseType(const QString& typeText);

}  // namespace veska
