#include "sqlreverse/ReverseTypes.h"

#include "model/Identifiers.h"

#include <algorithm>

namespace veska {

namespace {

// Data types preferred where several entries give the same SQL type; the
// rest rank after them in map order.
const QStringList kPreferred = {
    QStringLiteral("VarChar"), QStringLiteral("Char"),     QStringLiteral("Integer"), QStringLiteral("SmallInt"),
    QStringLiteral("Decimal"), QStringLiteral("Double"),   QStringLiteral("Real"),    QStringLiteral("Boolean"),
    QStringLiteral("Date"),    QStringLiteral("DateTime"), QStringLiteral("Time"),    QStringLiteral("Text"),
    QStringLiteral("Blob"),    QStringLiteral("AutoInc"),
};

QString Normalised(const QString& type)
{
  QString text = type.toLower().simplified();
  // No blanks inside parentheses or before them; one after them stays
  // ("tinyint(3) unsigned").
  static const QRegularExpression kBlankAround(QStringLiteral("\\s*([(,])\\s*|\\s*(\\))"));
  text.replace(kBlankAround, QStringLiteral("\\1\\2"));
  return text;
}

}  // namespace

QString NormalSqlType(TSqlDialect dialect, const QString& type)
{
  QString text = Normalised(type);
  if (dialect == TSqlDialect::PostgreSQL) {
    static const QRegularExpression kVarying(QStringLiteral("^character varying\\b"));
    static const QRegularExpression kCharacter(QStringLiteral("^character\\b"));
    static const QRegularExpression kBitVarying(QStringLiteral("^bit varying\\b"));
    text.replace(kVarying, QStringLiteral("varchar"));
    text.replace(kCharacter, QStringLiteral("char"));
    text.replace(kBitVarying, QStringLiteral("varbit"));
    text.remove(QStringLiteral(" without time zone"));
  } else if (dialect == TSqlDialect::MySQL) {
    if (text == QLatin1String("tinyint(1)"))
      return QStringLiteral("boolean");
    static const QRegularExpression kDisplayWidth(QStringLiteral("^(tinyint|smallint|mediumint|int|integer|bigint)\\(\\d+\\)"));
    text.replace(kDisplayWidth, QStringLiteral("\\1"));
  }
  return text;
}

TReverseTypeMap::TReverseTypeMap(const TTypeMap& sqlTypes, TSqlDialect dialect) : FDialect(dialect)
{
  const QStringList& types = sqlTypes.DataTypes();
  const QStringList& values = sqlTypes.FieldTypeNames();
  for (qsizetype i = 0; i < types.size() && i < values.size(); ++i) {
    const QString& type = types[i];
    if (values[i].trimmed().isEmpty() || type.endsWith(QLatin1String("(FK)"), Qt::CaseInsensitive)
        || SameText(type, QStringLiteral("Default")))
      continue;
    TEntry entry;
    entry.DataType = type;
    QString value = values[i];
    entry.Identity = value.contains(QLatin1String("{identity}"));
    value.remove(QStringLiteral("{identity}"));
    value = NormalSqlType(dialect, value);
    // "(...{size}...)" or "(...{size|D}...)" becomes an optional group that
    // captures the size; the rest must match as written.
    static const QRegularExpression kSizeGroup(QStringLiteral("\\(\\{size(?:\\|([^}]*))?\\}\\)"));
    const QRegularExpressionMatch group = kSizeGroup.match(value);
    QString pattern;
    if (group.hasMatch()) {
      entry.DefaultSize = Normalised(group.captured(1));
      pattern = QRegularExpression::escape(value.left(group.capturedStart()))
                + QStringLiteral("(?:\\((\\d+(?:,\\d+)?)\\))?")
                + QRegularExpression::escape(value.mid(group.capturedEnd()));
    } else if (value.contains(QLatin1String("{size"))) {
      continue;  // a size outside parentheses: no text to tell it by
    } else {
      pattern = QRegularExpression::escape(value);
    }
    entry.Pattern = QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'));
    const auto preferred = std::find_if(kPreferred.begin(), kPreferred.end(),
                                        [&](const QString& p) { return SameText(p, type); });
    entry.Rank = preferred != kPreferred.end() ? int(preferred - kPreferred.begin()) : int(kPreferred.size() + i);
    FEntries.push_back(std::move(entry));
  }
  std::stable_sort(FEntries.begin(), FEntries.end(), [](const TEntry& a, const TEntry& b) { return a.Rank < b.Rank; });
}

const TReverseTypeMap::TEntry* TReverseTypeMap::Match(const QString& normal, bool identity, QString& size) const
{
  // An identity column whose type no counter has still keeps its type.
  for (const bool counter : {identity, false}) {
    for (const TEntry& entry : FEntries) {
      if (entry.Identity != counter)
        continue;
      const QRegularExpressionMatch m = entry.Pattern.match(normal);
      if (!m.hasMatch())
        continue;
      size = m.captured(1);
      if (size == entry.DefaultSize)
        size.clear();
      return &entry;
    }
    if (!identity)
      break;
  }
  return nullptr;
}

TModelType TReverseTypeMap::Find(const QString& sqlType, bool identity) const
{
  QString size;
  const TEntry* entry = Match(NormalSqlType(FDialect, sqlType), identity, size);
  if (!entry)
    return {sqlType.simplified()};
  if (size.contains(QLatin1Char(',')))
    return {entry->DataType + QLatin1Char('(') + size + QLatin1Char(')')};
  if (!size.isEmpty())
    return {entry->DataType, size};
  return {entry->DataType};
}

QString TReverseTypeMap::FindDataType(const QString& sqlType) const
{
  QString size;
  const TEntry* entry = Match(NormalSqlType(FDialect, sqlType), false, size);
  if (!entry)
    return sqlType.simplified();
  return size.isEmpty() ? entry->DataType : entry->DataType + QLatin1Char('(') + size + QLatin1Char(')');
}

}  // namespace veska
