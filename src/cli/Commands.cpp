#include "cli/Commands.h"

#include "cli/StreamMessages.h"
#include "diagramfile/DiagramFile.h"
#include "platform/TextMeasurer.h"

#include <QSaveFile>

namespace veska::cli {

namespace {

void PrintLine(std::FILE* stream, const QString& text)
{
  std::fprintf(stream, "%s\n", text.toUtf8().constData());
}

// Loads or merges one file as Open and Merge do; returns the exit status it
// stands for.
int LoadInto(TDrawingSurface& surface, const QString& fileName, std::FILE* err)
{
  try {
    switch (LoadDiagram(surface, fileName)) {
    case TLoadResult::Loaded: return ExitOk;
    case TLoadResult::NotADiagram: return ExitNotADiagram;
    case TLoadResult::Corrupted: return ExitCorrupted;
    }
  } catch (const TFileError& e) {
    PrintLine(err, QStringLiteral("error: %1: %2").arg(fileName, QString::fromStdString(e.what())));
    return ExitFileError;
  }
  return ExitOk;
}

}  // namespace

QString HelpText()
{
  return QStringLiteral(
      "Usage: veska-cli COMMAND [OPTIONS] ARGUMENTS\n"
      "\n"
      "Works on Veska diagram files without a display.\n"
      "\n"
      "Commands:\n"
      "  convert [--merge FILE]... IN OUT\n"
      "      Opens the diagram IN, merges each FILE in the order given (as the\n"
      "      Merge command does), and writes the diagram to OUT in the current\n"
      "      file format. Revision and save date are kept as read.\n"
      "\n"
      "Options:\n"
      "  --help        Shows this text.\n"
      "  --merge FILE  (convert) Merges FILE into the diagram; may be repeated.\n"
      "\n"
      "Messages that the desktop program shows in message boxes are printed on\n"
      "standard error, one per line, as \"error: \", \"information: \" or\n"
      "\"confirmation: \" followed by the message.\n"
      "\n"
      "Exit status:\n"
      "  0  every file was read cleanly\n"
      "  1  IN or a merged file is not a diagram (OUT is not written)\n"
      "  2  a file was corrupt (OUT holds what was read)\n"
      "  3  a file cannot be opened or written\n"
      "  64 the command line is not understood\n");
}

int Convert(const QStringList& args, std::FILE* err)
{
  QStringList merges;
  QStringList files;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--merge")) {
      if (i + 1 >= args.size()) {
        PrintLine(err, QStringLiteral("veska-cli: --merge needs a file name"));
        return ExitUsage;
      }
      merges << args[++i];
    } else if (args[i].startsWith(QStringLiteral("--")) && args[i] != QStringLiteral("--")) {
      PrintLine(err, QStringLiteral("veska-cli: unknown option %1").arg(args[i]));
      return ExitUsage;
    } else {
      files << args[i];
    }
  }
  if (files.size() != 2) {
    PrintLine(err, QStringLiteral("veska-cli: convert needs IN and OUT (see veska-cli --help)"));
    return ExitUsage;
  }

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  // A new diagram as the desktop program makes it, cleared for opening.
  surface.DiagramName = QStringLiteral("Information Model V1.0");
  surface.Clear();

  int status = ExitOk;
  for (const QString& file : QStringList{files[0]} + merges) {
    const int result = LoadInto(surface, file, err);
    if (result == ExitNotADiagram || result == ExitFileError)
      return result;
    status = qMax(status, result);
  }

  QByteArray bytes;
  WriteDiagram(surface, bytes);
  QSaveFile out(files[1]);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
    PrintLine(err, QStringLiteral("error: %1: %2").arg(files[1], out.errorString()));
    return ExitFileError;
  }
  return status;
}

int Run(const QStringList& args, std::FILE* out, std::FILE* err)
{
  if (args.isEmpty()) {
    std::fputs(HelpText().toUtf8().constData(), err);
    return ExitUsage;
  }
  if (args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h") || args[0] == QStringLiteral("help")) {
    std::fputs(HelpText().toUtf8().constData(), out);
    return ExitOk;
  }
  if (args[0] == QStringLiteral("convert"))
    return Convert(args.mid(1), err);
  PrintLine(err, QStringLiteral("veska-cli: unknown command %1 (see veska-cli --help)").arg(args[0]));
  return ExitUsage;
}

}  // namespace veska::cli
