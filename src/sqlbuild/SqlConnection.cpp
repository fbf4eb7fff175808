#include "sqlbuild/SqlConnection.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace veska {

namespace {

bool IsKeyChar(QChar c)
{
  return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// A value of an option file line without its quotes ("..." or '...').
QString Unquoted(const QString& value)
{
  if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
      && value.back() == value.front())
    return value.mid(1, value.size() - 2);
  return value;
}

}  // namespace

std::optional<TSqlConnection> ParseSqlConnection(const QString& text, QString* error)
{
  auto fail = [&](const QString& reason) -> std::optional<TSqlConnection> {
    if (error)
      *error = reason;
    return std::nullopt;
  };
  TSqlConnection connection;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skipBlanks = [&] {
    while (i < n && text.at(i).isSpace())
      ++i;
  };
  for (skipBlanks(); i < n; skipBlanks()) {
    const qsizetype keyStart = i;
    while (i < n && IsKeyChar(text.at(i)))
      ++i;
    const QString key = text.mid(keyStart, i - keyStart).toLower();
    skipBlanks();
    if (key.isEmpty() || i >= n || text.at(i) != QLatin1Char('='))
      return fail(QStringLiteral("The connection \"%1\" is not of the form key=value.").arg(text.mid(keyStart)));
    ++i;
    skipBlanks();
    // The value: quoted, or up to the next blank; a backslash takes the
    // character after it as it is, in both.
    QString value;
    const bool quoted = i < n && text.at(i) == QLatin1Char('\'');
    if (quoted)
      ++i;
    bool closed = !quoted;
    while (i < n) {
      const QChar c = text.at(i);
      if (quoted && c == QLatin1Char('\'')) {
        closed = true;
        ++i;
        break;
      }
      if (!quoted && c.isSpace())
        break;
      if (c == QLatin1Char('\\') && i + 1 < n)
        ++i;
      value += text.at(i++);
    }
    if (!closed)
      return fail(QStringLiteral("The value of \"%1\" in the connection lacks its closing quote.").arg(key));

    if (key == QLatin1String("password"))
      return fail(QStringLiteral("A password is never given on the command line: leave \"password\" out of the "
                                 "connection and enter the password when asked, or let the server's client "
                                 "settings supply it."));
    if (key == QLatin1String("host")) {
      connection.Host = value;
    } else if (key == QLatin1String("port")) {
      bool ok = false;
      const int port = value.toInt(&ok);
      if (!ok || port <= 0 || port > 65535)
        return fail(QStringLiteral("The port \"%1\" of the connection is no port number.").arg(value));
      connection.Port = port;
    } else if (key == QLatin1String("dbname")) {
      connection.Database = value;
    } else if (key == QLatin1String("user")) {
      connection.User = value;
    } else if (key == QLatin1String("file")) {
      connection.DatabaseFile = value;
    } else if (key == QLatin1String("options")) {
      connection.Options = value;
    } else {
      return fail(QStringLiteral("The connection has an unknown key \"%1\"; the keys are host, port, dbname, user, "
                                 "file and options.")
                      .arg(key));
    }
  }
  return connection;
}

QString MySqlDefaultPassword()
{
  if (const QByteArray env = qgetenv("MYSQL_PWD"); !env.isEmpty())
    return QString::fromLocal8Bit(env);
  QFile file(QDir::home().filePath(QStringLiteral(".my.cnf")));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    return QString();
  QTextStream in(&file);
  bool client = false;
  QString password;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
      continue;
    if (line.startsWith(QLatin1Char('['))) {
      client = line.compare(QLatin1String("[client]"), Qt::CaseInsensitive) == 0;
      continue;
    }
    if (!client)
      continue;
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
      continue;
    // The option files spell an option with "-" or "_" alike.
    QString key = line.left(equals).trimmed().toLower();
    key.replace(QLatin1Char('-'), QLatin1Char('_'));
    if (key == QLatin1String("password"))
      password = Unquoted(line.mid(equals + 1).trimmed());
  }
  return password;
}

}  // namespace veska
