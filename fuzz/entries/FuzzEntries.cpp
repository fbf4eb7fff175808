#include "FuzzEntries.h"

#include "diagramfile/DiagramFile.h"
#include "engine/TableEngine.h"
#include "formresource/FormResource.h"
#include "model/Integrity.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/TextEncoding.h"
#include "platform/TextMeasurer.h"
#include "tablebuild/ReEngineer.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace veska::fuzz {
namespace {

[[noreturn]] void Fail(const char* what, const QString& detail = QString())
{
  std::fprintf(stderr, "fuzz: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
  std::abort();
}

// Takes every message with the first button offered.
class TQuietMessages final : public TMessageService {
public:
  TMsgButton Show(TMsgDlgType, const QString&, int buttons) override
  {
    for (int b = 1; b <= mbRetry; b <<= 1)
      if (buttons & b)
        return static_cast<TMsgButton>(b);
    return mbOK;
  }
};

// The model's links are whole, and the file written from it reads back
// whole to the same model: written again, it gives the same bytes.
void CheckWholeAndReadsBack(const TDrawingSurface& surface, TMessageService& messages)
{
  const QStringList problems = CheckIntegrity(surface);
  if (!problems.isEmpty())
    Fail("the model is not whole", problems.join(QLatin1String("; ")));

  QByteArray written;
  WriteDiagram(surface, written);
  TDrawingSurface again(messages, TQtTextMeasurer::Instance());
  again.Clear();
  if (LoadDiagramBytes(again, written) != TLoadResult::Loaded)
    Fail("the written diagram does not read back whole");
  QByteArray rewritten;
  WriteDiagram(again, rewritten);
  if (rewritten != written)
    Fail("the written diagram reads back to another model");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
    Fail("cannot write the input to", path);
}

// ---- Form text and form resource.

// Form text read from the bytes, converted to a resource, back to text and
// to a resource again: both resources are the same.
void FormTextRoundTrip(const QByteArray& bytes)
{
  QByteArray resource;
  try {
    resource = FormTextToResource(DecodeText(bytes));
  } catch (const TFormTextError&) {
    return;
  }
  QString text;
  try {
    text = FormResourceToText(resource);
  } catch (const TFormTextError& e) {
    Fail("a resource converted from text does not convert back", QString::fromUtf8(e.what()));
  }
  try {
    if (FormTextToResource(text) != resource)
      Fail("the text of a converted resource converts to another resource");
  } catch (const TFormTextError& e) {
    Fail("the text of a converted resource is refused", QString::fromUtf8(e.what()));
  }
}

// The bytes as a resource, converted to text, to a resource and to text
// again: both texts are the same.
void FormResourceRoundTrip(const QByteArray& bytes)
{
  QString text;
  try {
    text = FormResourceToText(bytes);
  } catch (const TFormTextError&) {
    return;
  }
  try {
    if (FormResourceToText(FormTextToResource(text)) != text)
      Fail("the text written from a resource converts to another text");
  } catch (const TFormTextError& e) {
    Fail("the text written from a resource is refused", QString::fromUtf8(e.what()));
  }
}

// ---- Settings files.

using TEntries = QList<std::pair<QString, QString>>;

TEntries Storable(const TEntries& entries)
{
  TEntries kept;
  for (const auto& entry : entries)
    if (TIniFile::CanStoreKey(entry.first) && TIniFile::CanStoreValue(entry.second))
      kept.append(entry);
  return kept;
}

}  // namespace

// ---- Desktop tables.

// The first byte picks the format (odd: Paradox, even: dBASE); the rest is
// the table file, then its index file and its memo file, separated by
// kTableFileSeparator. Missing parts are missing files.
QString WriteTableInput(const QByteArray& bytes, const QString& dir)
{
  static const std::array<const char*, 3> dbase = {"T.DBF", "T.MDX", "T.DBT"};
  static const std::array<const char*, 3> pdox = {"T.DB", "T.PX", "T.MB"};
  const bool paradox = !bytes.isEmpty() && (bytes.front() & 1);
  const auto& names = paradox ? pdox : dbase;
  const QByteArray separator(kTableFileSeparator);
  qsizetype from = bytes.isEmpty() ? 0 : 1;
  for (const char* name : names) {
    if (from > bytes.size())
      break;
    qsizetype end = bytes.indexOf(separator, from);
    if (end < 0)
      end = bytes.size();
    WriteFile(dir + QLatin1Char('/') + QLatin1String(name), bytes.mid(from, end - from));
    from = end + separator.size();
  }
  return QLatin1String(names.front());
}

namespace {

// The same bytes in a file, which is read in parts after a first pass has
// found where its text ends, how its lines end and whether it is UTF-8, load
// as they do from memory.
void CheckFileLoadsAsBytes(const QByteArray& bytes, TLoadResult fromBytes, const TDrawingSurface& loaded)
{
  QTemporaryDir dir;
  if (!dir.isValid())
    Fail("cannot make a temporary folder");
  const QString path = dir.filePath(QStringLiteral("input.erd"));
  WriteFile(path, bytes);
  TQuietMessages messages;
  TDrawingSurface fromFile(messages, TQtTextMeasurer::Instance());
  fromFile.Clear();
  if (LoadDiagram(fromFile, path) != fromBytes)
    Fail("the file loads with another result than its bytes");
  fromFile.SaveDate = loaded.SaveDate;  // an unreadable date reads as the time of reading
  QByteArray expected;
  WriteDiagram(loaded, expected);
  QByteArray written;
  WriteDiagram(fromFile, written);
  if (written != expected)
    Fail("the file loads to another model than its bytes");
}

}  // namespace

void DiagramReaderInput(const QByteArray& bytes)
{
  TQuietMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  surface.Clear();
  const TLoadResult result = LoadDiagramBytes(surface, bytes);
  if (result != TLoadResult::Loaded && result != TLoadResult::NotADiagram && result != TLoadResult::Corrupted)
    Fail("the reader gave a result it does not define");
  if (result == TLoadResult::NotADiagram && !surface.Entities.IsEmpty())
    Fail("a file that is no diagram added entities");
  CheckWholeAndReadsBack(surface, messages);
  CheckFileLoadsAsBytes(bytes, result, surface);
}

void FormInput(const QByteArray& bytes)
{
  FormTextRoundTrip(bytes);
  FormResourceRoundTrip(bytes);
}

void TableInput(const QByteArray& bytes)
{
  QTemporaryDir dir;
  if (!dir.isValid())
    Fail("cannot make a temporary folder");
  const QString table = WriteTableInput(bytes, dir.path());

  if (ListTables(dir.path()) != QStringList{table})
    Fail("the table is not listed alone", ListTables(dir.path()).join(QLatin1String(", ")));
  try {
    (void)ReadTableFields(dir.path(), table);
  } catch (const TEngineError&) {
  }

  TQuietMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  surface.Clear();
  try {
    (void)ReEngineer(surface, dir.path());
  } catch (const TEngineError&) {
    // What was read until the error stays, and must be whole.
  }
  CheckWholeAndReadsBack(surface, messages);
}

void SettingsInput(const QByteArray& bytes)
{
  QTemporaryDir dir;
  if (!dir.isValid())
    Fail("cannot make a temporary folder");
  const QString path = dir.filePath(QStringLiteral("VESKA.INI"));
  WriteFile(path, bytes);
  TIniFile ini(path);

  const QStringList names = ini.ReadSectionNames();
  QList<TEntries> before;
  for (const QString& name : names) {
    before.append(ini.ReadSection(name));
    for (const auto& entry : before.last())
      (void)TIniFile::ToNumber(entry.second);
  }
  if (names.isEmpty())
    return;

  // The first section written back holds what it held (as far as it can
  // be stored), and every other section is as it was.
  ini.WriteSection(names.front(), before.front());
  if (ini.ReadSection(names.front()) != Storable(before.front()))
    Fail("a section written back reads back otherwise", names.front());
  for (qsizetype i = 1; i < names.size(); ++i)
    if (ini.ReadSection(names[i]) != before[i])
      Fail("writing one section changed another", names[i]);
}

std::span<const TTarget> Targets()
{
  static const TTarget targets[] = {
    {"reader", DiagramReaderInput},
    {"form", FormInput},
    {"table", TableInput},
    {"settings", SettingsInput},
  };
  return targets;
}

}  // namespace veska::fuzz
