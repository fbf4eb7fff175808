#pragma once
// The database build run without a dialog: drops and creates one desktop
// table per chosen entity of a model, reporting each step on a progress line
// and asking through the message seam when a table cannot be created.

#include <QString>
#include <QStringList>

#include <functional>

namespace veska {

class TDrawingSurface;
class TIniFile;
class TMessageService;
class TProgress;

struct TBuildSettings {
  QString ServerName;
  bool DropTables = false;
  bool CreateTables = true;
  QString Directory;         // where the tables are written
  QStringList TableFilter;   // entity names, in the order chosen
};

struct TBuildResult {
  bool Ran = false;          // false: the server has no desktop tables
  int ErrorCount = 0;
  bool Aborted = false;      // the user chose Abort on a failed table
};

// Each call replaces the previous progress line.
using TBuildProgress = std::function<void(const QString&)>;

// The information that ends a completed build: "Processing completed." and,
// when there were errors, " Error Count = N".
QString BuildCompletedMessage(int errorCount);

// Runs the build for a "Paradox" or "Dbase" server (letter case ignored);
// any other server does nothing and shows nothing. Failures to drop a table
// are ignored; a table that cannot be created counts as an error and asks
// Abort (ends the run at once) or Ignore (goes on). A completed run ends with
// the information "Processing completed." and the error count, if any.
// A `bar` counts the tables dropped and created; it ends before the final
// information.
TBuildResult RunBuild(const TIniFile& ini, const TBuildSettings& settings, const TDrawingSurface& surface,
                      TMessageService& messages, const TBuildProgress& progress, TProgress* bar = nullptr);

}  // namespace veska
