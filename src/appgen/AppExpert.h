#pragma once
// The application generator: from a model it writes the source of a
// data-entry application (project file, main unit and main form, one unit and
// one form per chosen entity), composed from the templates of the enciphered
// template library.

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace veska {

class TDrawingSurface;
class TIniFile;
class TProgress;

// An error that ends a generation run (library missing or damaged, a file
// that cannot be written, a form that cannot be converted). what() is the
// complete message for the user.
class TAppGenError : public std::runtime_error {
public:
  explicit TAppGenError(const QString& message);
};

struct TAppBuildSettings {
  QString Directory;              // destination directory
  QString AppName = QStringLiteral("Pilot");
  bool MDIApplication = true;     // "MDI Frame"; false: "Normal Frame"
  QStringList FormList;           // entity names of the forms, in order
  QString LibraryFile;            // path of the enciphered template library
  // Files the run must never write, whatever their names or links: the
  // diagram the application is generated from.
  QStringList KeptFiles;
};

// The progress page: Clear empties it, Add appends one line. An optional
// Bar counts the files written.
struct TAppProgress {
  std::function<void()> Clear;
  std::function<void(const QString&)> Add;
  TProgress* Bar = nullptr;
};

// Why `name` cannot be the application name, or an empty text when it can.
// It becomes the project's program name and the name of its files, so it
// must be a Pascal identifier of 1 to 8 characters (letters A to Z, digits
// and "_", not starting with a digit) that is no reserved word and names no
// unit of the project (CMain, CUnit0, CUnit1, ..., and the units it uses),
// letter case ignored as the compiler ignores it.
QString AppNameRefusal(const QString& name);

// Why `forms` cannot be the entities to generate forms for, or an empty text
// when it can: at least one name, none empty, none twice (letter case
// ignored).
QString FormListRefusal(const QStringList& forms);

// The library file named by the settings ("Library"/"FileName"), relative to
// the program's directory.
QString LibraryFilePath(const TIniFile& ini, const QString& programDirectory);

// One generation run. Changes the model only where the generator must (an
// empty edit form caption becomes "Maintain " + the entity's name). Throws
// TAppGenError; files written before the error stay. Returns the problems
// that did not end the run, one message each: the files in which a line was
// cut at the 2048-character limit (and therefore will not compile).
QStringList RunAppGeneration(TDrawingSurface& surface, const TAppBuildSettings& settings, const TAppProgress& progress);

}  // namespace veska
