#pragma once
// Reading pieces of SQL text that catalogs keep as text: SQLite's CREATE
// TABLE statements, the conditions of CHECKs.

#include <QString>

#include <vector>

namespace veska::sqltext {

struct TToken {
  enum TKind { Word, QuotedName, String, Number, Symbol };
  TKind Kind = Symbol;
  // A name without its quotes (doubled quotes made one); a word, string,
  // number or symbol as written.
  QString Text;
  qsizetype Start = 0;  // in the source
  qsizetype End = 0;    // one past the last character

  bool IsName() const { return Kind == Word || Kind == QuotedName; }
  bool IsWord(const char* word) const { return Kind == Word && Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0; }
  bool IsSymbol(char symbol) const { return Kind == Symbol && Text == QLatin1Char(symbol); }
};

// The tokens of the text; comments and blanks are left out. An unclosed
// quote or comment runs to the end of the text.
std::vector<TToken> Tokenize(const QString& text);

// The position of the ")" that closes the "(" at `open`, or tokens.size().
size_t ClosingParenthesis(const std::vector<TToken>& tokens, size_t open);

}  // namespace veska::sqltext
