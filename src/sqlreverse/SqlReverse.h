#pragma once
// Reading an SQL database into a new diagram: its tables become entities,
// columns attributes, keys key attributes, unique constraints and indexes
// the entities' indexes, foreign keys relations; PostgreSQL's domains become
// domains, functions and procedures processes. The column types go through
// the server's type map read backwards (ReverseTypes.h).

#include "sqlbuild/SqlConnection.h"

#include <QString>
#include <QStringList>

namespace veska {

class TDrawingSurface;
class TIniFile;
class TProgress;

struct TSqlReverseResult {
  int Tables = 0, Relations = 0, Domains = 0, Processes = 0;
  // What was left out, one line each, e.g. "View v_orders", "Sequence s".
  QStringList LeftOut;
  // What was read otherwise than the database has it, e.g. relations read
  // as foreign-key relations because the model refused their kind.
  QStringList Notes;
  // The server's own message when the database could not be reached or
  // read; nothing is added to the diagram then.
  QString Error;
  // A part of the tables or a routine was not read (left out or noted): the
  // diagram holds less than the database.
  bool Partial = false;
};

// Reads the catalog of the database into the (new, empty) diagram of
// `surface`, the boxes in rows as ReEngineer lays them out (callers arrange
// the diagram afterwards). `schema` is PostgreSQL's schema (empty:
// "public"), ignored elsewhere. `password` is held in memory only (empty:
// the client's usual places). A `progress` counts the tables. SQLite's file
// is opened read-only and never created.
TSqlReverseResult ReverseEngineerSql(TDrawingSurface& surface, const TIniFile& ini, const QString& server,
                                     const TSqlConnection& connection, const QString& password,
                                     const QString& schema, TProgress* progress = nullptr);

// "Processing completed." then the counts, and a line for each thing left
// out or noted.
QString SqlReverseCompletion(const TSqlReverseResult& result);

}  // namespace veska
