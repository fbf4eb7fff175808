// The command line of veska-cli: its help text, and running a command.

#include "cli/Commands.h"

#include "cli/CommandSupport.h"
#include "platform/MessageService.h"
#include "platform/Installation.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <new>

namespace veska::cli {

QString HelpText()
{
  return QStringLiteral(
      "Usage: veska-cli COMMAND [OPTIONS] ARGUMENTS\n"
      "       veska-cli --help | --version\n"
      "\n"
      "Works on Veska diagram files without a display.\n"
      "\n"
      "Commands:\n"
      "  convert [--merge FILE]... IN OUT\n"
      "      Opens the diagram IN, merges each FILE in the order given (as the\n"
      "      Merge command does), and writes the diagram to OUT in the current\n"
      "      file format. Revision and save date are kept as read.\n"
      "  arrange IN OUT\n"
      "      Opens the diagram IN, lays out all of it as Options, Arrange does\n"
      "      (related entities near each other, parents above their children,\n"
      "      no boxes on each other) and writes it to OUT.\n"
      "  entity-report [OPTIONS] IN OUT\n"
      "      Opens the diagram IN and writes its entity list report to OUT, as\n"
      "      Report, Entity List does with the same choices.\n"
      "  consistency-report [OPTIONS] IN OUT\n"
      "      Opens the diagram IN and writes its consistency check report to\n"
      "      OUT, as Report, Consistency Check does with the same choices.\n"
      "  build-database [--server NAME] [--drop] [--no-create]\n"
      "                 [--tables NAME[,NAME...]] [--stop-on-error]\n"
      "                 [--settings FILE] IN DIR\n"
      "      Opens the diagram IN and builds one desktop table per entity into\n"
      "      the existing directory DIR, as Build, Database does: for the\n"
      "      server NAME (default: the first of [Servers]), dropping the tables\n"
      "      first with --drop, without creating them with --no-create, for the\n"
      "      entities named (default: all, in list order). Each progress line\n"
      "      goes to standard output. A table that cannot be created is\n"
      "      reported and answered Ignore, so every table is tried, or Abort\n"
      "      with --stop-on-error. The servers Paradox and Dbase have desktop\n"
      "      tables.\n"
      "  build-database --server NAME (--database FILE | --connect TEXT)\n"
      "                 [SQL OPTIONS] [the options above] IN\n"
      "      Builds the diagram IN into an SQL database: for SQLite into the\n"
      "      database file FILE (created when missing); for PostgreSQL and\n"
      "      MySQL through the connection TEXT, \"host=H port=P dbname=D\n"
      "      user=U\" (a value in single quotes may hold blanks; a host that\n"
      "      starts with \"/\" is the server's socket). A password is never an\n"
      "      argument: it is taken where the server's own client takes it\n"
      "      (PGPASSWORD or ~/.pgpass; MYSQL_PWD or ~/.my.cnf). SQL options:\n"
      "      --no-primary-key, --no-foreign-keys, --no-domains (write each\n"
      "      domain's type and rule on its columns), --processes (run the\n"
      "      model's processes of the server after the tables).\n"
      "  schema --server NAME [SQL OPTIONS] [--drop] [--no-create]\n"
      "         [--tables NAME[,NAME...]] [--stop-on-error] [--settings FILE] IN OUT\n"
      "      Writes the statements that build-database would run on the SQL\n"
      "      server NAME into the script OUT, as Save To File does.\n"
      "  reverse-engineer [--settings FILE] DIR OUT\n"
      "      Reads the desktop tables of directory DIR into a new diagram, as\n"
      "      Build, ReEngineer does, and writes it to OUT.\n"
      "  reverse-engineer --server NAME (--database FILE | --connect \"...\")\n"
      "                   [--schema NAME] [--settings FILE] OUT\n"
      "      Reads the SQL database of server NAME (SQLite's FILE, or the\n"
      "      connection as for build-database; PostgreSQL's schema NAME, default\n"
      "      public) into a new diagram, arranges it and writes it to OUT.\n"
      "  build-application [--normal-frame] [--name NAME] [--forms NAME[,NAME...]]\n"
      "                    [--settings FILE] IN DIR\n"
      "      Opens the diagram IN and generates the source of its data-entry\n"
      "      application into the existing directory DIR, as Build, Forms\n"
      "      does: an MDI frame (a normal frame with --normal-frame), the\n"
      "      application NAME (default Pilot, at most 8 characters), one form\n"
      "      per entity named (default: all, in list order; each once). NAME\n"
      "      is a Pascal identifier that names no unit of the project (CMain,\n"
      "      CUnitN). The template library is the one the settings file names,\n"
      "      beside veska-cli. Each progress line goes to standard output. IN\n"
      "      is not changed: no generated file may be IN.\n"
      "  form-to-text FILE\n"
      "      Prints the generated form file FILE (.DFM) as form text.\n"
      "  export [--dpi N] [--pages all|C,R[;C,R]...] IN OUT\n"
      "      Opens the diagram IN and writes the whole diagram to OUT as the\n"
      "      screen shows it at 100% zoom, cut to the drawn objects plus a margin,\n"
      "      as File, Export does: OUT ending in .pdf gives one vector page\n"
      "      with its text as text, .svg an SVG drawing, .png an image of N\n"
      "      dots per inch (--dpi, 24 to 1200, default 192: twice the screen's).\n"
      "      With --pages (only for .pdf) OUT holds printed pages instead, A4\n"
      "      portrait, one PDF page each in the order Print prints them (column\n"
      "      by column, each from top to bottom): all of them, or the pages in\n"
      "      column C and row R, both counted from 1 as on the page grid (the\n"
      "      page marked Page(R,C) when printed is C,R).\n"
      "\n"
      "Options:\n"
      "  --help        Shows this text.\n"
      "  --version     Shows the version and the license.\n"
      "  --merge FILE  (convert) Merges FILE into the diagram; may be repeated.\n"
      "  --dpi N       (export) The resolution of a PNG image.\n"
      "  --pages all|C,R[;C,R]...\n"
      "                (export) Printed pages into a PDF file.\n"
      "  --settings FILE\n"
      "                Reads the settings from FILE instead of VESKA.INI\n"
      "                beside veska-cli (or, installed, in share/veska).\n"
      "\n"
      "Without options a report is written with the dialog's initial choices;\n"
      "each option turns one check box or radio button the other way.\n"
      "  entity-report:      --table-name, --entity-description,\n"
      "                      --no-primary-key, --pk-column-name, --pk-column-type,\n"
      "                      --pk-nullability, --pk-description, --no-attributes,\n"
      "                      --attr-column-name, --attr-column-type,\n"
      "                      --attr-nullability, --attr-description,\n"
      "                      --no-relations, --relation-description, --tabular\n"
      "  consistency-report: --no-domains, --no-entities\n"
      "\n"
      "Messages that the desktop program shows in message boxes are printed on\n"
      "standard error, one per line, as \"error: \", \"information: \" or\n"
      "\"confirmation: \" followed by the message.\n"
      "\n"
      "Exit status:\n"
      "  0  every file was read cleanly\n"
      "  1  IN or a merged file is not a diagram (OUT is not written)\n"
      "  2  a file was corrupt (OUT holds what was read, or its report);\n"
      "     form-to-text: FILE is not a form file;\n"
      "     reverse-engineer: a table could not be read (OUT holds the tables read\n"
      "     before it), or a part of the SQL database's catalog (OUT holds\n"
      "     the rest; what was not read is named)\n"
      "  3  a file cannot be opened or written, or DIR is not a (writable)\n"
      "     directory; build-database, reverse-engineer: the database cannot be\n"
      "     reached or read;\n"
      "     schema: OUT cannot be written; build-application: the template library cannot be\n"
      "     read or a file cannot be generated (the files written before stay);\n"
      "     export: the diagram has nothing drawn or the image\n"
      "     would be too large even at 24 dpi (a PNG too large at the\n"
      "     resolution asked for is made at the highest that fits, and said)\n"
      "  4  build-database, schema: some table or statement could not be\n"
      "     created;\n"
      "     build-application: a generated line was cut at 2048 characters\n"
      "     (the files are written; a form that cannot be converted is not)\n"
      "  64 the command line is not understood\n");
}

namespace {

int Dispatch(const QStringList& args, std::FILE* out, std::FILE* err)
{
  if (args.isEmpty()) {
    std::fputs(HelpText().toUtf8().constData(), err);
    return ExitUsage;
  }
  if (args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h") || args[0] == QStringLiteral("help")) {
    std::fputs(HelpText().toUtf8().constData(), out);
    return ExitOk;
  }
  if (args[0] == QStringLiteral("--version")) {
    std::fputs(VersionText(QStringLiteral("veska-cli")).toUtf8().constData(), out);
    return ExitOk;
  }
  // VESKA.INI beside the program, or in the data folder of its installation.
  const QString dataDirectory = DataDirectory(QCoreApplication::applicationDirPath());
  if (args[0] == QStringLiteral("convert"))
    return Convert(args.mid(1), err);
  if (args[0] == QStringLiteral("arrange"))
    return Arrange(args.mid(1), err);
  if (args[0] == QStringLiteral("entity-report"))
    return EntityReport(args.mid(1), err);
  if (args[0] == QStringLiteral("consistency-report"))
    return ConsistencyReport(args.mid(1), dataDirectory, err);
  if (args[0] == QStringLiteral("build-database"))
    return BuildDatabase(args.mid(1), dataDirectory, out, err);
  if (args[0] == QStringLiteral("schema"))
    return Schema(args.mid(1), dataDirectory, out, err);
  if (args[0] == QStringLiteral("reverse-engineer"))
    return ReverseEngineer(args.mid(1), dataDirectory, err);
  if (args[0] == QStringLiteral("build-application"))
    return BuildApplication(args.mid(1), dataDirectory, out, err);
  if (args[0] == QStringLiteral("form-to-text"))
    return FormToText(args.mid(1), out, err);
  if (args[0] == QStringLiteral("export"))
    return Export(args.mid(1), err);
  PrintLine(err, QStringLiteral("veska-cli: unknown command %1 (see veska-cli --help)").arg(args[0]));
  return ExitUsage;
}

}  // namespace

int Run(const QStringList& args, std::FILE* out, std::FILE* err)
{
  int status = ExitFileError;
  try {
    status = Dispatch(args, out, err);
  } catch (const std::bad_alloc&) {
    // Files are written whole or not at all: what was there stays.
    PrintLine(err, QStringLiteral("error: %1").arg(OutOfMemoryMessage()));
  }
  // What could not be written to standard output is no success. The error
  // of the write that failed is the last one the process met.
  if (std::fflush(out) != 0 || std::ferror(out)) {
    const int error = errno ? errno : EIO;
    PrintLine(err, QStringLiteral("error: standard output: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    return status == ExitOk ? ExitFileError : status;
  }
  return status;
}

}  // namespace veska::cli
