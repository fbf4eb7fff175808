#include "sqlbuild/SqlTypes.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"
#include "platform/IniFile.h"

#include <QRegularExpression>

namespace veska {

TTypeMap ReadSqlTypeMap(const TIniFile& ini, const QString& server)
{
  return ReadTypeMap(ini, server + QStringLiteral("-SqlTypes"));
}

namespace {

const QString kSize = QStringLiteral("{size}");
const QString kIdentity = QStringLiteral("{identity}");

// The text inside the parentheses of a type text, or none when it has none.
std::optional<QString> ParenthesesOf(const QString& typeText)
{
  const qsizetype open = typeText.indexOf(QLatin1Char('('));
  if (open < 0)
    return std::nullopt;
  const qsizetype close = typeText.indexOf(QLatin1Char(')'), open);
  return typeText.mid(open + 1, close < 0 ? -1 : close - open - 1);
}

// The size arguments as the server reads them ("10,2"), or none when the
// text is no size.
std::optional<QString> NormalSize(const QString& text)
{
  static const QRegularExpression kSizeText(QStringLiteral("^\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?$"));
  const QRegularExpressionMatch m = kSizeText.match(text);
  if (!m.hasMatch())
    return std::nullopt;
  return m.captured(2).isEmpty() ? m.captured(1) : m.captured(1) + QLatin1Char(',') + m.captured(2);
}

// The size arguments that an attribute's type text and width give: empty
// for none, no value for a text that is no size.
std::optional<QString> SizeOf(const QString& typeText, const QString& width)
{
  QString text;
  if (const auto inside = ParenthesesOf(typeText))
    text = *inside;
  else if (bool ok = false; width.trimmed().isEmpty() || (width.toInt(&ok) == 0 && ok))
    return QString();
  else
    text = width;
  return NormalSize(text);
}

TSqlType Lookup(const QString& typeText, bool foreignKey, const QString& width, const TServerDefinition& server,
                const TTypeMap& sqlTypes, const QString& owner)
{
  TSqlType result;
  const std::optional<QString> value = sqlTypes.LookupVariant(BaseType(typeText), foreignKey);
  if (!value || value->trimmed().isEmpty()) {
    result.Error = QStringLiteral("The data type %1 of %2 has no SQL type on the server %3 (section [%3-SqlTypes]).")
                       .arg(typeText, owner, server.Name);
    return result;
  }
  const std::optional<QString> size = SizeOf(typeText, width);
  if (!size) {
    if (value->contains(QStringLiteral("{size"))) {
      result.Error = QStringLiteral("The size of %1 is no number and no \"digits,decimals\" pair: %2 (width %3).")
                         .arg(owner, typeText, width);
      return result;
    }
    return ExpandSqlType(*value, QString());
  }
  return ExpandSqlType(*value, *size);
}

}  // namespace

TSqlType ExpandSqlType(const QString& value, const QString& size)
{
  TSqlType result;
  QString text = value;
  if (size.isEmpty()) {
    // A group "(...{size}...)" with nothing to hold goes with the blanks before it.
    static const QRegularExpression kGroup(QStringLiteral("\\s*\\([^()]*\\{size\\}[^()]*\\)"));
    text.remove(kGroup);
  }
  static const QRegularExpression kSizeWithDefault(QStringLiteral("\\{size\\|([^}]*)\\}"));
  QRegularExpressionMatch m;
  while ((m = kSizeWithDefault.match(text)).hasMatch())
    text.replace(m.capturedStart(), m.capturedLength(), size.isEmpty() ? m.captured(1) : size);
  text.replace(kSize, size);
  if (text.contains(kIdentity)) {
    result.Identity = true;
    text.remove(kIdentity);
  }
  result.Type = text.simplified();
  return result;
}

TSqlType SqlTypeOf(const TAttribute& attribute, const TEntity& entity, const TDiagram& model,
                   const TServerDefinition& server, const TTypeMap& sqlTypes)
{
  const QString typeText = ResolvedDataType(attribute.DataType, model, server.DefaultDataType);
  return Lookup(typeText, attribute.ForeignKey, attribute.Width, server, sqlTypes,
                QStringLiteral("the attribute %1 in the entity %2").arg(attribute.Name, entity.EntityName()));
}

TSqlType SqlTypeOf(const TDomain& domain, const TServerDefinition& server, const TTypeMap& sqlTypes)
{
  QString typeText = domain.DataType;
  if (SameText(typeText, QStringLiteral("Default")))
    typeText = server.DefaultDataType;
  return Lookup(typeText, false, QString(), server, sqlTypes, QStringLiteral("the domain %1").arg(domain.Name));
}

}  // namespace veska
