#pragma once
// The destination of a build for an SQL server, on the build dialog's
// "Destination" page in place of the directory tree: a script file when the
// statements are saved to a file, the database file of SQLite, or the
// connection of a PostgreSQL or MySQL server (host, port, database, user and
// a password that is asked each time and never kept). Reading a database
// into a model asks the same, and PostgreSQL's schema.

#include "sqlbuild/SqlBuild.h"
#include "sqlbuild/SqlConnection.h"

#include <QHash>
#include <QWidget>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace veska {

class TIniFile;

class TSqlDestination : public QWidget {
  Q_OBJECT
public:
  explicit TSqlDestination(QWidget* parent = nullptr);

  // The script file, or SQLite's database file.
  QLineEdit* fileEdit = nullptr;
  QPushButton* browseButton = nullptr;
  QLineEdit* hostEdit = nullptr;
  // 0: the server's usual port.
  QSpinBox* portBox = nullptr;
  QLineEdit* databaseEdit = nullptr;
  QLineEdit* userEdit = nullptr;
  QLineEdit* passwordEdit = nullptr;
  // PostgreSQL's schema to read; empty: "public".
  QLineEdit* schemaEdit = nullptr;

  // Shows the fields that a build for the dialect needs: a script file
  // (`saveToFile`), SQLite's database file, or the connection.
  void ShowFor(TSqlDialect dialect, bool saveToFile);
  // Shows the fields that reading a database of the dialect needs: SQLite's
  // database file, or the connection and, on PostgreSQL, the schema.
  void ShowForReading(TSqlDialect dialect);
  bool ShowsFile() const { return FShowsFile; }

  // The fields remembered for `server` in the user's settings; the password
  // is emptied.
  void Recall(const TIniFile& userSettings, const QString& server);
  // Only the file remembered for what is shown now (the script, or the
  // database file), when the choice between them changed.
  void RecallFile(const TIniFile& userSettings, const QString& server);
  // Remembers every field but the password for `server`. Throws
  // std::runtime_error when the settings cannot be written.
  void Remember(TIniFile& userSettings, const QString& server) const;

  // The file named (the script, or SQLite's database).
  QString FileName() const;
  // The connection of the fields shown; the password is not part of it.
  TSqlConnection Connection() const;
  // The schema named to read, blanks trimmed.
  QString Schema() const;

  // What must still be filled in before the build can run, as the message
  // that asks for it; empty when nothing is missing.
  QString Missing() const;

private:
  void Browse();
  // The fields remembered for `server`, by case-folded key.
  static QHash<QString, QString> Remembered(const TIniFile& userSettings, const QString& server);
  // The key of the file shown now: the script's or the database's.
  QString FileKey() const;

  QFormLayout* FLayout = nullptr;
  QLabel* FFileLabel = nullptr;
  QWidget* FFileRow = nullptr;
  bool FShowsFile = false;
  bool FScript = false;
  bool FReading = false;
};

}  // namespace veska
