#include "sqlreverse/SqlText.h"

#include "sqlreverse/SqlCatalog.h"

namespace veska {
namespace sqltext {

std::vector<TToken> Tokenize(const QString& text)
{
  std::vector<TToken> tokens;
  const qsizetype n = text.size();
  qsizetype i = 0;
  auto at = [&](qsizetype p) { return p < n ? text[p] : QChar(); };
  while (i < n) {
    const QChar c = text[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (c == QLatin1Char('-') && at(i + 1) == QLatin1Char('-')) {
      while (i < n && text[i] != QLatin1Char('\n'))
        ++i;
      continue;
    }
    if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
      const qsizetype close = text.indexOf(QStringLiteral("*/"), i + 2);
      i = close < 0 ? n : close + 2;
      continue;
    }
    TToken token;
    token.Start = i;
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[') || c == QLatin1Char('\'')) {
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      token.Kind = c == QLatin1Char('\'') ? TToken::String : TToken::QuotedName;
      ++i;
      QString inside;
      while (i < n) {
        if (text[i] == close) {
          // A doubled quote stands for one, except in [...].
          if (close != QLatin1Char(']') && at(i + 1) == close) {
            inside += close;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        inside += text[i++];
      }
      token.Text = token.Kind == TToken::String ? text.mid(token.Start, i - token.Start) : inside;
    } else if (c.isLetter() || c == QLatin1Char('_') || c.unicode() > 127) {
      token.Kind = TToken::Word;
      while (i < n && (text[i].isLetterOrNumber() || text[i] == QLatin1Char('_') || text[i] == QLatin1Char('$')
                       || text[i].unicode() > 127))
        ++i;
      token.Text = text.mid(token.Start, i - token.Start);
    } else if (c.isDigit()) {
      token.Kind = TToken::Number;
      while (i < n && (text[i].isLetterOrNumber() || text[i] == QLatin1Char('.')))
        ++i;
      token.Text = text.mid(token.Start, i - token.Start);
    } else {
      token.Kind = TToken::Symbol;
      token.Text = c;
      ++i;
    }
    token.End = i;
    tokens.push_back(token);
  }
  return tokens;
}

size_t ClosingParenthesis(const std::vector<TToken>& tokens, size_t open)
{
  int depth = 0;
  for (size_t i = open; i < tokens.size(); ++i) {
    if (tokens[i].IsSymbol('('))
      ++depth;
    else if (tokens[i].IsSymbol(')') && --depth == 0)
      return i;
  }
  return tokens.size();
}

}  // namespace sqltext

QString CheckCondition(QString clause)
{
  using namespace sqltext;
  clause = clause.trimmed();
  std::vector<TToken> tokens = Tokenize(clause);
  if (!tokens.empty() && tokens.front().IsWord("CHECK")) {
    clause = clause.mid(tokens.front().End).trimmed();
    tokens = Tokenize(clause);
  }
  // Parentheses around the whole condition go, as many pairs as there are.
  while (tokens.size() >= 2 && tokens.front().IsSymbol('(') && ClosingParenthesis(tokens, 0) == tokens.size() - 1) {
    clause = clause.mid(tokens.front().End, tokens.back().Start - tokens.front().End).trimmed();
    tokens = Tokenize(clause);
  }
  return clause;
}

QStringList NamesInCondition(const QString& condition)
{
  QStringList names;
  for (const sqltext::TToken& token : sqltext::Tokenize(condition))
    if (token.IsName() && !names.contains(token.Text))
      names << token.Text;
  return names;
}

}  // namespace veska
