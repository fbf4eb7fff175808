// The rules of the names a run is given: the application's name and the
// entities chosen for forms.
#include "appgen/AppExpert.h"

#include "platform/TextEncoding.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace veska {

namespace {

// The reserved words of the target's Pascal: no identifier may be one.
const QSet<QString>& ReservedWords()
{
  static const QSet<QString> words = [] {
    QSet<QString> set;
    for (const char* word :
         {"and", "array", "as", "asm", "begin", "case", "class", "const", "constructor", "destructor",
          "dispinterface", "div", "do", "downto", "else", "end", "except", "exports", "file", "finalization",
          "finally", "for", "function", "goto", "if", "implementation", "in", "inherited", "initialization",
          "inline", "interface", "is", "label", "library", "mod", "nil", "not", "object", "of", "or", "out",
          "packed", "procedure", "program", "property", "raise", "record", "repeat", "resourcestring", "set",
          "shl", "shr", "string", "then", "threadvar", "to", "try", "type", "unit", "until", "uses", "var",
          "while", "with", "xor"})
      set.insert(QString::fromLatin1(word));
    return set;
  }();
  return words;
}

bool IsAsciiLetter(QChar c)
{
  return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool IsAsciiDigit(QChar c)
{
  return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsIdentifier(const QString& name)
{
  if (name.isEmpty() || IsAsciiDigit(name[0]))
    return false;
  return std::all_of(name.begin(), name.end(),
                     [](QChar c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == QLatin1Char('_'); });
}

// The unit of the generated project that an identifier names (as the project
// spells it), or an empty text: the main unit, the units of the forms, and
// the units that the project file and the compiler bring in.
QString ProjectUnitNamed(const QString& identifier)
{
  static const QRegularExpression formUnit(QStringLiteral("^CUnit(0|[1-9][0-9]*)$"),
                                           QRegularExpression::CaseInsensitiveOption);
  if (const auto match = formUnit.match(identifier); match.hasMatch())
    return QStringLiteral("CUnit") + match.captured(1);
  for (const char* unit : {"CMain", "Forms", "KXUtils", "BrModal", "System", "SysInit"})
    if (identifier.compare(QLatin1String(unit), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(unit);
  return {};
}

}  // namespace

QString AppNameRefusal(const QString& name)
{
  // The name is the program's name in the project file and the name of the
  // project and settings files: a name the compiler refuses gives a project
  // that cannot be built.
  if (name.isEmpty())
    return QStringLiteral("The application needs a name: it names the project and its files.");
  if (CharacterCount(name) > 8)
    return QStringLiteral("The application name \"%1\" is longer than 8 characters.").arg(name);
  if (!IsIdentifier(name))
    return QStringLiteral("The application name \"%1\" is not an identifier: use the letters A to Z, digits "
                          "and \"_\", and begin with a letter or \"_\".")
        .arg(name);
  if (ReservedWords().contains(name.toLower()))
    return QStringLiteral("The application name \"%1\" is a reserved word of Pascal.").arg(name);
  if (const QString unit = ProjectUnitNamed(name); !unit.isEmpty())
    return QStringLiteral("The application name \"%1\" is the name of the unit %2 of the generated project.")
        .arg(name, unit);
  return {};
}

QString FormListRefusal(const QStringList& forms)
{
  if (forms.isEmpty())
    return QStringLiteral("No entity is chosen: the application needs at least one form.");
  QSet<QString> seen;
  for (const QString& name : forms) {
    if (name.isEmpty())
      return QStringLiteral("An empty name is among the entities chosen for forms.");
    if (seen.contains(name.toCaseFolded()))
      return QStringLiteral("The entity %1 is chosen twice for a form.").arg(name);
    seen.insert(name.toCaseFolded());
  }
  return {};
}

}  // namespace veska
