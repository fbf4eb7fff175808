// The template library file and the formatting of one template.
#include "appgen/AppGenerator.h"

#include "appgen/LibraryCipher.h"
#include "tablebuild/ServerDefinitions.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <QDir>

namespace veska {

QString LibraryFilePath(const TIniFile& ini, const QString& programDirectory)
{
  const QString name = ReadLibraryFileName(ini);
  return name.isEmpty() ? QString() : QDir(programDirectory).filePath(name);
}


QStringList ParseTemplateLibrary(const QByteArray& enciphered, const QString& fileName)
{
  const QByteArray plain = CipherLibrary(enciphered);
  // The first byte is not part of any template.
  const QString text = DecodeText(plain.mid(1));
  QStringList templates;
  templates.reserve(kTemplateCount);
  qsizetype start = 0;
  while (templates.size() < kTemplateCount) {
    const qsizetype bar = text.indexOf(QLatin1Char('|'), start);
    if (bar < 0)
      throw TAppGenError(QStringLiteral("The template library %1 is damaged: it holds %2 of the %3 templates.")
                             .arg(fileName, QString::number(templates.size()), QString::number(kTemplateCount)));
    templates << text.mid(start, bar - start);
    start = bar + 1;
  }
  return templates;
}

QStringList LoadTemplateLibrary(const QString& fileName)
{
  if (fileName.isEmpty())
    throw TAppGenError(QStringLiteral("The settings name no template library (section Library, key FileName)."));
  QByteArray bytes;
  try {
    bytes = ReadRegularFile(fileName);
  } catch (const TFileAccessError& e) {
    throw TAppGenError(QStringLiteral("Cannot read the template library %1: %2")
                           .arg(fileName, QString::fromStdString(e.what())));
  }
  return ParseTemplateLibrary(bytes, fileName);
}

// ------------------------------------------------------------- formatting

QString FormatTemplate(const QString& format, std::initializer_list<TFormatArg> args, bool* cut)
{
  QString out;
  auto next = args.begin();
  const qsizetype n = format.size();
  // A character takes at most two UTF-16 units: past twice the limit in
  // units the cut below is certain, so the rest need not be formatted.
  for (qsizetype i = 0; i < n && out.size() <= 2 * kFormatBufferSize; ++i) {
    const QChar c = format[i];
    if (c != QLatin1Char('%') || i + 1 >= n) {
      out += c;
      continue;
    }
    const QChar kind = format[i + 1];
    if (kind == QLatin1Char('%')) {
      out += QLatin1Char('%');
      ++i;
    } else if (kind == QLatin1Char('s') || kind == QLatin1Char('d')) {
      ++i;
      if (next == args.end())
        continue;  // no argument left: the placeholder gives nothing
      const TFormatArg& arg = *next++;
      if (arg.IsText) {
        QString text = arg.Text;
        out += text.replace(QLatin1Char('\''), QStringLiteral("''"));
      } else {
        out += QString::number(arg.Number);
      }
    } else {
      out += c;  // copied as it stands; the next character follows normally
    }
  }
  // Characters, not UTF-16 units: a pair is never split.
  const bool tooLong = CharacterCount(out) > kFormatBufferSize;
  if (cut)
    *cut = tooLong;
  return tooLong ? LeftCharacters(out, kFormatBufferSize) : out;
}

}  // namespace veska
