// veska-makelib: builds the application generator's template library.
//
//   veska-makelib OUT T00.txt ... T55.txt
//       reads the 56 template files (stored with LF line ends), gives every
//       line CR LF, joins them into one text (a leading byte the reader
//       skips, then each template followed by "|"), enciphers it and writes
//       OUT safely.
//   veska-makelib --decipher IN
//       prints the plain text of a library, without its leading byte.
//
// Exit status: 0 done, 1 a template or file refused, 2 wrong arguments.
#include "appgen/LibraryCipher.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kTemplateCount = 56;
constexpr char kSeparator = '|';
// The reader ignores the first byte; any value does.
constexpr char kLeadingByte = 'V';

void PrintError(const QString& text)
{
  std::fprintf(stderr, "veska-makelib: %s\n", text.toLocal8Bit().constData());
}

void PrintFileError(const veska::TFileAccessError& e)
{
  PrintError(QStringLiteral("%1: %2").arg(e.FileName(), QString::fromLocal8Bit(e.what())));
}

void PrintUsage()
{
  std::fprintf(stderr,
               "usage: veska-makelib OUT T00.txt ... T55.txt\n"
               "       veska-makelib --decipher IN\n");
}

// A template as the library holds it: CR LF line ends. A file that already
// has CR LF (a checkout converted on the way) is not doubled.
QByteArray TemplateText(const QByteArray& file)
{
  QByteArray text = file;
  text.replace("\r\n", "\n");
  text.replace("\n", "\r\n");
  return text;
}

int MakeLibrary(const QString& outName, const QStringList& templateNames)
{
  if (templateNames.size() != kTemplateCount) {
    PrintError(QStringLiteral("%1 template files given, the library holds %2")
                   .arg(templateNames.size())
                   .arg(kTemplateCount));
    return 2;
  }
  QByteArray plain(1, kLeadingByte);
  for (const QString& name : templateNames) {
    QByteArray text;
    try {
      text = TemplateText(veska::ReadRegularFile(name));
    } catch (const veska::TFileAccessError& e) {
      PrintFileError(e);
      return 1;
    }
    // The separator ends a template, so a template holding it would shift
    // every template after it.
    if (text.contains(kSeparator)) {
      PrintError(QStringLiteral("%1: a template cannot contain \"|\"").arg(name));
      return 1;
    }
    plain += text;
    plain += kSeparator;
  }
  try {
    veska::WriteFileSafely(outName, veska::CipherLibrary(plain));
  } catch (const veska::TFileAccessError& e) {
    PrintFileError(e);
    return 1;
  }
  return 0;
}

int PrintPlainLibrary(const QString& inName)
{
  QByteArray plain;
  try {
    plain = veska::CipherLibrary(veska::ReadRegularFile(inName));
  } catch (const veska::TFileAccessError& e) {
    PrintFileError(e);
    return 1;
  }
  const QByteArray text = plain.mid(1);
  if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()) ||
      std::fflush(stdout) != 0) {
    PrintError(QStringLiteral("cannot write to standard output"));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  if (args.size() == 2 && args[0] == QLatin1String("--decipher")) return PrintPlainLibrary(args[1]);
  if (args.size() < 2 || args[0].startsWith(QLatin1String("--"))) {
    PrintUsage();
    return 2;
  }
  const QString outName = args.takeFirst();
  return MakeLibrary(outName, args);
}
