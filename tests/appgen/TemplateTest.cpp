// The generator's template library: the built VESKA.LIB, each template's
// placeholders against the arguments the generator passes, the library tool,
// and whole form and unit texts composed from the templates and the
// generator's own fixed lines.
#include "appgen/LibraryCipher.h"
#include "formresource/FormResource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <variant>
#include <vector>

namespace {

constexpr int kTemplateCount = 56;

QString TemplateFileName(int n)
{
  return QStringLiteral(VESKA_TEMPLATE_DIR "/T%1.txt").arg(n, 2, 10, QLatin1Char('0'));
}

QByteArray ReadAll(const QString& name)
{
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << name.toStdString();
    return {};
  }
  return file.readAll();
}

QByteArray TemplateFile(int n) { return ReadAll(TemplateFileName(n)); }

QByteArray WithCrLf(QByteArray text) { return text.replace("\n", "\r\n"); }

// The arguments each template receives, as the kinds of its placeholders in
// order ('s' text, 'd' integer). Templates 0, 15, 18, 39 and 54 are read but
// never used and hold none.
const std::map<int, const char*>& ArgumentKinds()
{
  static const std::map<int, const char*> kinds = {
      {0, ""},        {1, "s"},       {2, "sss"},  {3, ""},        {4, "ss"},      {5, ""},
      {6, "ss"},      {7, ""},        {8, ""},     {9, ""},        {10, "d"},      {11, "s"},
      {12, "ddd"},    {13, "d"},      {14, "d"},   {15, ""},       {16, "d"},      {17, ""},
      {18, ""},       {19, "d"},      {20, ""},    {21, ""},       {22, ""},       {23, "d"},
      {24, ""},       {25, ""},       {26, "d"},   {27, ""},       {28, "ss"},     {29, ""},
      {30, "ss"},     {31, "s"},      {32, "s"},   {33, "sdd"},    {34, "s"},      {35, "sss"},
      {36, "sdsssssssss"},            {37, "ssddsss"},             {38, ""},       {39, ""},
      {40, "dsd"},    {41, ""},       {42, ""},    {43, ""},       {44, ""},       {45, ""},
      {46, "dd"},     {47, "ddddss"}, {48, "sdddsd"},              {49, ""},       {50, "s"},
      {51, "ddddsdssddddds"},         {52, "dddsd"},               {53, "ddddsd"}, {54, ""},
      {55, "ddddssdss"},
  };
  return kinds;
}

// The kinds of a template's placeholders in order; "%%" is a literal percent.
// Any other "%" is reported in `error`.
QByteArray PlaceholderKinds(const QByteArray& text, QString* error)
{
  QByteArray kinds;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (next == 's' || next == 'd')
      kinds += next;
    else if (next != '%')
      *error = QStringLiteral("stray %% at offset %1").arg(i);
    ++i;
  }
  return kinds;
}

// Formats a template as the generator does, checking that every placeholder
// gets an argument of its kind and that no argument is left over.
using TArg = std::variant<QString, int>;

QString Format(const QString& format, const std::vector<TArg>& args)
{
  QString out;
  std::size_t next = 0;
  for (qsizetype i = 0; i < format.size(); ++i) {
    if (format[i] != QLatin1Char('%')) {
      out += format[i];
      continue;
    }
    const QChar kind = ++i < format.size() ? format[i] : QChar();
    if (kind == QLatin1Char('%')) {
      out += kind;
      continue;
    }
    if (next >= args.size()) {
      ADD_FAILURE() << "too few arguments for: " << format.toStdString();
      return out;
    }
    const TArg& arg = args[next++];
    if (kind == QLatin1Char('s') && std::holds_alternative<QString>(arg))
      out += std::get<QString>(arg);
    else if (kind == QLatin1Char('d') && std::holds_alternative<int>(arg))
      out += QString::number(std::get<int>(arg));
    else
      ADD_FAILURE() << "placeholder %" << kind.toLatin1() << " does not fit its argument in: " << format.toStdString();
  }
  EXPECT_EQ(next, args.size()) << "arguments left over for: " << format.toStdString();
  return out;
}

// Builds a file text from templates (read from the built library) and fixed
// lines, in the order the generator writes them.
class TComposer {
public:
  explicit TComposer(const QList<QByteArray>& templates) : FTemplates(templates) {}

  void T(int n, const std::vector<TArg>& args = {}) { FText += Format(QString::fromUtf8(FTemplates[n]), args); }
  void Line(const QString& format, const std::vector<TArg>& args = {})
  {
    FText += Format(format, args) + QStringLiteral("\r\n");
  }
  const QString& Text() const { return FText; }

private:
  QList<QByteArray> FTemplates;
  QString FText;
};

// The templates as the built library holds them.
QList<QByteArray> LibraryTemplates(QString* error)
{
  const QString libraryName = QCoreApplication::applicationDirPath() + QStringLiteral("/VESKA.LIB");
  const QByteArray plain = veska::CipherLibrary(ReadAll(libraryName));
  if (plain.isEmpty()) {
    *error = QStringLiteral("empty library");
    return {};
  }
  QList<QByteArray> parts = plain.mid(1).split('|');
  if (parts.size() != kTemplateCount + 1 || !parts.last().isEmpty()) {
    *error = QStringLiteral("%1 separators in the library").arg(parts.size() - 1);
    return {};
  }
  parts.removeLast();
  return parts;
}

// --- The library and the templates -------------------------------------------

TEST(TemplateLibrary, BuiltLibraryDeciphersToTheTemplateFilesWithCrLf)
{
  QString error;
  const QList<QByteArray> templates = LibraryTemplates(&error);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  for (int n = 0; n < kTemplateCount; ++n) {
    const QByteArray file = TemplateFile(n);
    EXPECT_FALSE(file.contains('\r')) << "T" << n << " is stored with LF line ends";
    EXPECT_EQ(templates[n], WithCrLf(file)) << "T" << n;
    EXPECT_FALSE(file.contains('|')) << "T" << n;
  }
}

TEST(TemplateLibrary, EveryTemplateHoldsExactlyThePlaceholdersOfItsArguments)
{
  ASSERT_EQ(int(ArgumentKinds().size()), kTemplateCount);
  for (const auto& [n, expected] : ArgumentKinds()) {
    QString error;
    const QByteArray kinds = PlaceholderKinds(TemplateFile(n), &error);
    EXPECT_TRUE(error.isEmpty()) << "T" << n << ": " << error.toStdString();
    EXPECT_EQ(kinds, QByteArray(expected)) << "T" << n;
  }
  for (int unused : {0, 15, 18, 39, 54})
    EXPECT_FALSE(TemplateFile(unused).contains('%')) << "T" << unused;
}

// --- The library tool ------------------------------------------------------------

struct TToolRun {
  int ExitCode = -1;
  QByteArray Out, Err;
};

TToolRun RunTool(const QStringList& args)
{
  QProcess process;
  process.start(QStringLiteral(VESKA_MAKELIB), args);
  TToolRun run;
  if (!process.waitForFinished(30000)) {
    ADD_FAILURE() << "veska-makelib did not finish";
    return run;
  }
  run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.Out = process.readAllStandardOutput();
  run.Err = process.readAllStandardError();
  return run;
}

// Copies the template files into `dir` and returns their names in order.
QStringList CopyTemplates(const QTemporaryDir& dir)
{
  QStringList names;
  for (int n = 0; n < kTemplateCount; ++n) {
    const QString name = dir.filePath(QFileInfo(TemplateFileName(n)).fileName());
    EXPECT_TRUE(QFile::copy(TemplateFileName(n), name));
    names << name;
  }
  return names;
}

void WriteFile(const QString& name, const QByteArray& bytes)
{
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(TemplateLibraryTool, BuildsALibraryThatDeciphersToItsTemplates)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QStringList names = CopyTemplates(dir);
  // A template file that came with CR LF line ends is not given doubled CRs.
  WriteFile(names[7], WithCrLf(TemplateFile(7)));
  const QString library = dir.filePath(QStringLiteral("OUT.LIB"));
  const TToolRun build = RunTool(QStringList{library} + names);
  ASSERT_EQ(build.ExitCode, 0) << build.Err.toStdString();

  QByteArray expected;
  for (int n = 0; n < kTemplateCount; ++n) expected += WithCrLf(TemplateFile(n)) + '|';
  const TToolRun print = RunTool({QStringLiteral("--decipher"), library});
  ASSERT_EQ(print.ExitCode, 0) << print.Err.toStdString();
  EXPECT_EQ(print.Out, expected);
  EXPECT_EQ(veska::CipherLibrary(ReadAll(library)).mid(1), expected);
}

TEST(TemplateLibraryTool, RefusesATemplateHoldingTheSeparatorAndKeepsTheOldLibrary)
{
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QStringList names = CopyTemplates(dir);
  WriteFile(names[12], "    A: Integer; | B\n");
  const QString library = dir.filePath(QStringLiteral("OUT.LIB"));
  WriteFile(library, "old library");

  const TToolRun run = RunTool(QStringList{library} + names);
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_TRUE(run.Err.contains("T12.txt")) << run.Err.toStdString();
  EXPECT_EQ(ReadAll(library), QByteArray("old library"));
}

// --- Composed texts --------------------------------------------------------------

enum class TKind { Plain, LookupCombo, LookupButton, ListBox, EmptyListBox, CheckBox };
enum class TStyle { Horizontal, Vertical, Grid };

struct TEntitySample {
  TStyle Style;
  std::vector<TKind> Elements;
};

QString Column(int k) { return QStringLiteral("COL%1").arg(k); }

struct TMenuSample {
  QStringList Groups;
  std::vector<std::pair<QString, QString>> Forms;  // entity name, menu group
};

class TemplateComposition : public ::testing::Test {
protected:
  void SetUp() override
  {
    QString error;
    FTemplates = LibraryTemplates(&error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  }

  QString MainForm(bool mdi, const TMenuSample& menu) const
  {
    TComposer c(FTemplates);
    c.T(37, {QStringLiteral("CMainForm"), QStringLiteral("CMainForm"), 381, 286, QStringLiteral("Orders"),
             QString::fromLatin1(mdi ? "fsMDIForm" : "fsNormal"), QString::fromLatin1(mdi ? "wsMaximized" : "wsNormal")});
    c.Line(QStringLiteral("  Menu = MainMenu"));
    c.T(38);
    for (int j = 0; j < menu.Groups.size(); ++j) {
      c.Line(QStringLiteral("  Object SubMenuItem%d: TMenuItem"), {j});
      c.Line(QStringLiteral("    Caption = '%s'"), {menu.Groups[j]});
      for (int i = 0; i < int(menu.Forms.size()); ++i) {
        if (menu.Forms[i].second.compare(menu.Groups[j], Qt::CaseInsensitive) != 0) continue;
        c.T(40, {i, menu.Forms[i].first, i});
        c.Line(QStringLiteral("        end"));
      }
      if (j == 0) {
        c.T(41);
        c.Line(QStringLiteral("        end"));
      }
      c.Line(QStringLiteral("      end"));
    }
    if (mdi) {
      c.T(42);
      c.Line(QStringLiteral("        end"));
    }
    c.Line(QStringLiteral("    end"));
    c.T(43);
    c.Line(QStringLiteral("  end"));
    return c.Text();
  }

  QString MainUnit(bool mdi, const TMenuSample& menu) const
  {
    const int forms = int(menu.Forms.size());
    const QString main = QStringLiteral("CMainForm");
    TComposer c(FTemplates);
    c.T(6, {QStringLiteral("CMain"), main});
    c.T(17);
    for (int j = 0; j < menu.Groups.size(); ++j) c.Line(QStringLiteral("    SubMenuItem%d: TMenuItem;"), {j});
    for (int i = 0; i < forms; ++i) c.T(19, {i});
    c.T(20);
    if (mdi) c.T(21);
    c.T(22);
    for (int i = 0; i < forms; ++i) c.T(23, {i});
    c.T(24);
    if (mdi) c.T(25);
    c.T(28, {main, main});
    c.T(29);
    c.Line(QStringLiteral("uses IniFiles, Dialogs, KXUtils"));
    for (int i = 0; i < forms; ++i) c.Line(QStringLiteral("    ,CUnit%d"), {i});
    c.Line(QStringLiteral("    ;"));
    c.T(30, {main, QStringLiteral("Pilot.INI")});
    for (int i = 0; i < forms; ++i) c.T(33, {main, i, i});
    c.T(34, {main});
    if (mdi) c.T(35, {main, main, main});
    c.Line(QStringLiteral("end."));
    return c.Text();
  }

  QString EntityForm(bool mdi, const TEntitySample& entity) const
  {
    TComposer c(FTemplates);
    c.T(37, {QStringLiteral("Form0"), QStringLiteral("Form0"), 381, 286, QStringLiteral("Maintain Customer"),
             QString::fromLatin1(mdi ? "fsMDIChild" : "fsNormal"), QStringLiteral("wsNormal")});
    c.Line(QStringLiteral("  OnActivate = FormActivate"));
    c.T(50, {QStringLiteral("CUSTOMER")});
    c.Line(QStringLiteral("  end"));
    c.T(44);
    c.Line(QStringLiteral("  end"));
    c.T(45);
    if (entity.Style == TStyle::Grid) {
      c.T(49);
      c.Line(QStringLiteral("  end"));
    } else {
      const bool horizontal = entity.Style == TStyle::Horizontal;
      c.T(46, {360, 200});
      int y = 6;
      for (int k = 0; k < int(entity.Elements.size()); ++k, y += 40) {
        const TKind kind = entity.Elements[k];
        const QString column = Column(k), name = QStringLiteral("Name %1").arg(k);
        const int x = horizontal ? 6 : 80, fieldY = horizontal ? y + 15 : y;
        if (horizontal && kind == TKind::CheckBox) {
          c.T(55, {k, x, y + 21, 64, name, column, k, QStringLiteral("Y"), QStringLiteral("N")});
        } else {
          c.T(47, {k, horizontal ? x : 10, horizontal ? y : y + 8, 40, name, column});
          c.Line(QStringLiteral("end"));
          if (kind == TKind::LookupCombo) {
            c.T(51, {k, x, fieldY, 116, column, k, QStringLiteral("ID;NAME"), QStringLiteral("ID"), 90, k, k, k, k,
                     QStringLiteral("PARENT")});
          } else if (kind == TKind::LookupButton) {
            c.T(48, {column, x, fieldY, 100, column, k});
            c.Line(QStringLiteral("  onDblClick = LUButton%dClick"), {k});
            c.Line(QStringLiteral("end"));
            c.T(52, {k, x + 102, fieldY - 2, name, k});
          } else if (horizontal && (kind == TKind::ListBox || kind == TKind::EmptyListBox)) {
            c.T(53, {k, x, fieldY, 124, column, k});
            if (kind == TKind::ListBox)
              for (const char* value : {"Open", "Closed"}) c.Line(QStringLiteral("'%s'"), {QString::fromLatin1(value)});
            c.Line(QStringLiteral(")"));
          } else {
            c.T(48, {column, x, fieldY, 100, column, k});
          }
        }
        c.Line(QStringLiteral("end"));
      }
      c.Line(QStringLiteral("end"));
    }
    c.Line(QStringLiteral("end"));
    c.Line(QStringLiteral("end"));
    return c.Text();
  }

  QString EntityUnit(const TEntitySample& entity) const
  {
    const QString form = QStringLiteral("Form0");
    const int count = int(entity.Elements.size());
    auto isButton = [&](int k) { return entity.Elements[k] == TKind::LookupButton; };
    TComposer c(FTemplates);
    c.T(6, {QStringLiteral("CUnit0"), form});
    c.T(7);
    const bool grid = entity.Style == TStyle::Grid;
    if (grid) {
      c.T(8);
    } else {
      c.T(9);
      for (int k = 0; k < count; ++k) {
        switch (entity.Elements[k]) {
          case TKind::LookupCombo: c.T(10, {k}); c.T(12, {k, k, k}); break;
          case TKind::LookupButton: c.T(10, {k}); c.T(11, {Column(k)}); c.T(13, {k}); break;
          case TKind::ListBox:
          case TKind::EmptyListBox: c.T(10, {k}); c.T(14, {k}); break;
          case TKind::CheckBox: c.T(16, {k}); break;
          case TKind::Plain: c.T(10, {k}); c.T(11, {Column(k)}); break;
        }
      }
      for (int k = 0; k < count; ++k)
        if (isButton(k)) c.T(26, {k});
    }
    c.T(27);
    c.T(28, {form, form});
    c.T(29);
    c.Line(QStringLiteral("uses CMain, KXUtils, BrModal;"));
    c.Line(QString());
    c.T(31, {form});
    c.T(32, {form});
    for (int k = 0; k < count && !grid; ++k) {
      if (!isButton(k)) continue;
      const QString edit = QStringLiteral("Edit") + Column(k), table = QStringLiteral("PARENT"),
                    key = QStringLiteral("ID");
      c.T(36, {form, k, table, QStringLiteral("Lookup ") + table, key, QStringLiteral("ID;NAME"), edit, key, edit,
               edit, key});
    }
    c.Line(QStringLiteral("end."));
    return c.Text();
  }

  QList<QByteArray> FTemplates;
};

// Whether the form converter takes the text; the error names the line.
std::string ConversionError(const QString& text)
{
  try {
    veska::FormTextToResource(text);
  } catch (const veska::TFormTextError& e) {
    return "line " + std::to_string(e.Line()) + ": " + e.what();
  }
  return {};
}

// Walks the form text's object/end nesting; an error names the first fault.
QString FormNestingError(const QString& text)
{
  static const QRegularExpression opener(QStringLiteral("^(object|inherited|inline)\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
  int depth = 0, number = 0;
  const QStringList lines = text.split(QStringLiteral("\r\n"));
  if (!lines.last().isEmpty()) return QStringLiteral("the text does not end with a line end");
  for (const QString& raw : lines) {
    ++number;
    const QString line = raw.trimmed();
    if (line.isEmpty()) continue;
    if (depth == 0 && number > 1) return QStringLiteral("line %1 follows the form's end").arg(number);
    if (opener.match(line).hasMatch())
      ++depth;
    else if (line.compare(QStringLiteral("end"), Qt::CaseInsensitive) == 0)
      --depth;
    if (depth < 0) return QStringLiteral("line %1: end without object").arg(number);
  }
  return depth == 0 ? QString() : QStringLiteral("%1 objects not ended").arg(depth);
}

// The names of the event handlers a form text assigns (OnClick = X).
QSet<QString> FormEventHandlers(const QString& text)
{
  static const QRegularExpression event(QStringLiteral("^\\s*On\\w+\\s*=\\s*(\\w+)\\s*$"),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::MultilineOption);
  QSet<QString> names;
  for (auto it = event.globalMatch(text); it.hasNext();) names.insert(it.next().captured(1));
  return names;
}

// Pascal source without its comments and string literals.
QString PascalCode(const QString& source)
{
  static const QRegularExpression noise(QStringLiteral("\\{[^}]*\\}|'[^'\\r\\n]*'"));
  return QString(source).replace(noise, QStringLiteral(" "));
}

// Block keywords pair with "end"; a unit ends with "end.", which closes no
// block. Every uses clause is a plain list ("Name" or "Name in 'File'",
// joined by commas) and no unit is used twice.
QString PascalSourceError(const QString& source)
{
  static const QRegularExpression word(QStringLiteral("\\b(begin|try|case|record|class|end)\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression uses(QStringLiteral("\\buses\\b([^;]*);"), QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression entry(QStringLiteral("^(\\w+)(\\s+in\\s*)?$"), QRegularExpression::CaseInsensitiveOption);
  QString code = PascalCode(source).trimmed();
  if (!code.endsWith(QLatin1String("end."))) return QStringLiteral("the source does not end with end.");
  if (code.startsWith(QLatin1String("unit "))) code.chop(4);
  int depth = 0;
  for (auto it = word.globalMatch(code); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    depth += m.captured(1).compare(QLatin1String("end"), Qt::CaseInsensitive) == 0 ? -1 : 1;
    if (depth < 0) return QStringLiteral("end without a block at offset %1").arg(m.capturedStart());
  }
  if (depth != 0) return QStringLiteral("%1 blocks left open").arg(depth);
  QSet<QString> used;
  for (auto it = uses.globalMatch(code); it.hasNext();) {
    for (const QString& item : it.next().captured(1).split(QLatin1Char(','))) {
      const QRegularExpressionMatch m = entry.match(item.trimmed());
      if (!m.hasMatch()) return QStringLiteral("uses clause entry \"%1\"").arg(item.trimmed());
      const QString unit = m.captured(1).toLower();
      if (used.contains(unit)) return QStringLiteral("unit %1 used twice").arg(unit);
      used.insert(unit);
    }
  }
  return {};
}

// Method names declared inside the form class and implemented after it.
struct TMethods {
  QSet<QString> Declared, Implemented;
};

TMethods UnitMethods(const QString& source, const QString& formClass)
{
  static const QRegularExpression declared(QStringLiteral("^    procedure (\\w+)\\("),
                                           QRegularExpression::MultilineOption);
  const QRegularExpression implemented(QStringLiteral("^procedure %1\\.(\\w+)\\(").arg(formClass),
                                       QRegularExpression::MultilineOption);
  TMethods methods;
  const QString code = PascalCode(source);
  for (auto it = declared.globalMatch(code); it.hasNext();) methods.Declared.insert(it.next().captured(1));
  for (auto it = implemented.globalMatch(code); it.hasNext();) methods.Implemented.insert(it.next().captured(1));
  return methods;
}

std::string Names(const QSet<QString>& names)
{
  QStringList list(names.begin(), names.end());
  list.sort();
  return list.join(QLatin1Char(' ')).toStdString();
}

const std::vector<TMenuSample>& MenuSamples()
{
  static const std::vector<TMenuSample> samples = {
      {{}, {}},
      {{QStringLiteral("&File")}, {{QStringLiteral("Customer"), QStringLiteral("&FILE")}}},
      {{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&Lists")},
       {{QStringLiteral("Customer"), QStringLiteral("&File")},
        {QStringLiteral("Order"), QStringLiteral("&edit")},
        {QStringLiteral("Note"), QString()},
        {QStringLiteral("Item"), QStringLiteral("&Edit")}}},
  };
  return samples;
}

const std::vector<TEntitySample>& EntitySamples()
{
  const std::vector<TKind> all = {TKind::Plain,        TKind::LookupCombo, TKind::LookupButton,
                                  TKind::ListBox,      TKind::EmptyListBox, TKind::CheckBox};
  static const std::vector<TEntitySample> samples = {
      {TStyle::Horizontal, all},
      {TStyle::Vertical, all},
      {TStyle::Grid, all},
      {TStyle::Horizontal, {TKind::Plain}},
      {TStyle::Vertical, {TKind::CheckBox, TKind::Plain}},
      {TStyle::Horizontal, {}},
  };
  return samples;
}

std::string Describe(bool mdi, std::size_t sample)
{
  return std::string(mdi ? "MDI" : "normal frame") + ", sample " + std::to_string(sample);
}

// A form text nests its objects and the form converter takes it.
void ExpectFormTextSound(const QString& text, const std::string& where)
{
  EXPECT_EQ(FormNestingError(text).toStdString(), "") << where << "\n" << text.toStdString();
  EXPECT_EQ(ConversionError(text), "") << where << "\n" << text.toStdString();
}

// A unit is sound Pascal, implements every method its form class declares,
// and declares every event handler its form assigns.
void ExpectUnitServesForm(const QString& unit, const QString& formClass, const QString& form, const std::string& where)
{
  EXPECT_EQ(PascalSourceError(unit).toStdString(), "") << where << "\n" << unit.toStdString();
  const TMethods methods = UnitMethods(unit, formClass);
  EXPECT_EQ(Names(methods.Declared), Names(methods.Implemented)) << where;
  const QSet<QString> events = FormEventHandlers(form);
  EXPECT_TRUE(methods.Declared.contains(events))
      << where << ": events " << Names(events) << ", methods " << Names(methods.Declared);
}

TEST_F(TemplateComposition, MainFormNestsAndConvertsInBothStylesAndEveryMenuShape)
{
  for (bool mdi : {true, false}) {
    for (std::size_t s = 0; s < MenuSamples().size(); ++s) {
      const QString text = MainForm(mdi, MenuSamples()[s]);
      ExpectFormTextSound(text, Describe(mdi, s));
      EXPECT_EQ(text.contains(QLatin1String("WindowMenuItem")), mdi) << Describe(mdi, s);
    }
  }
}

TEST_F(TemplateComposition, EntityFormNestsAndConvertsInEveryStyleAndControlKind)
{
  for (bool mdi : {true, false}) {
    for (std::size_t s = 0; s < EntitySamples().size(); ++s) {
      ExpectFormTextSound(EntityForm(mdi, EntitySamples()[s]), Describe(mdi, s));
    }
  }
}

TEST_F(TemplateComposition, MainUnitImplementsEveryDeclaredMethodAndMenuEvent)
{
  for (bool mdi : {true, false}) {
    for (std::size_t s = 0; s < MenuSamples().size(); ++s) {
      ExpectUnitServesForm(MainUnit(mdi, MenuSamples()[s]), QStringLiteral("TCMainForm"),
                           MainForm(mdi, MenuSamples()[s]), Describe(mdi, s));
    }
  }
}

TEST_F(TemplateComposition, EntityUnitImplementsEveryDeclaredMethodAndFormEvent)
{
  for (bool mdi : {true, false}) {
    for (std::size_t s = 0; s < EntitySamples().size(); ++s) {
      ExpectUnitServesForm(EntityUnit(EntitySamples()[s]), QStringLiteral("TForm0"),
                           EntityForm(mdi, EntitySamples()[s]), Describe(mdi, s));
    }
  }
}

TEST_F(TemplateComposition, ProjectFileUsesEveryUnitAndCreatesEveryForm)
{
  TComposer c(FTemplates);
  c.T(1, {QStringLiteral("Pilot")});
  c.T(2, {QStringLiteral("CMain"), QStringLiteral("CMain"), QStringLiteral("CMainForm")});
  for (int i = 0; i < 2; ++i)
    c.T(2, {QStringLiteral("CUnit%1").arg(i), QStringLiteral("CUnit%1").arg(i), QStringLiteral("Form%1").arg(i)});
  c.T(3);
  c.T(4, {QStringLiteral("CMainForm"), QStringLiteral("CMainForm")});
  for (int i = 0; i < 2; ++i) c.T(4, {QStringLiteral("Form%1").arg(i), QStringLiteral("Form%1").arg(i)});
  c.T(5);
  const QString project = c.Text();
  EXPECT_EQ(PascalSourceError(project).toStdString(), "") << project.toStdString();
  EXPECT_TRUE(project.startsWith(QLatin1String("program Pilot;\r\n")));
  for (const char* line : {"CUnit1 in 'CUnit1.PAS' {Form1}", "Application.CreateForm(TCMainForm, CMainForm);",
                           "Application.CreateForm(TForm1, Form1);"})
    EXPECT_TRUE(project.contains(QLatin1String(line))) << line << "\n" << project.toStdString();
}

}  // namespace
