#pragma once
// The commands of veska-cli. Each takes its arguments (after the command
// word) and returns the exit status.

#include <QStringList>

#include <cstdio>

namespace veska::cli {

enum TExitStatus : int {
  ExitOk = 0,
  ExitNotADiagram = 1,
  ExitCorrupted = 2,
  ExitFileError = 3,
  ExitBuildErrors = 4,  // some table or statement could not be created, or a generated line was cut
  ExitUsage = 64,
};

int Convert(const QStringList& args, std::FILE* err);
// Lay out the whole diagram as Options, Arrange does.
int Arrange(const QStringList& args, std::FILE* err);
// Write the entity list or the consistency check of a diagram to a file.
// `programDirectory` holds the default settings file VESKA.INI.
int EntityReport(const QStringList& args, std::FILE* err);
int ConsistencyReport(const QStringList& args, const QString& programDirectory, std::FILE* err);
// Build the tables of a diagram's entities into a directory, and read a
// directory of tables into a new diagram.
int BuildDatabase(const QStringList& args, const QString& programDirectory, std::FILE* out, std::FILE* err);
int ReverseEngineer(const QStringList& args, const QString& programDirectory, std::FILE* err);
// Write the statements of an SQL build as a script.
int Schema(const QStringList& args, const QString& programDirectory, std::FILE* out, std::FILE* err);
// Generate the application of a diagram's entities into a directory, and
// print a generated form file as form text.
int BuildApplication(const QStringList& args, const QString& programDirectory, std::FILE* out, std::FILE* err);
int FormToText(const QStringList& args, std::FILE* out, std::FILE* err);
// Write the whole diagram as a PDF, SVG or PNG picture.
int Export(const QStringList& args, std::FILE* err);
// Text of `veska-cli --help`.
QString HelpText();
// Runs the command line (without the program name).
int Run(const QStringList& args, std::FILE* out, std::FILE* err);

}  // namespace veska::cli
