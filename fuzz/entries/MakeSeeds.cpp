// Writes the seed corpora of the form, table and settings fuzz targets from
// files the project writes and its test fixtures:
//   veska_fuzz_seeds SOURCE_DIR CORPUS_DIR
// (the diagram reader's corpus is the reader test's fixtures, copied as they
// are). Run again after a change to what the engine or the converter
// writes; each file is named after what it holds.

#include "FuzzEntries.h"

#include "engine/TableEngine.h"
#include "formresource/FormResource.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <stdexcept>

namespace {

using namespace veska;

// The corpus files go through the safe writer, as every file Veska writes.
void Write(const QString& path, const QByteArray& bytes)
{
  if (!QDir().mkpath(QFileInfo(path).path()))
    throw std::runtime_error("cannot make the folder of " + path.toStdString());
  WriteFileSafely(path, bytes);
}

// A form with every kind of value the converter knows.
const char* const kEveryValue =
  "object Form1: TForm1\r\n"
  "  Left = -200\r\n  Width = 70000\r\n  Tag = 549755813887\r\n"
  "  Scale = 1500.0\r\n  Ratio = 1.5s\r\n  Price = -2.5c\r\n  When = 3.25d\r\n  Tiny = 3.6E-4951\r\n"
  "  Caption = 'It''s a test'#13#10'x'#8364\r\n  Visible = True\r\n  Color = clBtnFace\r\n  Ptr = nil\r\n"
  "  Anchors = [akLeft, akTop]\r\n  Items.Strings = (\r\n    'a'\r\n    'b')\r\n"
  "  Data = {\r\n    0102030405}\r\n"
  "  Cols = <\r\n    item\r\n      Width = 3\r\n    end\r\n    item\r\n    end>\r\n"
  "  object Button1: TButton\r\n  end\r\n  inherited Panel1: TPanel [2]\r\n  end\r\n  object TPanel\r\n  end\r\n"
  "end\r\n";

void FormSeeds(const QString& source, const QString& out)
{
  QList<std::pair<QString, QString>> texts = {{QStringLiteral("every-value"), QString::fromLatin1(kEveryValue)}};
  for (const char* form : {"forms/CMain", "forms/CUnit0", "mdi/CMain", "normal/CUnit1"}) {
    const QString path = source + QStringLiteral("/tests/appgen/expected/%1.DFM.txt").arg(QLatin1String(form));
    const QString name = QString::fromLatin1(form).replace(QLatin1Char('/'), QLatin1Char('-'));
    texts.append({name, QString::fromUtf8(ReadRegularFile(path))});
  }
  for (const auto& [name, text] : texts) {
    Write(out + QStringLiteral("/form/%1.txt").arg(name), text.toUtf8());
    Write(out + QStringLiteral("/form/%1.res").arg(name), FormTextToResource(text));
  }
}

// One table made by the engine, as the table target reads its input.
void TableSeed(const QString& out, const QString& name, TTableType type, const QList<TFieldDef>& fields,
               const QList<TIndexDef>& indexes)
{
  QTemporaryDir dir;
  CreateTable(dir.path(), QStringLiteral("T"), type, fields, indexes);
  const bool paradox = type == TTableType::Paradox;
  QByteArray bytes(1, paradox ? '\x01' : '\x00');
  const QStringList suffixes =
    paradox ? QStringList{QStringLiteral("DB"), QStringLiteral("PX"), QStringLiteral("MB")}
            : QStringList{QStringLiteral("DBF"), QStringLiteral("MDX"), QStringLiteral("DBT")};
  for (qsizetype i = 0; i < suffixes.size(); ++i) {
    if (i > 0)
      bytes += fuzz::kTableFileSeparator;
    // The engine writes each format's extensions in its own letter case.
    for (const QString& suffix : {suffixes[i], suffixes[i].toLower()})
      if (QFile::exists(dir.filePath(QStringLiteral("T.") + suffix)))
        bytes += ReadRegularFile(dir.filePath(QStringLiteral("T.") + suffix));
  }
  Write(out + QStringLiteral("/table/%1.bin").arg(name), bytes);
}

void TableSeeds(const QString& out)
{
  // A key field first, then one field of every type.
  QList<TFieldDef> every = {{QStringLiteral("ID"), eftInteger, 0, true, 0}};
  for (int type = eftString; type <= eftTypedBinary; ++type)
    every.append({QStringLiteral("F%1").arg(type), TEngineFieldType(type), type == eftBCD ? 2 : 20, false, 0});
  const QList<TIndexDef> primary = {{QStringLiteral("PK"), {QStringLiteral("ID")}, true, true}};
  TableSeed(out, QStringLiteral("dbase-every-type"), TTableType::Dbase, every, primary);
  TableSeed(out, QStringLiteral("dbase-plain"), TTableType::Dbase,
            {{QStringLiteral("NAME"), eftString, 30}, {QStringLiteral("BORN"), eftDate}}, {});
  TableSeed(out, QStringLiteral("paradox-every-type"), TTableType::Paradox, every, primary);
  TableSeed(out, QStringLiteral("paradox-plain"), TTableType::Paradox,
            {{QStringLiteral("Last Name"), eftString, 20}, {QStringLiteral("Notes"), eftMemo, 10}}, {});
}

void SettingsSeeds(const QString& source, const QString& out)
{
  Write(out + QStringLiteral("/settings/shipped.ini"),
        ReadRegularFile(source + QStringLiteral("/src/shell/VESKA.INI")));
  Write(out + QStringLiteral("/settings/quotes-and-repeats.ini"),
        "\xEF\xBB\xBF; comment\r\n[Names]\r\nTitle=\"\"Sales\"\"\r\nPadded=\"  x  \"\r\n  Spaced  =  y  \r\n"
        "[names]\r\nLater=1\r\n\r\n[Numbers]\r\nHex=0x7FFFFFFF\r\nNeg=-12\r\nBad=0x\r\n"
        "junk line\r\n[]\r\n=no key\r\n");
  Write(out + QStringLiteral("/settings/windows-1252.ini"), "[Caf\xE9]\nNa\xEFve=\x80 \x9C\n");
}

}  // namespace

int main(int argc, char** argv)
{
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: veska_fuzz_seeds SOURCE_DIR CORPUS_DIR\n");
    return 64;
  }
  try {
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    FormSeeds(source, out);
    TableSeeds(out);
    SettingsSeeds(source, out);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "veska_fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
