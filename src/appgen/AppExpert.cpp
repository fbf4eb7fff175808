#include "appgen/AppGenerator.h"

#include "appgen/LibraryCipher.h"
#include "formresource/FormResource.h"
#include "tablebuild/ServerDefinitions.h"
#include "model/Entity.h"
#include "model/Relation.h"
#include "platform/IniFile.h"
#include "platform/Progress.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"
#include "platform/TextMeasurer.h"
#include "surface/DrawingSurface.h"

#include <QDir>
#include <QFont>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <limits>
#include <utility>

namespace veska {

TAppGenError::TAppGenError(const QString& message) : std::runtime_error(message.toStdString()) {}

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

QString LibraryFilePath(const TIniFile& ini, const QString& programDirectory)
{
  const QString name = ReadLibraryFileName(ini);
  return name.isEmpty() ? QString() : QDir(programDirectory).filePath(name);
}

// ---------------------------------------------------------------- library

QStringList ParseTemplateLibrary(const QByteArray& enciphered, const QString& fileName)
{
  const QByteArray plain = CipherLibrary(enciphered);
  // The first byte is not part of any template.
  const QString text = DecodeText(plain.mid(1));
  QStringList templates;
  templates.reserve(kTemplateCount);
  qsizetype start = 0;
  while (templates.size() < kTemplateCount) {
    const qsizetype bar = text.indexOf(QLatin1Char('|'), start);
    if (bar < 0)
      throw TAppGenError(QStringLiteral("The template library %1 is damaged: it holds %2 of the %3 templates.")
                             .arg(fileName, QString::number(templates.size()), QString::number(kTemplateCount)));
    templates << text.mid(start, bar - start);
    start = bar + 1;
  }
  return templates;
}

QStringList LoadTemplateLibrary(const QString& fileName)
{
  if (fileName.isEmpty())
    throw TAppGenError(QStringLiteral("The settings name no template library (section Library, key FileName)."));
  QByteArray bytes;
  try {
    bytes = ReadRegularFile(fileName);
  } catch (const TFileAccessError& e) {
    throw TAppGenError(QStringLiteral("Cannot read the template library %1: %2")
                           .arg(fileName, QString::fromStdString(e.what())));
  }
  return ParseTemplateLibrary(bytes, fileName);
}

// ------------------------------------------------------------- formatting

QString FormatTemplate(const QString& format, std::initializer_list<TFormatArg> args, bool* cut)
{
  QString out;
  auto next = args.begin();
  const qsizetype n = format.size();
  // A character takes at most two UTF-16 units: past twice the limit in
  // units the cut below is certain, so the rest need not be formatted.
  for (qsizetype i = 0; i < n && out.size() <= 2 * kFormatBufferSize; ++i) {
    const QChar c = format[i];
    if (c != QLatin1Char('%') || i + 1 >= n) {
      out += c;
      continue;
    }
    const QChar kind = format[i + 1];
    if (kind == QLatin1Char('%')) {
      out += QLatin1Char('%');
      ++i;
    } else if (kind == QLatin1Char('s') || kind == QLatin1Char('d')) {
      ++i;
      if (next == args.end())
        continue;  // no argument left: the placeholder gives nothing
      const TFormatArg& arg = *next++;
      if (arg.IsText) {
        QString text = arg.Text;
        out += text.replace(QLatin1Char('\''), QStringLiteral("''"));
      } else {
        out += QString::number(arg.Number);
      }
    } else {
      out += c;  // copied as it stands; the next character follows normally
    }
  }
  // Characters, not UTF-16 units: a pair is never split.
  const bool tooLong = CharacterCount(out) > kFormatBufferSize;
  if (cut)
    *cut = tooLong;
  return tooLong ? LeftCharacters(out, kFormatBufferSize) : out;
}

// ------------------------------------------------------------------ widths

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

int ClampInt(qint64 v)
{
  return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Field n (from 0) of a lookup's comma-separated text.
QString LookupField(const QString& lookup, int n)
{
  return lookup.section(QLatin1Char(','), n, n);
}

// The lines of a description strictly between its first "begin data" and
// its first "end data" line; none when either is missing.
QStringList DataLines(const QStringList& description)
{
  int begin = -1;
  int end = -1;
  for (int i = 0; i < description.size() && (begin < 0 || end < 0); ++i) {
    if (begin < 0 && description[i].compare(QLatin1String("begin data"), Qt::CaseInsensitive) == 0)
      begin = i;
    else if (end < 0 && description[i].compare(QLatin1String("end data"), Qt::CaseInsensitive) == 0)
      end = i;
  }
  if (begin < 0 || end <= begin)
    return {};
  return description.mid(begin + 1, end - begin - 1);
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

// --------------------------------------------------------------- generator

TAppExpert::TAppExpert(TDrawingSurface& surface, const TAppBuildSettings& settings, QStringList templates)
  : Directory(settings.Directory),
    AppName(settings.AppName),
    MDIApplication(settings.MDIApplication),
    DrawingSurface(surface),
    FormList(settings.FormList),
    FTemplates(std::move(templates)),
    FKeptFiles(settings.KeptFiles)
{
  if (const QString refusal = AppNameRefusal(AppName); !refusal.isEmpty())
    throw TAppGenError(refusal);
  FFormEntities.reserve(size_t(FormList.size()));
  for (const QString& name : FormList) {
    TEntity* entity = surface.Entities.Find(name);
    if (!entity)
      throw TAppGenError(QStringLiteral("There is no entity named %1.").arg(name));
    FFormEntities.push_back(entity);
  }
}

TEntity* TAppExpert::FormEntity(int i) const
{
  return FFormEntities.at(size_t(i));
}

void TAppExpert::RebuildMenuGroups()
{
  MenuGroups.clear();
  QSet<QString> seen;
  for (const TEntity* entity : FFormEntities) {
    const QString& group = entity->MenuGroup;
    if (!group.isEmpty() && !seen.contains(group.toCaseFolded())) {
      seen.insert(group.toCaseFolded());
      MenuGroups << group;
    }
  }
}

void TAppExpert::Put(QString& out, int n, std::initializer_list<TFormatArg> args) const
{
  bool cut = false;
  out += FormatTemplate(FTemplates.value(n), args, &cut);
  if (cut)
    FCuts << QStringLiteral("template %1").arg(n);
}

void TAppExpert::Line(QString& out, const QString& format, std::initializer_list<TFormatArg> args) const
{
  bool cut = false;
  out += FormatTemplate(format, args, &cut);
  out += QLatin1String("\r\n");
  if (cut)
    FCuts << QStringLiteral("the line \"%1\"").arg(format);
}

QStringList TAppExpert::TakeCuts() const
{
  return std::exchange(FCuts, {});
}

QString TAppExpert::ProjectText() const
{
  QString out;
  const int forms = int(FormList.size());
  Put(out, 1, {AppName});
  Put(out, 2, {"CMain", "CMain", "CMainForm"});
  for (int i = 0; i < forms; ++i)
    Put(out, 2, {QStringLiteral("CUnit%1").arg(i), QStringLiteral("CUnit%1").arg(i), QStringLiteral("Form%1").arg(i)});
  Put(out, 3);
  Put(out, 4, {"CMainForm", "CMainForm"});
  for (int i = 0; i < forms; ++i)
    Put(out, 4, {QStringLiteral("Form%1").arg(i), QStringLiteral("Form%1").arg(i)});
  Put(out, 5);
  return out;
}

QString TAppExpert::MainUnitText() const
{
  QString out;
  const int forms = int(FormList.size());
  Put(out, 6, {"CMain", "CMainForm"});
  Put(out, 17);
  for (int j = 0; j < MenuGroups.size(); ++j)
    Line(out, QStringLiteral("    SubMenuItem%d: TMenuItem;"), {j});
  for (int i = 0; i < forms; ++i)
    Put(out, 19, {i});
  Put(out, 20);
  if (MDIApplication)
    Put(out, 21);
  Put(out, 22);
  for (int i = 0; i < forms; ++i)
    Put(out, 23, {i});
  Put(out, 24);
  if (MDIApplication)
    Put(out, 25);
  Put(out, 28, {"CMainForm", "CMainForm"});
  Put(out, 29);
  Line(out, QStringLiteral("uses IniFiles, Dialogs, KXUtils"));
  for (int i = 0; i < forms; ++i)
    Line(out, QStringLiteral("    ,CUnit%d"), {i});
  Line(out, QStringLiteral("    ;"));
  Put(out, 30, {"CMainForm", AppName + QStringLiteral(".INI")});
  for (int i = 0; i < forms; ++i)
    Put(out, 33, {"CMainForm", i, i});
  Put(out, 34, {"CMainForm"});
  if (MDIApplication)
    Put(out, 35, {"CMainForm", "CMainForm", "CMainForm"});
  Line(out, QStringLiteral("end."));
  return out;
}

QString TAppExpert::MainFormText() const
{
  QString out;
  Put(out, 37,
      {"CMainForm", "CMainForm", 381, 286, DrawingSurface.DiagramName, MDIApplication ? "fsMDIForm" : "fsNormal",
       MDIApplication ? "wsMaximized" : "wsNormal"});
  Line(out, QStringLiteral("  Menu = MainMenu"));
  Put(out, 38);
  // The forms of each group, in form order, found by the group's folded text.
  QHash<QString, std::vector<int>> formsOfGroup;
  for (int i = 0; i < int(FFormEntities.size()); ++i) {
    const QString& group = FFormEntities[size_t(i)]->MenuGroup;
    if (!group.isEmpty())
      formsOfGroup[group.toCaseFolded()].push_back(i);
  }
  for (int j = 0; j < MenuGroups.size(); ++j) {
    Line(out, QStringLiteral("  Object SubMenuItem%d: TMenuItem"), {j});
    Line(out, QStringLiteral("    Caption = '%s'"), {MenuGroups[j]});
    for (const int i : formsOfGroup.value(MenuGroups[j].toCaseFolded())) {
      Put(out, 40, {i, FormEntity(i)->EntityName(), i});
      Line(out, QStringLiteral("        end"));
    }
    if (j == 0) {
      Put(out, 41);
      Line(out, QStringLiteral("        end"));
    }
    Line(out, QStringLiteral("      end"));
  }
  if (MDIApplication) {
    Put(out, 42);
    Line(out, QStringLiteral("        end"));
  }
  Line(out, QStringLiteral("    end"));
  Put(out, 43);
  Line(out, QStringLiteral("  end"));
  return out;
}

void TAppExpert::LayoutForm(int i)
{
  TEntity* entity = FormEntity(i);
  CurrentEntity = entity;
  if (entity->EditFormCaption.isEmpty())
    entity->EditFormCaption = QStringLiteral("Maintain ") + entity->EntityName();
  const TDiagram& model = DrawingSurface;

  // One lookup per relation in which the entity is the child and whose
  // parent has a key: the parent's key columns and its first non-key column.
  LookupList.clear();
  FLookupIndex.clear();
  for (const TRelation* relation : entity->ChildRelations()) {
    const TEntity* parent = relation->Parent;
    if (!parent || parent->PrimaryKey.IsEmpty())
      continue;
    const TAttribute* key = parent->PrimaryKey[0];
    QString columns = key->ColumnName();
    qint64 width = qint64(AttributeCharacterWidth(model, *key)) * 5;
    const auto addColumn = [&](const TAttribute* a) {
      columns += QLatin1Char(';') + a->ColumnName();
      width += qint64(AttributeCharacterWidth(model, *a)) * 5;
    };
    for (int k = 1; k < parent->PrimaryKey.Count(); ++k)
      addColumn(parent->PrimaryKey[k]);
    if (!parent->Attributes.IsEmpty())
      addColumn(parent->Attributes[0]);
    const TAttribute* filled = relation->MigratedAttributes.Find(key->Name);
    LookupList.push_back({QStringLiteral("%1,%2,%3,%4").arg(parent->TableName(), key->ColumnName(),
                                                            QString::number(width), columns),
                          filled});
    if (filled && !FLookupIndex.contains(filled))
      FLookupIndex.insert(filled, int(LookupList.size()) - 1);
  }

  // The labels are measured in the generated forms' font, 8 points (11
  // pixels at 96 dpi).
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  Elements.clear();
  Elements.reserve(size_t(entity->PrimaryKey.Count() + entity->Attributes.Count()));
  for (const TAttributeList* list : {&entity->PrimaryKey, &entity->Attributes}) {
    for (const TAttribute* a : *list) {
      TFormElement e;
      e.Attribute = a;
      e.LabelWidth = model.Measurer().TextWidth(font, a->Name);
      e.FieldWidth = a->ControlWidth != 0 ? a->ControlWidth : AttributeCharacterWidth(model, *a) * 6;
      Elements.push_back(e);
    }
  }

  LineSpacing = entity->LineSpacing >= 1 && entity->LineSpacing <= 99 ? entity->LineSpacing : 6;
  FieldSpacing = entity->FieldSpacing >= 1 && entity->FieldSpacing <= 299 ? entity->FieldSpacing : 4;
  const int limit = entity->FormWidth >= 301 && entity->FormWidth <= 1299 ? entity->FormWidth - 30 : 351;

  // Positions are computed in 64 bits: placement values may be any int.
  qint64 x = 6;
  qint64 y = 6;
  qint64 right = 6;
  const auto effectiveWidth = [](const TFormElement& e) -> qint64 {
    const TAttribute& a = *e.Attribute;
    if (a.ForeignKey || a.DisplayType == TDisplayType::ListBox)
      return qint64(e.FieldWidth) + 24;
    if (a.DisplayType == TDisplayType::CheckBox)
      return qint64(e.LabelWidth) + 24;
    return e.FieldWidth;
  };
  if (entity->FormStyle == fsHorizontal) {
    for (TFormElement& e : Elements) {
      const TAttribute& a = *e.Attribute;
      const qint64 w = std::max<qint64>(effectiveWidth(e), e.LabelWidth);
      bool newLine = false;
      if (a.ControlLeft == 0) {
        if (limit < x + w) {
          x = 6;
          newLine = true;
        }
      } else {
        newLine = a.ControlLeft <= x;
        x = a.ControlLeft;
      }
      if (a.ControlTop != 0)
        y = a.ControlTop;
      else if (newLine)
        y += 36 + LineSpacing;
      e.Left = ClampInt(x);
      e.Top = ClampInt(y);
      x += w;
      right = std::max(right, x);
      x += FieldSpacing;
    }
    y += 46;
  } else if (entity->FormStyle == fsVertical) {
    qint64 widest = 6;
    for (const TFormElement& e : Elements)
      widest = std::max<qint64>(widest, e.LabelWidth);
    x = widest + 4 + FieldSpacing;
    for (TFormElement& e : Elements) {
      const TAttribute& a = *e.Attribute;
      if (a.ControlLeft != 0)
        x = a.ControlLeft;
      if (a.ControlTop != 0)
        y = a.ControlTop;
      e.Left = ClampInt(x);
      e.Top = ClampInt(y);
      right = std::max(right, x + effectiveWidth(e));
      y += 21 + LineSpacing;
    }
  }
  FormClientWidth = ClampInt(right + 10);
  FormClientHeight = ClampInt(y);
}

int TAppExpert::LookupOf(const TFormElement& element) const
{
  if (!element.Attribute->ForeignKey)
    return -1;
  return FLookupIndex.value(element.Attribute, -1);
}

QString TAppExpert::UnitText(int i) const
{
  QString out;
  const QString form = QStringLiteral("Form%1").arg(i);
  const bool grid = CurrentEntity->FormStyle == fsGrid;
  Put(out, 6, {QStringLiteral("CUnit%1").arg(i), form});
  Put(out, 7);
  // Elements whose lookup is a button beside an edit box.
  std::vector<int> buttons;
  if (grid) {
    Put(out, 8);
  } else {
    Put(out, 9);
    for (int k = 0; k < int(Elements.size()); ++k) {
      const TAttribute& a = *Elements[size_t(k)].Attribute;
      if (LookupOf(Elements[size_t(k)]) >= 0) {
        Put(out, 10, {k});
        if (a.DisplayType == TDisplayType::Lookup) {
          Put(out, 12, {k, k, k});
        } else {
          Put(out, 11, {a.ColumnName()});
          Put(out, 13, {k});
          buttons.push_back(k);
        }
      } else if (a.DisplayType == TDisplayType::ListBox) {
        Put(out, 10, {k});
        Put(out, 14, {k});
      } else if (a.DisplayType == TDisplayType::CheckBox) {
        Put(out, 16, {k});
      } else {
        Put(out, 10, {k});
        Put(out, 11, {a.ColumnName()});
      }
    }
    for (const int k : buttons)
      Put(out, 26, {k});
  }
  Put(out, 27);
  Put(out, 28, {form, form});
  Put(out, 29);
  Line(out, QStringLiteral("uses CMain, KXUtils, BrModal;"));
  Line(out, QString());
  Put(out, 31, {form});
  Put(out, 32, {form});
  for (const int k : buttons) {
    const TFormElement& e = Elements[size_t(k)];
    const QString& lookup = LookupList[size_t(LookupOf(e))].Text;
    const QString table = LookupField(lookup, 0);
    const QString keyColumn = LookupField(lookup, 1);
    const QString edit = QStringLiteral("Edit") + e.Attribute->ColumnName();
    Put(out, 36,
        {form, k, table, QStringLiteral("Lookup ") + table, keyColumn, LookupField(lookup, 3), edit, keyColumn, edit, edit,
         keyColumn});
  }
  Line(out, QStringLiteral("end."));
  return out;
}

void TAppExpert::PutLabel(QString& out, int k, qint64 x, qint64 y, const TFormElement& e) const
{
  Put(out, 47, {k, x, y, e.LabelWidth, e.Attribute->Name, e.Attribute->ColumnName()});
  Line(out, QStringLiteral("end"));
}

void TAppExpert::PutLookupCombo(QString& out, int k, qint64 x, qint64 y, qint64 w, const TFormElement& e) const
{
  const QString& lookup = LookupList[size_t(LookupOf(e))].Text;
  const QString keyColumn = LookupField(lookup, 1);
  const qint64 d = std::min(LookupField(lookup, 2).toLongLong(), x + w - 6);
  Put(out, 51, {k, x, y, w, e.Attribute->ColumnName(), k, LookupField(lookup, 3), keyColumn, d, k, k, k, k,
                LookupField(lookup, 0)});
}

void TAppExpert::PutElement(QString& out, int k, bool horizontal) const
{
  // Positions are numbers of 64 bits here, so that a control placed near the
  // end of the int range cannot overflow on its offsets.
  const TFormElement& e = Elements[size_t(k)];
  const TAttribute& a = *e.Attribute;
  const qint64 x = e.Left;
  const qint64 y = e.Top;
  const qint64 w = e.FieldWidth;
  const bool lookup = LookupOf(e) >= 0;
  // In a row the label stands above its control, in a column left of it.
  const qint64 top = horizontal ? y + 15 : y;
  const auto edit = [&] { Put(out, 48, {a.ColumnName(), x, top, w, a.ColumnName(), k}); };
  if (!horizontal || a.DisplayType != TDisplayType::CheckBox)
    PutLabel(out, k, horizontal ? x : x - 4 - e.LabelWidth, horizontal ? y : y + 8, e);

  if (lookup && a.DisplayType == TDisplayType::Lookup) {
    PutLookupCombo(out, k, x, top, w + 16, e);
  } else if (lookup) {
    edit();
    Line(out, QStringLiteral("  onDblClick = LUButton%dClick"), {k});
    Line(out, QStringLiteral("end"));
    Put(out, 52, {k, x + w + 2, horizontal ? y + 13 : y - 1, a.Name, k});
  } else if (horizontal && a.DisplayType == TDisplayType::ListBox) {
    Put(out, 53, {k, x, top, w + 24, a.ColumnName(), k});
    for (const QString& value : DataLines(a.Description))
      Line(out, QStringLiteral("'%s'"), {value});
    Line(out, QStringLiteral(")"));
  } else if (horizontal && a.DisplayType == TDisplayType::CheckBox) {
    const QStringList values = DataLines(a.Description);
    const bool two = values.size() >= 2;
    Put(out, 55, {k, x, y + 21, qint64(e.LabelWidth) + 24, a.Name, a.ColumnName(), k, two ? values[0] : QString(),
                  two ? values[1] : QString()});
  } else {
    edit();
  }
  Line(out, QStringLiteral("end"));
}

QString TAppExpert::FormText(int i) const
{
  QString out;
  const TEntity& entity = *CurrentEntity;
  const QString form = QStringLiteral("Form%1").arg(i);
  const int width = entity.FormWidth >= 301 && entity.FormWidth <= 1299 ? entity.FormWidth : 381;
  const int height = entity.FormHeight >= 201 && entity.FormHeight <= 799 ? entity.FormHeight : 286;
  Put(out, 37,
      {form, form, width, height, entity.EditFormCaption, MDIApplication ? "fsMDIChild" : "fsNormal", "wsNormal"});
  Line(out, QStringLiteral("  OnActivate = FormActivate"));
  Put(out, 50, {entity.TableName()});
  Line(out, QStringLiteral("  end"));
  Put(out, 44);
  Line(out, QStringLiteral("  end"));
  Put(out, 45);
  if (entity.FormStyle == fsGrid) {
    Put(out, 49);
    Line(out, QStringLiteral("  end"));
  } else {
    Put(out, 46, {FormClientWidth, FormClientHeight});
    for (int k = 0; k < int(Elements.size()); ++k)
      PutElement(out, k, entity.FormStyle == fsHorizontal);
    Line(out, QStringLiteral("end"));
  }
  Line(out, QStringLiteral("end"));
  Line(out, QStringLiteral("end"));
  return out;
}

// ------------------------------------------------------------------- files

QString TAppExpert::FilePath(const QString& name) const
{
  if (Directory.isEmpty() || Directory.endsWith(QLatin1Char('/')))
    return Directory + name;
  return Directory + QLatin1Char('/') + name;
}

QStringList TAppExpert::OutputNames() const
{
  QStringList names{AppName + QStringLiteral(".DPR"), QStringLiteral("CMain.PAS"), QStringLiteral("CMain.DFM")};
  for (int i = 0; i < int(FormList.size()); ++i)
    names << QStringLiteral("CUnit%1.PAS").arg(i) << QStringLiteral("CUnit%1.DFM").arg(i);
  return names;
}

void TAppExpert::RefuseKeptFile(const QString& path) const
{
  // By identity, not by name: a file reached through another path or a link
  // is the same file, and replacing it would lose it.
  for (const QString& kept : FKeptFiles)
    if (IsSameFile(path, kept))
      throw TAppGenError(QStringLiteral("The generated file %1 would replace %2, the diagram the application is "
                                        "generated from. Choose another directory or application name.")
                             .arg(path, kept));
}

void TAppExpert::WriteFile(const QString& name, const QByteArray& bytes) const
{
  const QString path = FilePath(name);
  RefuseKeptFile(path);
  try {
    WriteFileSafely(path, bytes);
  } catch (const TFileAccessError& e) {
    throw TAppGenError(QStringLiteral("Cannot write %1: %2").arg(path, QString::fromStdString(e.what())));
  }
}

QStringList TAppExpert::Run(const TAppProgress& progress,
                            const std::function<QByteArray(const QString&)>& toResource)
{
  const auto clear = [&] {
    if (progress.Clear)
      progress.Clear();
  };
  const auto add = [&](const QString& line) {
    if (progress.Add)
      progress.Add(line);
  };
  // Nothing is written when any file would replace a kept one.
  for (const QString& name : OutputNames())
    RefuseKeptFile(FilePath(name));

  // The project, the main unit and the main form, then a unit and a form per
  // entity.
  TProgressRun run(progress.Bar, QStringLiteral("Generating ") + AppName,
                   3 + 2 * qint64(FormList.size()));
  qint64 written = 0;
  QStringList problems;
  // `what` names the file for the user: the file itself, and for a form's
  // files also its entity.
  const auto cutMessage = [&](const QString& name, const QString& what, const QStringList& cuts) {
    return QStringLiteral("%1%2: a line longer than %3 characters was cut there (%4); the file will not compile.")
        .arg(FilePath(name), what, QString::number(kFormatBufferSize), cuts.join(QStringLiteral(", ")));
  };
  const auto writeFile = [&](const QString& name, const QString& what, const QString& text) {
    const QStringList cuts = TakeCuts();
    WriteFile(name, text.toUtf8());
    run.Step(++written);
    if (!cuts.isEmpty())
      problems << cutMessage(name, what, cuts);
  };
  const auto writeForm = [&](const QString& name, const QString& what, const QString& text) {
    const QStringList cuts = TakeCuts();
    QByteArray resource;
    try {
      resource = toResource(text);
    } catch (const TFormTextError& e) {
      // A text cut short is the likely cause: said so, and the run goes on.
      if (!cuts.isEmpty()) {
        problems << cutMessage(name, what, cuts) +
                        QStringLiteral(" It was not written: its form text cannot be converted (line %1: %2).")
                            .arg(QString::number(e.Line()), QString::fromStdString(e.what()));
        run.Step(++written);
        return;
      }
      throw TAppGenError(QStringLiteral("Cannot convert the form %1 (line %2 of its form text): %3")
                             .arg(FilePath(name), QString::number(e.Line()), QString::fromStdString(e.what())));
    }
    WriteFile(name, resource);
    run.Step(++written);
    if (!cuts.isEmpty())
      problems << cutMessage(name, what, cuts);
  };

  RebuildMenuGroups();
  TakeCuts();
  clear();
  add(QStringLiteral("Generating Project File"));
  writeFile(AppName + QStringLiteral(".DPR"), QString(), ProjectText());
  add(QStringLiteral("Generating Main Source File"));
  writeFile(QStringLiteral("CMain.PAS"), QString(), MainUnitText());
  add(QStringLiteral("Generating Main Form File"));
  writeForm(QStringLiteral("CMain.DFM"), QString(), MainFormText());
  for (int i = 0; i < int(FormList.size()); ++i) {
    LayoutForm(i);
    clear();
    const QString& name = CurrentEntity->EntityName();
    const QString what = QStringLiteral(" (the form of %1)").arg(name);
    add(QStringLiteral("Generating Source for ") + name);
    writeFile(QStringLiteral("CUnit%1.PAS").arg(i), what, UnitText(i));
    add(QStringLiteral("Generating Form for ") + name);
    writeForm(QStringLiteral("CUnit%1.DFM").arg(i), what, FormText(i));
  }
  return problems;
}

}  // namespace veska
