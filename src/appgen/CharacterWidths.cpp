// How wide a field of a data type is, in characters.
#include "appgen/AppGenerator.h"

#include "model/Diagram.h"
#include "model/Objects.h"

#include <QHash>

#include <algorithm>

namespace veska {

namespace {

struct TTypeWidth {
  int Width;
  bool Sized;  // the size adds to the width
};

// The character widths of the data type names, keyed by the case-folded name.
const QHash<QString, TTypeWidth>& TypeWidths()
{
  static const QHash<QString, TTypeWidth> widths = [] {
    const struct {
      const char* Name;
      TTypeWidth Width;
    } table[] = {
      {"Binary", {0, true}},     {"Blob", {20, false}},      {"Boolean", {1, false}},  {"Byte", {0, false}},
      {"Char", {0, true}},       {"Date", {10, false}},      {"DateTime", {10, false}}, {"Decimal", {12, true}},
      {"Double", {12, false}},   {"Float", {12, false}},     {"Int", {6, false}},      {"Integer", {6, false}},
      {"LongBinary", {0, false}}, {"LongVarChar", {0, false}}, {"Money", {14, false}},  {"Numeric", {12, true}},
      {"Number", {12, true}},    {"Real", {12, false}},      {"SmallInt", {4, false}}, {"Text", {0, false}},
      {"Time", {10, false}},     {"TimeStamp", {10, false}}, {"VarChar", {0, true}},
    };
    QHash<QString, TTypeWidth> h;
    for (const auto& entry : table)
      h.insert(QString::fromLatin1(entry.Name).toCaseFolded(), entry.Width);
    return h;
  }();
  return widths;
}

// A size is a decimal number: digits, after an optional sign, and nothing
// else (no blanks); 10 when it is none or does not fit an int.
int SizeOf(const QString& text)
{
  const qsizetype start = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? 1 : 0;
  const bool digits = text.size() > start && std::all_of(text.begin() + start, text.end(), [](QChar c) {
                        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                      });
  bool ok = false;
  const int n = digits ? text.toInt(&ok) : 0;
  return ok ? n : 10;
}

}  // namespace

int CharacterWidth(const TDiagram& model, const QString& typeText)
{
  QString text = typeText;
  const qsizetype open = text.indexOf(QLatin1Char('('));
  if (const TDomain* domain = model.Domains.Find(open < 0 ? text : text.left(open)))
    text = domain->DataType;

  QString name = text;
  QString size = QStringLiteral("0");
  if (const qsizetype paren = text.indexOf(QLatin1Char('(')); paren >= 0) {
    name = text.left(paren);
    size = text.mid(paren + 1);
    const qsizetype comma = size.indexOf(QLatin1Char(','));
    const qsizetype close = size.indexOf(QLatin1Char(')'));
    if (comma >= 0)
      size.truncate(comma);
    else if (close >= 0)
      size.truncate(close);
  }

  qint64 width = 10;
  const auto it = TypeWidths().constFind(name.toCaseFolded());
  if (it != TypeWidths().constEnd()) {
    width = it->Width;
    if (it->Sized)
      width += SizeOf(size);
  }
  return int(std::clamp<qint64>(width, 4, 50));
}

int AttributeCharacterWidth(const TDiagram& model, const TAttribute& attribute)
{
  return CharacterWidth(model, attribute.DataType + QLatin1Char('(') + attribute.Width + QLatin1Char(')'));
}

}  // namespace veska
