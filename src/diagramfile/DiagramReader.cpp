// Reading a diagram file of any of the four versions onto the surface.

#include "diagramfile/DiagramFile.h"

#include "diagramfile/DiagramReader.h"
#include "diagramfile/FileVersions.h"
#include "model/CaseFold.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace veska {

namespace {

// A header font size outside 1 to 999 points is damage; the diagram is read
// with the size a new diagram has rather than lost.
constexpr int kMaxFontSize = 999;
constexpr int kDefaultFontSize = 8;

// Carried copies that one file's relations may make beyond one per byte of
// the file and one per attribute already on the surface. A file written by
// this program holds a record of at least a dozen bytes for every copy (the
// carried-attributes section), so one per byte is ample. Copies that a merge
// makes below entities that were on the surface before are not listed in the
// file; one per attribute already there leaves room for them. The fixed
// allowance is for small files written by hand or cut off early.
constexpr qint64 kCopyAllowance = 10000;

// An entity's attribute lists are made room for as large as their records
// count, up to this many each (a damaged count reserves no more).
constexpr int kListsReservedAtMost = 1024;

const QString kNotADiagram = QStringLiteral("Input file is not a VESKA diagram. Please select another file.");
const QString kCorrupted = QStringLiteral("Input file is corrupted. Please save the diagram content to another file.");

// The first `count` comma-separated fields of `line` (the last takes the rest
// of the line, commas and all); missing fields are empty. The fields are
// views into `line`.
std::array<QStringView, 4> SplitComma(QStringView line, int count)
{
  std::array<QStringView, 4> fields;
  const QChar* text = line.data();
  const qsizetype size = line.size();
  qsizetype start = 0;
  for (int i = 0; i < count - 1; ++i) {
    if (start > size)
      break;  // the line has no more fields: the rest stay empty
    qsizetype comma = start;
    while (comma < size && text[comma] != QLatin1Char(','))
      ++comma;
    fields[i] = line.mid(start, comma - start);
    start = comma + 1;
  }
  if (start <= size)
    fields[count - 1] = line.mid(start);
  return fields;
}

// A code of the file (counted from 1) as counted from 0; one outside the
// `count` codes there are is damage.
int Code(int value, int count, const char* what)
{
  if (value < 1 || value > count)
    throw TCorruptFile(std::string("code out of range: ") + what);
  return value - 1;
}

qint64 AttributeCount(const TDiagram& diagram)
{
  qint64 n = 0;
  for (const TEntity* e : diagram.Entities)
    n += e->PrimaryKey.Count() + e->Attributes.Count();
  return n;
}

}  // namespace

TDiagramReader::TDiagramReader(TDrawingSurface& surface, TTextReader& in, int version, qint64 fileSize,
                               TProgressRun& progress)
    : S(surface), In(in), Version(version), FCopyLimit(kCopyAllowance + fileSize + AttributeCount(surface)),
      FProgress(progress)
{
}

void TDiagramReader::Read()
{
  ReadHeader();
  ReadDomains();
  ReadEntities();
  ReadRelations();
  ReadCarried();
  if (Version >= 1)
    ReadOrder();
  if (Version >= 3)
    ReadIndexes();
  if (Version >= 2)
    ReadServerProcs();
  ReadLabels();
  if (Version >= 3)
    ReadEntityView();
}

void TDiagramReader::ReadHeader()
{
  S.DiagramName = In.ReadLine();
  S.Revision = In.ReadLine();
  const QDateTime now = QDateTime::currentDateTime();
  if (Version >= 3) {
    S.SaveDate = ParseDateText(In.ReadLine(), now).value_or(now);
  } else {
    // Days since 30 December 1899, the fraction being the time of day.
    const double days = In.ReadReal();
    if (days > -693594 && days < 2958466) {
      const double whole = std::trunc(days);
      const qint64 ms = std::llround(std::fabs(days - whole) * 86400000.0);
      S.SaveDate = TDrawingSurface::DateTimeZero().addDays(static_cast<qint64>(whole)).addMSecs(ms);
    } else {
      S.SaveDate = now;
    }
  }
  int size[2];
  In.ReadNumbers(size, 2);
  S.Width = size[0];
  S.Height = size[1];
  S.Font.setFamily(In.ReadLine().left(255));
  const int points = In.ReadNumber();
  S.Font.setPointSize(points >= 1 && points <= kMaxFontSize ? points : kDefaultFontSize);
  if (Version >= 3) {
    S.DisplayLocation = static_cast<TDisplayLocation>(Code(In.ReadNumber(), 4, "display location"));
    S.SetRelationLabelVisible(In.ReadBoolean());
  }
}

void TDiagramReader::ReadDomains()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    auto d = std::make_unique<TDomain>();
    const QString line = In.ReadLine();
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma >= 0) {
      d->Name = line.left(comma);
      d->SetDataType(line.mid(comma + 1));
    } else {
      d->Name = line;
    }
    d->Rule = In.ReadLine();
    d->Description = In.ReadCountedLines();
    S.AddDomain(std::move(d));
  }
}

void TDiagramReader::ReadEntities()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    QString fileName;
    auto e = ReadEntity(fileName);
    FEntities.Add(fileName, S.AddEntity(std::move(e)));
    FProgress.StepWithin(0, kLoadEntitiesDone, i + 1, n);
  }
}

void TDiagramReader::ReadAttribute(TAttribute& a)
{
  const QStringView line = In.ReadLineView();
  const auto f = SplitComma(line, 4);
  a.Name = FNames.Get(f[0]);
  // Most columns are named as their attributes: one text for both.
  a.SetColumnName(f[1] == f[0] ? a.Name : FColumns.Get(f[1]));
  a.AllowNulls = TTextReader::IsTrue(f[2]);
  const QStringView type = f[3];
  const qsizetype open = type.indexOf(QLatin1Char('('));
  if (open >= 0) {
    a.DataType = FTypes.Get(type.left(open));
    qsizetype close = type.indexOf(QLatin1Char(')'), open + 1);
    if (close < 0)
      close = type.size();
    const QStringView width = type.mid(open + 1, close - open - 1);
    a.Width = width.isEmpty() ? QStringLiteral("0") : FTypes.Get(width);
  } else {
    a.DataType = FTypes.Get(type);
    a.Width = QStringLiteral("0");
  }
  if (Version >= 3) {
    a.SetDefaultValue(In.ReadLine());
    a.SetRule(In.ReadLine());
  }
  if (Version >= 2) {
    int n[4];
    In.ReadNumbers(n, 4);
    a.DisplayType = static_cast<TDisplayType>(Code(n[0], kDisplayTypeCount, "display type"));
    a.SetControlTop(n[1]);
    a.SetControlLeft(n[2]);
    a.SetControlWidth(n[3]);
  }
  a.SetDescription(In.ReadCountedLines());
}

std::unique_ptr<TEntity> TDiagramReader::ReadEntity(QString& fileName)
{
  auto e = std::make_unique<TEntity>();
  e->SetDiagram(&S);
  fileName = In.ReadLine();
  e->SetEntityName(fileName);
  e->SetTableName(In.ReadLine());
  if (Version >= 2) {
    e->EditFormCaption = In.ReadLine();
    e->MenuGroup = FGroups.Get(In.ReadLineView());
    int f[5];
    In.ReadNumbers(f, 5);
    e->FormStyle = static_cast<TFormStyleType>(Code(f[0], 3, "form style"));
    e->FormHeight = f[1];
    e->FormWidth = f[2];
    e->LineSpacing = f[3];
    e->FieldSpacing = f[4];
  }
  int n[5];
  In.ReadNumbers(n, 5);
  e->SetPosition(n[0], n[1]);
  for (int i = 0; More(i, n[2]); ++i)
    e->Description << In.ReadLine();
  // Room for the attributes the record counts (the count is checked as
  // they are read); the copies that relations carry in find room later.
  e->PrimaryKey.Reserve(std::min(n[3], kListsReservedAtMost));
  e->Attributes.Reserve(std::min(n[4], kListsReservedAtMost));
  for (int i = 0; More(i, n[3]); ++i) {
    auto a = std::make_unique<TAttribute>();
    ReadAttribute(*a);
    const QString attributeName = a->Name;
    e->PrimaryKey.Add(attributeName, std::move(a));
  }
  for (int i = 0; More(i, n[4]); ++i) {
    auto a = std::make_unique<TAttribute>();
    ReadAttribute(*a);
    const QString attributeName = a->Name;
    e->Attributes.Add(attributeName, std::move(a));
  }
  return e;
}

std::unique_ptr<TRelation> TDiagramReader::ReadRelation(QString& fileName)
{
  auto r = std::make_unique<TRelation>(&S);
  const QStringView line = In.ReadLineView();
  const auto f = SplitComma(line, 4);
  fileName = f[0].toString();
  r->Parent = S.Entities.Find(f[1].toString());
  r->Child = S.Entities.Find(f[2].toString());
  if (!r->Parent || !r->Child)
    throw TCorruptFile("relation entity not found");
  r->InitPrimaryRelation(TTextReader::IsTrue(f[3]));
  int n[7];
  In.ReadNumbers(n, 7);
  r->Cardinality = static_cast<TRelationCardinality>(Code(n[0], 4, "cardinality"));
  r->ParentPoint = QPoint(n[1], n[2]);
  r->MidPoint = QPoint(n[3], n[4]);
  r->ChildPoint = QPoint(n[5], n[6]);
  if (Version >= 3) {
    int l[5];
    In.ReadNumbers(l, 5);
    r->LabelAutoPlace = l[0] == 1;
    if (!r->LabelAutoPlace) {
      r->NameLabel.SetPosition(l[1], l[2]);
      r->InverseNameLabel.SetPosition(l[3], l[4]);
    }
  }
  r->Description = In.ReadCountedLines();
  return r;
}

// Each relation joins the diagram, under the name the file gives it, right
// after its record; a record that cannot be read ends the section.
void TDiagramReader::ReadRelations()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    QString fileName;
    std::unique_ptr<TRelation> r = ReadRelation(fileName);
    r->SetRelationName(fileName);
    CountCopies(*r);
    FRelations.Add(fileName, S.AddRelation(std::move(r), false));
    FProgress.StepWithin(kLoadEntitiesDone, kLoadRelationsDone, i + 1, n);
  }
}

TEntity* TDiagramReader::FileEntity(const QString& name) const
{
  const int i = FEntities.IndexOf(name);
  if (i < 0)
    throw TCorruptFile("entity not found");
  return FEntities[i];
}

// The attribute-order section: per entity, the names of its key and other
// attributes in the order they are listed.
void TDiagramReader::ReadOrder()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    FProgress.StepWithin(kLoadCarriedDone, kLoadOrderDone, i, n);
    TEntity* e = FileEntity(In.ReadLine());
    for (TAttributeList* list : {&e->PrimaryKey, &e->Attributes}) {
      for (int pos = 0; More(pos, list->Count()); ++pos) {
        const QStringView name = In.ReadLineView();
        // Entries before `pos` are in place already; looking only at the rest
        // keeps attributes of the same name in their stored order.
        int found = -1;
        for (int j = pos; j < list->Count() && found < 0; ++j)
          if (EqualIgnoringCase(list->Strings(j), name))
            found = j;
        if (found < 0)
          throw TCorruptFile("attribute not found");
        list->Move(found, pos);
      }
    }
  }
}

void TDiagramReader::ReadIndexes()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    FProgress.StepWithin(kLoadOrderDone, kLoadReadDone, i, n);
    TEntity* e = FileEntity(In.ReadLine());
    for (int k = 0, count = ReadCount(); More(k, count); ++k) {
      auto index = std::make_unique<TIndex>();
      const QStringView line = In.ReadLineView();
      const auto f = SplitComma(line, 3);
      index->AssignName(f[0].toString());
      index->Unique = TTextReader::IsTrue(f[1]);
      index->Reserved = TTextReader::IsTrue(f[2]);
      for (int c = 0, columns = ReadCount(); More(c, columns); ++c) {
        const QString name = In.ReadLine();
        TAttribute* a = e->PrimaryKey.Find(name);
        if (!a)
          a = e->Attributes.Find(name);
        if (!a)
          throw TCorruptFile("index column not found");
        index->Columns.Add(QStringLiteral("A"), a);
      }
      e->AddIndex(std::move(index));
    }
  }
}

void TDiagramReader::ReadServerProcs()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    auto p = std::make_unique<TServerProc>();
    const QStringView line = In.ReadLineView();
    const auto f = SplitComma(line, 2);
    p->Name = f[0].toString();
    p->Server = f[1].toString();
    p->Text = In.ReadCountedLines();
    S.AddServerProc(std::move(p));
  }
}

void TDiagramReader::ReadLabels()
{
  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    auto label = std::make_unique<TTextLabel>();
    int pos[2];
    In.ReadNumbers(pos, 2);
    label->SetPosition(pos[0], pos[1]);
    QString caption;
    for (const QString& line : In.ReadCountedLines())
      caption += line + QLatin1String("\r\n");
    label->SetCaption(caption);
    S.AddLabel(std::move(label));
  }
}

// The names of the entities the view shows.
void TDiagramReader::ReadEntityView()
{
  QStringList view;
  for (int i = 0, n = ReadCount(); More(i, n); ++i)
    view << In.ReadLine();
  RouteHidden(view);
  S.SetEntityView(view);
}

// Routes the file's relations that the view is about to hide, with the final
// sizes of their entities. A hidden relation is not routed until it is shown
// again, and the labels that routing places (their stored places are not
// read) would otherwise be written back where they never were. The relations
// that stay in view are routed when the load ends.
void TDiagramReader::RouteHidden(const QStringList& view)
{
  QSet<const TEntity*> shown;
  for (const QString& name : view)
    if (const TEntity* e = S.Entities.Find(name))
      shown.insert(e);
  for (TRelation* r : FRelations) {
    if (shown.contains(r->Parent) && shown.contains(r->Child))
      continue;
    for (TEntity* e : {r->Parent, r->Child})
      if (e->NeedsLayout)
        e->ComputeLayout();
    S.RouteRelation(*r);
  }
}

namespace {

// The version of the file whose first line `in` reads, or -1 when that line
// is no version tag.
int ReadVersion(TTextReader& in)
{
  const QString tag = in.AtEnd() ? QString() : in.ReadLine().left(10);
  int version = -1;
  for (int v = 0; v < 4; ++v)
    if (tag == kVersionTags[v])
      version = v;
  return version;
}

// Reads everything after the version line, with layout and routing held
// until the end. Damage ends the reading and keeps what was read before it.
TLoadResult ReadSections(TDrawingSurface& surface, TTextReader& in, int version, qint64 fileSize,
                         TProgressRun& progress)
{
  TLoadResult result = TLoadResult::Loaded;
  // Running out of memory, or a file that cannot be read on, is no fault of
  // the file: it is passed on once the surface is whole again.
  std::exception_ptr passedOn;
  surface.BeginUpdate();
  try {
    TDiagramReader(surface, in, version, fileSize, progress).Read();
  } catch (const std::bad_alloc&) {
    passedOn = std::current_exception();
  } catch (const TFileAccessError&) {
    passedOn = std::current_exception();
  } catch (const std::exception&) {
    result = TLoadResult::Corrupted;
  }
  progress.Step(kLoadReadDone);
  surface.EndUpdate([&progress](qint64 done, qint64 count) {
    progress.StepWithin(kLoadReadDone, kLoadSteps, done, count);
  });
  progress.Finish();
  if (passedOn)
    std::rethrow_exception(passedOn);
  if (result == TLoadResult::Corrupted)
    surface.Messages().Error(kCorrupted);
  return result;
}

TLoadResult ReadText(TDrawingSurface& surface, TTextReader& in, qint64 size, TProgressRun& progress)
{
  const int version = ReadVersion(in);
  if (version < 0) {
    progress.Finish();
    surface.Messages().Error(kNotADiagram);
    return TLoadResult::NotADiagram;
  }
  return ReadSections(surface, in, version, size, progress);
}

// A diagram whose line ends were turned into line feeds alone (by a version
// control system or an editor) is read as it was written: its lines end at
// line feeds. The text ends at an end-of-file byte 26. Its size is counted
// as written, with a carriage return before each line feed.
struct TTextShape {
  bool HasCarriageReturn = false;
  bool HasLineFeed = false;
  qint64 End = -1;  // the first byte 26, if any
  qint64 LineFeeds = 0;  // before the end, while no carriage return was seen

  void Add(QByteArrayView part, qint64 at)
  {
    HasCarriageReturn = HasCarriageReturn || part.contains('\r');
    HasLineFeed = HasLineFeed || part.contains('\n');
    if (End >= 0)
      return;
    if (const qsizetype eof = part.indexOf('\x1A'); eof >= 0) {
      End = at + eof;
      part.truncate(eof);
    }
    if (!HasCarriageReturn)
      LineFeeds += part.count('\n');
  }
  char LineEnd() const { return !HasCarriageReturn && HasLineFeed ? '\n' : '\r'; }
  qint64 TextSize(qint64 fileSize) const
  {
    return (End >= 0 ? End : fileSize) + (LineEnd() == '\n' ? LineFeeds : 0);
  }
};

TLoadResult LoadBytes(TDrawingSurface& surface, const QByteArray& fileBytes, TProgressRun& progress)
{
  TTextShape shape;
  shape.Add(fileBytes, 0);
  TTextReader in(shape.End >= 0 ? QByteArrayView(fileBytes).first(shape.End) : QByteArrayView(fileBytes),
                 shape.LineEnd());
  return ReadText(surface, in, shape.TextSize(fileBytes.size()), progress);
}

// A diagram file read a part at a time, up to its end, twice: first to find
// out its shape and whether it is all UTF-8, then to read it. It is never held
// whole (a large diagram's text is as large as its model).
class TFileText final : public TTextSource {
public:
  TFileText(TFileReader& file, qint64 end) : FFile(file), FEnd(end) {}
  qsizetype Read(char* into, qsizetype count) override
  {
    const qsizetype n = FFile.ReadAt(FAt, into, std::min<qint64>(count, FEnd - FAt));
    FAt += n;
    return n;
  }

private:
  TFileReader& FFile;
  const qint64 FEnd;
  qint64 FAt = 0;
};

TLoadResult LoadFile(TDrawingSurface& surface, TFileReader& file, TProgressRun& progress)
{
  QByteArray part(kFilePartSize, Qt::Uninitialized);
  TTextShape shape;
  TUtf8Check utf8;
  qint64 size = 0;
  for (qsizetype n; (n = file.ReadAt(size, part.data(), kFilePartSize)) > 0; size += n) {
    const QByteArrayView read(part.constData(), n);
    shape.Add(read, size);
    utf8.Add(shape.End >= 0 ? read.first(std::clamp<qint64>(shape.End - size, 0, n)) : read);
  }
  part = QByteArray();
  const qint64 end = shape.End >= 0 ? shape.End : size;
  TFileText text(file, end);
  TTextReader in(text, utf8.Valid(), shape.LineEnd());
  return ReadText(surface, in, shape.TextSize(size), progress);
}

}  // namespace

TLoadResult LoadDiagramBytes(TDrawingSurface& surface, const QByteArray& bytes, TProgress* progress,
                             const QString& caption)
{
  surface.ResetZoom();
  TProgressRun run(progress, caption, kLoadSteps);
  return LoadBytes(surface, bytes, run);
}

TLoadResult LoadDiagram(TDrawingSurface& surface, const QString& fileName, TProgress* progress)
{
  surface.ResetZoom();
  TProgressRun run(progress, QFileInfo(fileName).fileName(), kLoadSteps);
  try {
    TFileReader file(fileName);
    return LoadFile(surface, file, run);
  } catch (const TFileAccessError& e) {
    throw TFileError(e.what());
  }
}

}  // namespace veska
