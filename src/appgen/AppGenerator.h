#pragma once
// The generator's parts behind RunAppGeneration: the template library, the
// formatting of one template, the width rules, and TAppExpert, which lays out
// each form and composes the text of every file in memory. Composing is kept
// apart from writing so that the text of each file can be checked as it is.

#include "appgen/AppExpert.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <vector>

namespace veska {

class TAttribute;
class TDiagram;
class TDrawingSurface;
class TEntity;

// The library holds this many templates, numbered from 0.
inline constexpr int kTemplateCount = 56;
// A formatted template is cut at this many characters.
inline constexpr int kFormatBufferSize = 2048;

// The templates of an enciphered library file's contents: deciphered, the
// first byte skipped, split at "|". `fileName` names the file in the error
// raised for a library with fewer than 56 templates.
QStringList ParseTemplateLibrary(const QByteArray& enciphered, const QString& fileName);
// Reads and parses the library file; a file that cannot be read ends the run
// with a message naming it and the system's reason.
QStringList LoadTemplateLibrary(const QString& fileName);

// One argument of a template: a text ("%s") or an integer ("%d").
struct TFormatArg {
  TFormatArg(const QString& text) : IsText(true), Text(text) {}
  TFormatArg(const char* text) : IsText(true), Text(QString::fromUtf8(text)) {}
  TFormatArg(int number) : IsText(false), Number(number) {}
  TFormatArg(qint64 number) : IsText(false), Number(number) {}
  bool IsText;
  QString Text;
  qint64 Number = 0;
};

// Formats `format` with the arguments in order: "%s" takes a text, "%d" an
// integer, "%%" gives "%", any other "%" is copied as it stands, and a
// placeholder left without an argument gives nothing. Every text argument
// ends up inside a quoted string of the generated files, so its single
// quotes are doubled. The result is cut at 2048 characters; `cut`, when
// given, tells whether it was.
QString FormatTemplate(const QString& format, std::initializer_list<TFormatArg> args, bool* cut = nullptr);

// The width in characters of a type text such as "VarChar(30)" (a domain's
// name stands for its data type), between 4 and 50.
int CharacterWidth(const TDiagram& model, const QString& typeText);
// The same for an attribute's DataType and Width.
int AttributeCharacterWidth(const TDiagram& model, const TAttribute& attribute);

// One control of a form: the attribute it shows and where.
struct TFormElement {
  const TAttribute* Attribute = nullptr;
  int Left = 0;
  int Top = 0;
  int FieldWidth = 0;
  int LabelWidth = 0;
};

// A lookup of the current form: its text "table,key column,width,display
// columns" and the child's attribute it fills.
struct TLookup {
  QString Text;
  const TAttribute* Attribute = nullptr;
};

// The generator of one run.
class TAppExpert {
public:
  // Takes the settings' directory, name, style and form list; the templates
  // come from the library. Every name of the form list must be an entity.
  TAppExpert(TDrawingSurface& surface, const TAppBuildSettings& settings, QStringList templates);

  int FieldSpacing = 0;
  int LineSpacing = 0;
  int FormClientWidth = 0;
  int FormClientHeight = 0;
  TEntity* CurrentEntity = nullptr;
  std::vector<TLookup> LookupList;
  std::vector<TFormElement> Elements;
  QString Directory;
  QString AppName;
  bool MDIApplication = true;
  TDrawingSurface& DrawingSurface;
  QStringList FormList;
  QStringList MenuGroups;

  // The distinct menu groups of the forms' entities, letter case ignored,
  // spelt as the first of them gives it.
  void RebuildMenuGroups();

  QString ProjectText() const;
  QString MainUnitText() const;
  QString MainFormText() const;
  // Makes form i current and lays it out (the entity's empty edit form
  // caption becomes "Maintain " + its name, in the model).
  void LayoutForm(int i);
  // The unit and form text of the form laid out last, as form number i.
  QString UnitText(int i) const;
  QString FormText(int i) const;

  // The path of a generated file in the destination directory.
  QString FilePath(const QString& name) const;

  // The names of the files the run writes, in the order written.
  QStringList OutputNames() const;

  // What was cut at the 2048-character limit since the last call, one
  // description each ("template 53", "the line \"...\""), and forgotten.
  QStringList TakeCuts() const;

  // The whole run: every file composed and written, progress reported.
  // `toResource` turns a form text into the bytes of its form file. No file
  // is written when one of them would be a file of KeptFiles. A file holding
  // a cut line is still written (a form that can then not be converted is
  // not) and the run goes on; the messages about them are returned.
  QStringList Run(const TAppProgress& progress, const std::function<QByteArray(const QString&)>& toResource);

private:
  // Writes the files of Run in turn (AppGenRun.cpp).
  class TRunFiles;

  // Appends template n with its arguments to `out`.
  void Put(QString& out, int n, std::initializer_list<TFormatArg> args = {}) const;
  // Appends one of the program's own lines (formatted, then CR LF).
  void Line(QString& out, const QString& format, std::initializer_list<TFormatArg> args = {}) const;
  TEntity* FormEntity(int i) const;
  // The menu groups of the main form, each with its forms.
  void PutMenuGroups(QString& out) const;
  // The lookups of the entity's form (its relations as child), and its
  // elements (key first, then the other attributes) with their widths.
  void CollectLookups(const TEntity& entity);
  void CollectElements(const TEntity& entity);
  // The index in LookupList of the lookup that fills the element's attribute,
  // or -1 when it is no lookup attribute.
  int LookupOf(const TFormElement& element) const;
  // The unit's declarations of the fields of a row or column form; returns
  // the elements whose lookup is a button beside an edit box.
  std::vector<int> PutFieldDeclarations(QString& out) const;
  // The click handler of element k's lookup button.
  void PutLookupHandler(QString& out, const QString& form, int k) const;
  void PutLabel(QString& out, int k, qint64 x, qint64 y, const TFormElement& element) const;
  void PutLookupCombo(QString& out, int k, qint64 x, qint64 y, qint64 w, const TFormElement& element) const;
  // Element k of a form laid out in a row (horizontal) or in a column.
  void PutElement(QString& out, int k, bool horizontal) const;
  // Throws when `path` is one of KeptFiles.
  void RefuseKeptFile(const QString& path) const;
  void WriteFile(const QString& name, const QByteArray& bytes) const;

  QStringList FTemplates;
  QStringList FKeptFiles;
  // Filled as the files are composed, emptied by TakeCuts.
  mutable QStringList FCuts;
  std::vector<TEntity*> FFormEntities;
  QHash<const TAttribute*, int> FLookupIndex;
};

}  // namespace veska
