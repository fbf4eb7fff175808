#pragma once
// What build-database and schema share: their options, the server they
// build for, and the answers a headless run gives to Abort or Ignore.

#include "cli/StreamMessages.h"
#include "sqlbuild/SqlBuild.h"
#include "sqlbuild/SqlConnection.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace veska {
class TIniFile;
}

namespace veska::cli {

// Headless, nobody can choose: a question offering Ignore is answered Ignore,
// so that one failure does not stop the rest of the work, or Abort when the
// caller asked to stop at the first error; everything is still printed.
class TIgnoringMessages final : public TMessageService {
public:
  TIgnoringMessages(std::FILE* stream, bool abort) : FPrinter(stream), FAbort(abort) {}
  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override;

private:
  TStreamMessages FPrinter;
  bool FAbort;
};

// The command line of a database build.
struct TDatabaseArgs {
  QString Server;
  QString Settings;  // the settings file read (after --settings)
  // Where an SQL build goes: SQLite's file, or a connection text.
  QString Database;
  QString Connect;
  QStringList Entities;
  bool EntitiesGiven = false;
  bool StopOnError = false;
  TSqlBuildOptions Options;
  // The options given that only SQL servers take, as written.
  QStringList SqlOnly;
  QStringList Files;
};

// Reads the options of build-database or schema and then `fewest` to two
// file names; finds the settings file and the server (the one named, as the
// settings file spells it, or else the first it lists). Returns ExitOk,
// ExitUsage or ExitFileError (after saying why).
int ParseDatabaseArgs(const QString& command, const QString& fileNames, int fewest, const QStringList& args,
                      const QString& programDirectory, TDatabaseArgs& parsed, std::FILE* err);

// The server a command works on: the one named in `server` (then spelled as
// the settings file spells it), or the first one the settings file lists.
// Returns ExitOk or ExitUsage (after saying why).
int ChooseServer(const TIniFile& ini, QString& server, std::FILE* err);

// Where an SQL command connects: SQLite's file from `database`, another
// server's connection from `connect`; `use` says what is done with SQLite's
// file ("builds into", "reads"). Returns ExitOk or ExitUsage (after saying why).
int SqlConnectionOf(const QString& use, const QString& server, TSqlDialect dialect, const QString& database,
                    const QString& connect, TSqlConnection& connection, std::FILE* err);

// An SQL build of the diagram (build-database for a server with a dialect).
int BuildSqlDatabase(const TDatabaseArgs& args, TSqlDialect dialect, std::FILE* out, std::FILE* err);

}  // namespace veska::cli
