#include "dialogs/SqlDestination.h"

#include "platform/IniFile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace veska {

namespace {

// The section of the user's settings that keeps a server's destination.
QString ConnectionSection(const QString& server)
{
  return server + QStringLiteral("-Connection");
}

QLineEdit* MakeEdit(QWidget* parent, const char* name)
{
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

}  // namespace

TSqlDestination::TSqlDestination(QWidget* parent) : QWidget(parent)
{
  setObjectName(QStringLiteral("SqlDestination"));
  FFileRow = new QWidget(this);
  fileEdit = MakeEdit(FFileRow, "SqlFileEdit");
  browseButton = new QPushButton(QStringLiteral("&Browse..."), FFileRow);
  browseButton->setObjectName(QStringLiteral("SqlBrowseButton"));
  browseButton->setAutoDefault(false);
  auto* fileLayout = new QHBoxLayout(FFileRow);
  fileLayout->setContentsMargins(0, 0, 0, 0);
  fileLayout->addWidget(fileEdit, 1);
  fileLayout->addWidget(browseButton);

  hostEdit = MakeEdit(this, "SqlHostEdit");
  hostEdit->setPlaceholderText(QStringLiteral("the local server"));
  portBox = new QSpinBox(this);
  portBox->setObjectName(QStringLiteral("SqlPortBox"));
  portBox->setRange(0, 65535);
  portBox->setSpecialValueText(QStringLiteral("usual"));
  databaseEdit = MakeEdit(this, "SqlDatabaseEdit");
  userEdit = MakeEdit(this, "SqlUserEdit");
  passwordEdit = MakeEdit(this, "SqlPasswordEdit");
  passwordEdit->setEchoMode(QLineEdit::Password);
  passwordEdit->setPlaceholderText(QStringLiteral("from the client's settings"));
  schemaEdit = MakeEdit(this, "SqlSchemaEdit");
  schemaEdit->setPlaceholderText(QStringLiteral("public"));

  FLayout = new QFormLayout(this);
  FLayout->setContentsMargins(0, 0, 0, 0);
  FFileLabel = new QLabel(QStringLiteral("&File"), this);
  FFileLabel->setBuddy(fileEdit);
  FLayout->addRow(FFileLabel, FFileRow);
  FLayout->addRow(QStringLiteral("&Host"), hostEdit);
  FLayout->addRow(QStringLiteral("P&ort"), portBox);
  FLayout->addRow(QStringLiteral("D&atabase"), databaseEdit);
  FLayout->addRow(QStringLiteral("&User"), userEdit);
  FLayout->addRow(QStringLiteral("&Password"), passwordEdit);
  FLayout->addRow(QStringLiteral("&Schema"), schemaEdit);

  connect(browseButton, &QPushButton::clicked, this, [this] { Browse(); });
}

void TSqlDestination::ShowFor(TSqlDialect dialect, bool saveToFile)
{
  FReading = false;
  FScript = saveToFile;
  FShowsFile = saveToFile || dialect == TSqlDialect::SQLite;
  FFileLabel->setText(saveToFile ? QStringLiteral("Script &file") : QStringLiteral("Database &file"));
  FLayout->setRowVisible(FFileRow, FShowsFile);
  for (QWidget* field : {static_cast<QWidget*>(hostEdit), static_cast<QWidget*>(portBox),
                         static_cast<QWidget*>(databaseEdit), static_cast<QWidget*>(userEdit),
                         static_cast<QWidget*>(passwordEdit)})
    FLayout->setRowVisible(field, !FShowsFile);
  FLayout->setRowVisible(schemaEdit, false);
}

void TSqlDestination::ShowForReading(TSqlDialect dialect)
{
  ShowFor(dialect, false);
  FReading = true;
  FLayout->setRowVisible(schemaEdit, dialect == TSqlDialect::PostgreSQL);
}

void TSqlDestination::Recall(const TIniFile& userSettings, const QString& server)
{
  const QHash<QString, QString> kept = Remembered(userSettings, server);
  fileEdit->setText(kept.value(FileKey()));
  hostEdit->setText(kept.value(QStringLiteral("host")));
  portBox->setValue(TIniFile::ToNumber(kept.value(QStringLiteral("port"))));
  databaseEdit->setText(kept.value(QStringLiteral("database")));
  userEdit->setText(kept.value(QStringLiteral("user")));
  schemaEdit->setText(kept.value(QStringLiteral("schema")));
  passwordEdit->clear();
}

void TSqlDestination::RecallFile(const TIniFile& userSettings, const QString& server)
{
  fileEdit->setText(Remembered(userSettings, server).value(FileKey()));
}

void TSqlDestination::Remember(TIniFile& userSettings, const QString& server) const
{
  // The file not shown now keeps what was remembered for it.
  const QHash<QString, QString> kept = Remembered(userSettings, server);
  QString file = kept.value(QStringLiteral("file"));
  QString script = kept.value(QStringLiteral("script"));
  if (FShowsFile)
    (FScript ? script : file) = fileEdit->text().trimmed();
  userSettings.WriteSection(ConnectionSection(server),
                            {{QStringLiteral("File"), file},
                             {QStringLiteral("Script"), script},
                             {QStringLiteral("Host"), hostEdit->text().trimmed()},
                             {QStringLiteral("Port"), QString::number(portBox->value())},
                             {QStringLiteral("Database"), databaseEdit->text().trimmed()},
                             {QStringLiteral("User"), userEdit->text().trimmed()},
                             {QStringLiteral("Schema"), Schema()}});
}

QHash<QString, QString> TSqlDestination::Remembered(const TIniFile& userSettings, const QString& server)
{
  // One read of the file; key names ignore letter case, the first of a name
  // counts.
  QHash<QString, QString> kept;
  for (const auto& [key, value] : userSettings.ReadSection(ConnectionSection(server)))
    if (const QString folded = key.toCaseFolded(); !kept.contains(folded))
      kept.insert(folded, value);
  return kept;
}

QString TSqlDestination::FileKey() const
{
  return FScript ? QStringLiteral("script") : QStringLiteral("file");
}

QString TSqlDestination::FileName() const
{
  return fileEdit->text().trimmed();
}

TSqlConnection TSqlDestination::Connection() const
{
  TSqlConnection connection;
  if (FShowsFile) {
    connection.DatabaseFile = FileName();
    return connection;
  }
  connection.Host = hostEdit->text().trimmed();
  connection.Port = portBox->value();
  connection.Database = databaseEdit->text().trimmed();
  connection.User = userEdit->text().trimmed();
  return connection;
}

QString TSqlDestination::Schema() const
{
  return schemaEdit->text().trimmed();
}

QString TSqlDestination::Missing() const
{
  if (!FShowsFile)
    return QString();
  if (FileName().isEmpty())
    return FScript     ? QStringLiteral("Please name the script file to write.")
           : FReading ? QStringLiteral("Please name the database file to read.")
                      : QStringLiteral("Please name the database file to build.");
  // Reading makes no database: a name mistyped is said, not made.
  if (FReading && !QFileInfo(FileName()).isFile())
    return QStringLiteral("The database file %1 does not exist.").arg(FileName());
  return QString();
}

void TSqlDestination::Browse()
{
  const QString databases = QStringLiteral("SQLite Databases (*.db *.sqlite *.sqlite3);;All Files (*)");
  QString name;
  if (FReading)
    name = QFileDialog::getOpenFileName(this, QStringLiteral("Veska - Database File"), fileEdit->text(), databases);
  else if (FScript)
    name = QFileDialog::getSaveFileName(this, QStringLiteral("Veska - Script File"), fileEdit->text(),
                                        QStringLiteral("SQL Scripts (*.sql *.SQL);;All Files (*)"));
  else
    // A database file may exist already: it is built into, not replaced.
    name = QFileDialog::getSaveFileName(this, QStringLiteral("Veska - Database File"), fileEdit->text(), databases,
                                        nullptr, QFileDialog::DontConfirmOverwrite);
  if (!name.isEmpty())
    fileEdit->setText(name);
}

}  // namespace veska
