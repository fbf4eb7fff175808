#pragma once
// What the commands of veska-cli share: printing a line, the exit status of
// a file error and of a load, a new diagram, the settings file, writing the
// diagram, the directory argument, and reading a command line of options
// and file names.

#include "cli/Commands.h"
#include "surface/DrawingSurface.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <functional>
#include <map>

namespace veska::cli {

// `text` as one line of `stream`, in UTF-8.
void PrintLine(std::FILE* stream, const QString& text);

// "error: FILE: MESSAGE" for a file that cannot be read or written.
int FileError(std::FILE* err, const QString& fileName, const std::exception& e);

// Loads or merges one file as Open and Merge do; returns the exit status it
// stands for.
int LoadInto(TDrawingSurface& surface, const QString& fileName, std::FILE* err);

// A new diagram as the desktop program makes it, cleared for opening: a page
// of 8 by 10 inches at 96 pixels per inch, revision "0".
void PrepareNewDiagram(TDrawingSurface& surface);

// A new diagram with the file loaded into it; the status of the load.
int OpenInto(TDrawingSurface& surface, const QString& fileName, std::FILE* err);

// Whether a load read nothing (a corrupt file keeps what was read before the
// damage, and the command goes on with it).
bool NothingRead(int status);

// Whether `arg` is an option: "--" and a name ("--" alone is none).
bool IsOption(const QString& arg);

// The settings file a command reads: FILE of "--settings FILE", which must
// exist and be readable (read as empty, it would silently change the result),
// or VESKA.INI beside the program, which may be missing as for the desktop
// program. Returns ExitOk or ExitFileError (after saying why).
int SettingsFile(const QString& given, const QString& programDirectory, QString& settings, std::FILE* err);

// Writes the diagram to OUT as saving writes it; ExitOk or ExitFileError.
int WriteDiagramFile(TDrawingSurface& surface, const QString& fileName, std::FILE* err);

// ExitOk when `dir` is an existing directory, else ExitFileError (after
// saying so).
int CheckDirectory(const QString& dir, std::FILE* err);

// Handles the option at `args[i]`, stepping `i` over a value it takes;
// returns ExitOk or ExitUsage (after saying why).
using TOptionHandler = std::function<int(const QStringList& args, int& i)>;

// Reads a command line of options and file names: each option that
// `options` knows is handed to its handler (which may take its value and
// returns ExitOk or ExitUsage); any other option, or a count of names other
// than `fewest` to two, is a usage error (after saying why).
int ParseCommandLine(const QString& command, const QString& fileNames, const QStringList& args,
                     const std::map<QString, TOptionHandler>& options, QStringList& files, std::FILE* err,
                     int fewest = 2);

// The handler of an option that takes no value and sets `flag` to `value`.
TOptionHandler FlagOption(bool& flag, bool value = true);

// The handler of an option that takes one value into `value`.
TOptionHandler ValueOption(const QString& what, QString& value, std::FILE* err);

// The entities a command works on: the names given, each of which must be an
// entity of the diagram `in` (else ExitUsage after saying so), or every
// entity in list order.
int ChooseEntities(const TDrawingSurface& surface, const QString& in, bool given, QStringList& names, std::FILE* err);

}  // namespace veska::cli
