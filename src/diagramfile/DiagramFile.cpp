#include "diagramfile/DiagramFile.h"

#include "diagramfile/TextReader.h"
#include "model/CaseFold.h"
#include "model/Identifiers.h"
#include "model/ReadAhead.h"
#include "platform/Prefetch.h"
#include "platform/Progress.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <type_traits>
#include <optional>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace veska {

namespace {

const QString kTags[4] = {QStringLiteral("V1.00-KX"), QStringLiteral("V1.01-KX"), QStringLiteral("V1.20-KX"),
                          QStringLiteral("V3.00-KX")};
constexpr int kMaxLine = 253;
constexpr int kMaxCaption = 255;
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
// A load's progress in steps, each stage up to its mark, roughly in
// proportion to the time it takes on a large diagram: reading the entities,
// the relations (carrying keys), the carried attributes, the attribute order
// and the indexes; laying out every box and routing every relation at the
// end completes it.
constexpr qint64 kLoadSteps = 100;
constexpr qint64 kLoadEntitiesDone = 25;
constexpr qint64 kLoadRelationsDone = 40;
constexpr qint64 kLoadCarriedDone = 68;
constexpr qint64 kLoadOrderDone = 74;
constexpr qint64 kLoadReadDone = 80;

const QString kNotADiagram = QStringLiteral("Input file is not a VESKA diagram. Please select another file.");
const QString kCorrupted = QStringLiteral("Input file is corrupted. Please save the diagram content to another file.");

QLatin1String Bool(bool value)
{
  return value ? QLatin1String("TRUE") : QLatin1String("FALSE");
}

// ---- Writing -------------------------------------------------------------------------

// Builds the file's bytes line by line: each line is encoded as UTF-8 straight
// into one buffer, cut at 253 characters (never inside one), and ended with
// CR LF. The buffer handed in is reused, so that writing a large diagram again
// and again (snapshots) does not allocate and touch fresh memory each time;
// it is written through a plain pointer, with room made once per line, and
// cut to the text's length at the end.
//
// A line is made of parts: texts, single ASCII characters (the separators) and
// ASCII words (TRUE, FALSE). Texts are mostly ASCII and short, so runs of ASCII
// are copied several units at a time and only other characters are encoded
// one by one.
class TTextWriter {
public:
  explicit TTextWriter(QByteArray buffer) : FBytes(std::move(buffer))
  {
    FBytes.resize(std::max<qsizetype>(FBytes.capacity(), kInitialSize));
    FOut = FBytes.data();
    FEnd = FOut + FBytes.size();
  }

  // One line made of the parts, in order.
  template <typename... Parts>
  void Line(const Parts&... parts)
  {
    Room(kMaxLine * 4 + 2);  // 4 bytes at most for one character
    int room = kMaxLine;
    (Put(parts, room), ...);
    *FOut++ = '\r';
    *FOut++ = '\n';
  }
  // One line that holds names other lines refer to (or the fields of a
  // comma line), written whole: a name cut to the line's length would no
  // longer find what it names, nor a cut comma line its last fields, when
  // the file is read back.
  template <typename... Parts>
  void Names(const Parts&... parts)
  {
    const qsizetype units = (qsizetype(0) + ... + Units(parts));
    Room(units * 3 + 2);  // 3 bytes at most for one UTF-16 unit
    int room = static_cast<int>(std::min<qsizetype>(units, INT_MAX));
    (Put(parts, room), ...);
    *FOut++ = '\r';
    *FOut++ = '\n';
  }
  // One line of the numbers, separated by spaces.
  template <typename... Values>
  void Numbers(int first, Values... rest)
  {
    static_assert((std::is_same_v<Values, int> && ...), "numbers are written as int");
    Room((sizeof...(rest) + 1) * 12 + 2);  // a sign and ten digits, a space
    PutNumber(first);
    ((*FOut++ = ' ', PutNumber(rest)), ...);
    *FOut++ = '\r';
    *FOut++ = '\n';
  }
  void Counted(const QStringList& lines)
  {
    Numbers(static_cast<int>(lines.size()));
    for (const QString& l : lines)
      Line(l);
  }
  QByteArray Take()
  {
    FBytes.resize(FOut - FBytes.constData());
    FOut = FEnd = nullptr;
    return std::move(FBytes);
  }

private:
  static constexpr qsizetype kInitialSize = 1 << 16;

  // Makes room for `n` more bytes.
  void Room(qsizetype n)
  {
    if (FEnd - FOut < n)
      Grow(n);
  }
  Q_DECL_COLD_FUNCTION Q_NEVER_INLINE void Grow(qsizetype n)
  {
    const qsizetype used = FOut - FBytes.constData();
    FBytes.resize(std::max(FBytes.size() * 2, used + n));
    FOut = FBytes.data() + used;
    FEnd = FBytes.data() + FBytes.size();
  }

  void PutNumber(int v)
  {
    if (static_cast<unsigned>(v) < 10)
      *FOut++ = static_cast<char>('0' + v);
    else
      FOut = std::to_chars(FOut, FEnd, v).ptr;
  }

  static qsizetype Units(char) { return 1; }
  static qsizetype Units(QLatin1String ascii) { return ascii.size(); }
  static qsizetype Units(QStringView text) { return text.size(); }

  // Each Put appends what fits of its part while `room` (characters left on
  // the line) lasts.
  void Put(char ascii, int& room)
  {
    if (room > 0) {
      *FOut++ = ascii;
      --room;
    }
  }
  void Put(QLatin1String ascii, int& room)
  {
    const qsizetype n = std::min<qsizetype>(ascii.size(), room);
    std::memcpy(FOut, ascii.data(), static_cast<size_t>(n));
    FOut += n;
    room -= static_cast<int>(n);
  }
  void Put(QStringView text, int& room)
  {
    const qsizetype n = std::min<qsizetype>(text.size(), room);
    if (n == 0)
      return;
    const qsizetype ascii = PutAscii(text.utf16(), n, FOut);
    FOut += ascii;
    room -= static_cast<int>(ascii);
    if (ascii < text.size() && room > 0)
      PutFrom(text, ascii, room);
  }
  // Appends `text` from unit `i` on, the first unit being outside ASCII.
  Q_NEVER_INLINE void PutFrom(QStringView text, qsizetype i, int& room)
  {
    const qsizetype n = text.size();
    const char16_t* in = text.utf16();
    char* out = FOut;
    for (;;) {
      char32_t c = in[i++];
      --room;
      if (QChar::isHighSurrogate(c) && i < n && QChar::isLowSurrogate(in[i]))
        c = QChar::surrogateToUcs4(static_cast<char16_t>(c), in[i++]);
      else if (QChar::isSurrogate(c))
        c = 0xFFFD;  // a lone surrogate has no UTF-8 form
      if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
      } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
      }
      if (i == n || room == 0)
        break;
      const qsizetype ascii = PutAscii(in + i, std::min<qsizetype>(n - i, room), out);
      i += ascii;
      room -= static_cast<int>(ascii);
      out += ascii;
      if (i == n || room == 0)
        break;
    }
    FOut = out;
  }

  // Copies the leading run of ASCII characters among the first `limit` units
  // of `in` to `out`, a byte each, and returns how many it copied. Eight
  // units go at a time; the last few of a run of four or more go as one block
  // that overlaps the one before (it writes the same bytes again).
  static qsizetype PutAscii(const char16_t* in, qsizetype limit, char* out)
  {
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const auto ascii = [&](__m128i units) {
      return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, high), zero)) == 0xFFFF;
    };
    if (limit >= 8) {
      for (; i + 8 <= limit; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        if (!ascii(units))
          break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
      }
      if (i + 8 > limit && i < limit) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + limit - 8));
        if (ascii(units)) {
          _mm_storel_epi64(reinterpret_cast<__m128i*>(out + limit - 8), _mm_packus_epi16(units, units));
          return limit;
        }
      }
    } else if (limit >= 4) {
      // Four units in the low half, the upper half zero.
      const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
      const __m128i last = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + limit - 4));
      if (ascii(_mm_or_si128(first, last))) {
        const int head = _mm_cvtsi128_si32(_mm_packus_epi16(first, first));
        const int tail = _mm_cvtsi128_si32(_mm_packus_epi16(last, last));
        std::memcpy(out, &head, 4);
        std::memcpy(out + limit - 4, &tail, 4);
        return limit;
      }
    }
#endif
    for (; i < limit && in[i] < 0x80; ++i)
      out[i] = static_cast<char>(in[i]);
    return i;
  }

  QByteArray FBytes;
  char* FOut = nullptr;  // the next byte to write
  char* FEnd = nullptr;  // the end of the room
};

// Writing a large model waits on memory more than it computes: the walks
// below ask for the memory of the objects a few places ahead of the one they
// write, in stages: an object three places ahead, what it holds two places
// ahead (`middle`), the objects in that one place ahead (`near`), their texts
// just before they are written. Each stage reads only memory that an earlier
// one asked for.

template <typename List>
void PrefetchFields(const List& attributes)
{
  for (const TAttribute* a : attributes)
    PrefetchFields(*a);
}

// Calls `write` for each object of `list` in order.
template <typename List, typename Middle, typename Near, typename Write>
void WalkAhead(const List& list, Middle middle, Near near, Write write)
{
  const int n = list.Count();
  for (int i = 0; i < n; ++i) {
    if (i + 3 < n)
      PrefetchObject(list[i + 3]);
    if (i + 2 < n)
      middle(*list[i + 2]);
    if (i + 1 < n)
      near(*list[i + 1]);
    write(*list[i]);
  }
}

// The stages of a walk over entities that writes their attributes.
void EntityMiddle(const TEntity& e)
{
  PrefetchText(e.EntityName());
  PrefetchEntries(e.PrimaryKey);
  PrefetchEntries(e.Attributes);
}
void EntityNear(const TEntity& e)
{
  PrefetchObjects(e.PrimaryKey);
  PrefetchObjects(e.Attributes);
}

void WriteRecord(TTextWriter& w, const TDomain& d)
{
  w.Names(d.Name, ',', d.DataType);
  w.Line(d.Rule);
  w.Counted(d.Description);
}

void WriteRecord(TTextWriter& w, const TAttribute& a)
{
  if (a.Width.size() == 1 && a.Width.front() == QLatin1Char('0'))
    w.Names(a.Name, ',', a.ColumnName(), ',', Bool(a.AllowNulls), ',', a.DataType);
  else
    w.Names(a.Name, ',', a.ColumnName(), ',', Bool(a.AllowNulls), ',', a.DataType, '(', a.Width, ')');
  w.Line(a.DefaultValue);
  w.Line(a.Rule);
  w.Numbers(static_cast<int>(a.DisplayType) + 1, a.ControlTop, a.ControlLeft, a.ControlWidth);
  w.Counted(a.Description);
}

int CountOwn(const TAttributeList& list)
{
  int n = 0;
  for (const TAttribute* a : list)
    n += a->ForeignKey ? 0 : 1;
  return n;
}

void WriteOwn(TTextWriter& w, const TAttributeList& list)
{
  for (const TAttribute* a : list)
    if (!a->ForeignKey)
      WriteRecord(w, *a);
}

void WriteRecord(TTextWriter& w, const TDrawingSurface::THomeScale& s, const TEntity& e)
{
  w.Names(e.EntityName());
  w.Line(e.TableName());
  w.Line(e.EditFormCaption);
  w.Line(e.MenuGroup);
  w.Numbers(static_cast<int>(e.FormStyle) + 1, e.FormHeight, e.FormWidth, e.LineSpacing, e.FieldSpacing);
  const QPoint home = s.Position(e);
  w.Numbers(home.x(), home.y(), static_cast<int>(e.Description.size()), CountOwn(e.PrimaryKey), CountOwn(e.Attributes));
  for (const QString& line : e.Description)
    w.Line(line);
  WriteOwn(w, e.PrimaryKey);
  WriteOwn(w, e.Attributes);
}

void WriteRecord(TTextWriter& w, const TDrawingSurface::THomeScale& s, const TRelation& r)
{
  w.Names(r.RelationName(), ',', r.Parent->EntityName(), ',', r.Child->EntityName(), ',', Bool(r.PrimaryRelation()));
  const QPoint parent = s.Point(r, 0);
  const QPoint middle = s.Point(r, 1);
  const QPoint child = s.Point(r, 2);
  w.Numbers(r.Cardinality + 1, parent.x(), parent.y(), middle.x(), middle.y(), child.x(), child.y());
  const QPoint name = s.Position(r.NameLabel);
  const QPoint inverse = s.Position(r.InverseNameLabel);
  w.Numbers(r.LabelAutoPlace ? 1 : 0, name.x(), name.y(), inverse.x(), inverse.y());
  w.Counted(r.Description);
}

void WriteRecord(TTextWriter& w, const TIndex& index)
{
  w.Names(index.Name(), ',', Bool(index.Unique), ',', Bool(index.Reserved));
  w.Numbers(index.Columns.Count());
  for (const TAttribute* a : index.Columns)
    w.Names(a->Name);
}

void WriteRecord(TTextWriter& w, const TServerProc& p)
{
  w.Names(p.Name, ',', p.Server);
  w.Counted(p.Text);
}

void WriteLabel(TTextWriter& w, const TDrawingSurface::THomeScale& s, const TTextLabel& label)
{
  const QPoint home = s.Position(label);
  w.Numbers(home.x(), home.y());
  QString caption = LeftCharacters(label.Caption(), kMaxCaption);
  w.Counted(caption.isEmpty() ? QStringList() : TTextLabel::CaptionLines(caption));
}

// ---- Reading -------------------------------------------------------------------------

// The first `count` comma-separated fields of a line; the last takes the rest
// of the line, commas included. Missing fields are empty.
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

// Hands out one shared copy of the short texts that recur through a file
// (attribute names, data types, widths), so that thousands of attributes do
// not each hold their own. The texts seen last are remembered in a small
// table by a hash of their characters; a text meeting another in its slot
// takes the slot over.
class TRecurringTexts {
public:
  QString Get(QStringView text)
  {
    quint32 hash = 2166136261u;
    for (const QChar c : text)
      hash = (hash ^ c.unicode()) * 16777619u;
    QString& slot = FTexts[(hash ^ (hash >> 16)) % kSize];
    if (slot.size() != text.size() || QStringView(slot) != text)
      slot = text.toString();
    return slot;
  }

private:
  static constexpr size_t kSize = 256;
  std::array<QString, kSize> FTexts;
};

class TDiagramReader {
public:
  // `fileSize` (in bytes) bounds the carried copies the file may make.
  TDiagramReader(TDrawingSurface& surface, TTextReader& in, int version, qint64 fileSize, TProgressRun& progress)
      : S(surface), In(in), Version(version), FCopyLimit(kCopyAllowance + fileSize + AttributeCount(surface)),
        FProgress(progress)
  {
  }

  void Read();

private:
  void ReadHeader();
  void ReadAttribute(TAttribute& a);
  // Each returns the new object and gives the name the file calls it by.
  std::unique_ptr<TEntity> ReadEntity(QString& fileName);
  // The relation does not take the name yet: it is named as it joins the
  // diagram, where the name must not be taken.
  std::unique_ptr<TRelation> ReadRelation(QString& fileName);
  void ReadRelations();
  void ReadCarried();
  void ReadOrder();
  void ReadIndexes();
  void RouteHidden(const QStringList& view);
  void CountCopies(const TRelation& relation);
  TEntity* FileEntity(const QString& name) const;
  int ReadCount() { return In.ReadNumber(); }
  // Whether item `i` of `count` follows. A count promises its items: a file
  // that ends before one of them was cut off inside a section and is
  // corrupt, which also keeps a huge count in a short file from making the
  // reader create objects without end.
  bool More(int i, int count) const
  {
    if (i >= count)
      return false;
    if (In.AtEnd())
      throw TCorruptFile("the file ends inside a section");
    return true;
  }

  TDrawingSurface& S;
  TTextReader& In;
  const int Version;
  // The objects this file created, under the names the file gives them.
  // Later sections refer to them by those names, also when an object had to
  // take a default name because its own was taken.
  TStringList<TEntity, false> FEntities;
  TStringList<TRelation, false> FRelations;
  // Carried copies made by this file's relations so far, and the most that
  // it may make.
  qint64 FCopies = 0;
  const qint64 FCopyLimit;
  TProgressRun& FProgress;
  TRecurringTexts FTypes;
  TRecurringTexts FNames;
  TRecurringTexts FColumns;
};

void TDiagramReader::Read()
{
  ReadHeader();

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

  for (int i = 0, n = ReadCount(); More(i, n); ++i) {
    QString fileName;
    auto e = ReadEntity(fileName);
    FEntities.Add(fileName, S.AddEntity(std::move(e)));
    FProgress.StepWithin(0, kLoadEntitiesDone, i + 1, n);
  }

  ReadRelations();

  ReadCarried();
  if (Version >= 1)
    ReadOrder();
  if (Version >= 3)
    ReadIndexes();

  if (Version >= 2) {
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

  if (Version >= 3) {
    QStringList view;
    for (int i = 0, n = ReadCount(); More(i, n); ++i)
      view << In.ReadLine();
    RouteHidden(view);
    S.SetEntityView(view);
  }
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

void TDiagramReader::ReadAttribute(TAttribute& a)
{
  const QStringView line = In.ReadLineView();
  const auto f = SplitComma(line, 4);
  a.Name = FNames.Get(f[0]);
  a.SetColumnName(FColumns.Get(f[1]));
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
    a.DefaultValue = In.ReadLine();
    a.Rule = In.ReadLine();
  }
  if (Version >= 2) {
    int n[4];
    In.ReadNumbers(n, 4);
    a.DisplayType = static_cast<TDisplayType>(Code(n[0], kDisplayTypeCount, "display type"));
    a.ControlTop = n[1];
    a.ControlLeft = n[2];
    a.ControlWidth = n[3];
  }
  a.Description = In.ReadCountedLines();
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
    e->MenuGroup = In.ReadLine();
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

// Each relation joins the diagram a few records after it was read, so that
// the memory of its entities, which were made long before, can be asked for
// in the meantime; they join in the order read, as each would have right
// after its record, and a record that cannot be read ends the section after
// the relations read before it have joined.
void TDiagramReader::ReadRelations()
{
  struct TRead {
    QString FileName;
    std::unique_ptr<TRelation> Relation;
  };
  constexpr size_t kAhead = 4;
  std::deque<TRead> read;
  const int n = ReadCount();
  int joined = 0;
  const auto joinFirst = [&] {
    TRead first = std::move(read.front());
    read.pop_front();
    first.Relation->SetRelationName(first.FileName);
    CountCopies(*first.Relation);
    FRelations.Add(first.FileName, S.AddRelation(std::move(first.Relation), false));
    FProgress.StepWithin(kLoadEntitiesDone, kLoadRelationsDone, ++joined, n);
  };
  for (int i = 0;; ++i) {
    TRead next;
    try {
      if (!More(i, n))
        break;
      next.Relation = ReadRelation(next.FileName);
    } catch (const std::exception&) {
      while (!read.empty())
        joinFirst();
      throw;
    }
    read.push_back(std::move(next));
    if (read.size() > kAhead)
      joinFirst();
    // The first of those still to join joins next.
    for (size_t k = 0; k < read.size(); ++k)
      JoinAhead(*read[k].Relation, static_cast<int>(k + 1));
  }
  while (!read.empty())
    joinFirst();
}

namespace {

// How many copies one key attribute arriving in `top`'s key makes: its own
// copy, one in the child of each non-primary relation below, and, along each
// primary relation, as many as it makes in that child. Primary relations that
// meet again below count once per path, which is what makes this grow
// exponentially in a lattice of primary relations. Stops early with a result
// above `cap`; the walk is iterative, so a long chain cannot exhaust the
// stack, and it never does more than about `cap` steps.
qint64 CopiesPerKey(const TEntity* top, qint64 cap)
{
  struct TFrame {
    const TEntity* Entity;
    size_t Next;
    qint64 Sum;
  };
  QHash<const TEntity*, qint64> done;
  std::vector<TFrame> stack{{top, 0, 1}};
  while (!stack.empty()) {
    TFrame& f = stack.back();
    const std::vector<TRelation*>& below = f.Entity->ParentRelations();
    if (f.Next < below.size()) {
      const TRelation* r = below[f.Next++];
      if (!r->PrimaryRelation()) {
        f.Sum += 1;
      } else if (const auto it = done.constFind(r->Child); it != done.constEnd()) {
        f.Sum += it.value();
      } else {
        stack.push_back({r->Child, 0, 1});
        continue;
      }
      if (f.Sum > cap)
        return cap + 1;
      continue;
    }
    const TFrame finished = f;
    stack.pop_back();
    done.insert(finished.Entity, finished.Sum);
    if (stack.empty())
      return finished.Sum;
    stack.back().Sum += finished.Sum;
    if (stack.back().Sum > cap)
      return cap + 1;
  }
  return 0;
}

}  // namespace

// A relation carries every key attribute of its parent into its child, and a
// primary relation on into the child's children. Where primary relations
// branch and meet again the copies multiply with every level, so a small file
// could ask for more copies than memory holds. The relation is refused as a
// corrupt file before any copy is made when the file's copies would pass its
// limit.
void TDiagramReader::CountCopies(const TRelation& r)
{
  const qint64 keys = r.Parent->PrimaryKey.Count();
  if (keys == 0)
    return;
  const qint64 room = FCopyLimit - FCopies;
  const qint64 perKey = r.PrimaryRelation() ? CopiesPerKey(r.Child, room / keys) : 1;
  if (perKey > room / keys)
    throw TCorruptFile("carrying the keys would make too many copies");
  FCopies += keys * perKey;
}

namespace {

// After the item of entry `i`, asks for what the items of the entries that
// follow in the list read (the sections list them in that order), and for
// the texts that looking up their names compares.
template <typename List, typename Stage>
void ReadAheadFrom(const List& list, int i, Stage stage)
{
  if (i + 2 < list.Count())
    PrefetchText(list.Strings(i + 2));
  StagesAfter(list, i, 3, stage);
}

}  // namespace

TEntity* TDiagramReader::FileEntity(const QString& name) const
{
  const int i = FEntities.IndexOf(name);
  if (i < 0)
    throw TCorruptFile("entity not found");
  ReadAheadFrom(FEntities, i, EntityListsAhead);
  return FEntities[i];
}

// One item of the carried-attributes section: a relation and, for each of
// its copies, the name of the parent attribute it stands for and the stored
// record of the copy.
struct TCarriedItem {
  TRelation* Relation = nullptr;
  std::vector<std::pair<QString, TAttribute>> Copies;
};

// Applies one item: each record replaces the fields of the copy it belongs
// to, and the child's entry takes the stored name.
void ApplyCarried(TCarriedItem& item)
{
  TRelation* r = item.Relation;
  std::vector<bool> used(static_cast<size_t>(r->MigratedAttributes.Count()), false);
  std::vector<TAttribute*> stored;  // the copies in the order of the file
  for (auto& [parentName, record] : item.Copies) {
    // The entry of the parent attribute the record belongs to; by position
    // when no unused entry has the name.
    int entry = -1;
    for (int e = 0; e < r->MigratedAttributes.Count() && entry < 0; ++e)
      if (!used[e] && SameText(r->MigratedAttributes.Strings(e), parentName))
        entry = e;
    for (int e = 0; e < r->MigratedAttributes.Count() && entry < 0; ++e)
      if (!used[e])
        entry = e;
    if (entry < 0)
      throw TCorruptFile("carried attributes do not match the relation");
    used[entry] = true;
    TAttribute* copy = r->MigratedAttributes.Objects(entry);
    stored.push_back(copy);
    const QString carriedColumn = copy->ColumnName();
    // Texts the record repeats keep the copy's, which it shares with the
    // attribute it was carried from, rather than holding a second one.
    TAttribute fields = std::move(record);
    for (auto [from, held] : {std::pair{&fields.Name, &copy->Name}, std::pair{&fields.DataType, &copy->DataType},
                              std::pair{&fields.Width, &copy->Width}})
      if (*from == *held)
        *from = *held;
    if (fields.ColumnName() == carriedColumn)
      fields.SetColumnName(carriedColumn);
    copy->AssignFields(std::move(fields));
    if (copy->ColumnName().isEmpty())
      copy->SetColumnName(carriedColumn);
    copy->ForeignKey = true;
    // The child's entry takes the stored name (a role name), which also
    // passes on to the copies further down that still have the old name.
    const int p = r->ChildList().IndexOfObject(copy);
    if (p < 0)
      throw TCorruptFile("carried attribute not in its child");
    if (r->PrimaryRelation())
      r->Child->RenameKeyAttribute(p, copy->Name);
    else
      r->Child->RenameAttribute(p, copy->Name);
  }
  // The entries take the file's order, so the diagram writes back as read.
  for (int j = 0; j < static_cast<int>(stored.size()); ++j)
    r->MigratedAttributes.Move(r->MigratedAttributes.IndexOfObject(stored[j]), j);
}

// Applies the items of the carried-attributes section as they are read, so
// that an error further on keeps them. A record names its parent attribute
// by the name it has in the parent, which may be a role name that the item
// of a primary relation leading into the parent gives; an item read before
// those items waits for them, and is applied as soon as the last of them is.
class TCarriedItems {
public:
  // `relations`: the relations the file created.
  explicit TCarriedItems(const TStringList<TRelation, false>& relations)
  {
    for (const TRelation* r : relations)
      if (r->PrimaryRelation())
        ++FOpen[r->Child];
  }

  void Take(TCarriedItem item)
  {
    const TEntity* parent = item.Relation->Parent;
    if (FOpen.value(parent) == 0) {
      Run(std::move(item));
      return;
    }
    FWaiting[parent].push_back(FHeld.size());
    FHeld.push_back(std::move(item));
  }

  // Applies every item still waiting, in the order read (for an item whose
  // upstream item never came, or when an error ends the section).
  void Flush()
  {
    for (std::optional<TCarriedItem>& held : FHeld)
      if (held)
        Run(*std::exchange(held, std::nullopt));
  }

private:
  // Applies the item and every waiting item that it releases, without
  // recursion (chains of primary relations can be long).
  void Run(TCarriedItem item)
  {
    std::vector<TCarriedItem> work;
    work.push_back(std::move(item));
    while (!work.empty()) {
      TCarriedItem current = std::move(work.back());
      work.pop_back();
      ApplyCarried(current);
      const TRelation* r = current.Relation;
      if (!r->PrimaryRelation() || FApplied.contains(r))
        continue;
      FApplied.insert(r);
      const auto open = FOpen.find(r->Child);
      if (open == FOpen.end() || --open.value() > 0)
        continue;
      const std::vector<size_t> released = FWaiting.take(r->Child);
      for (auto i = released.rbegin(); i != released.rend(); ++i)
        if (FHeld[*i])
          work.push_back(*std::exchange(FHeld[*i], std::nullopt));
    }
  }

  // Per entity, the primary relations into it whose items are not applied.
  QHash<const TEntity*, int> FOpen;
  QSet<const TRelation*> FApplied;
  // Waiting items in the order read, and their positions by parent entity.
  std::vector<std::optional<TCarriedItem>> FHeld;
  QHash<const TEntity*, std::vector<size_t>> FWaiting;
};

void TDiagramReader::ReadCarried()
{
  TCarriedItems items(FRelations);
  try {
    for (int i = 0, n = ReadCount(); More(i, n); ++i) {
      const int at = FRelations.IndexOf(In.ReadLine());
      if (at < 0)
        throw TCorruptFile("relation not found");
      ReadAheadFrom(FRelations, at, CarriedAhead);
      TCarriedItem item{FRelations[at], {}};
      const int keys = item.Relation->Parent->PrimaryKey.Count();
      if (keys != item.Relation->MigratedAttributes.Count())
        throw TCorruptFile("carried attributes do not match the relation");
      for (int k = 0; More(k, keys); ++k) {
        const QString parentName = In.ReadLine();
        TAttribute record;
        ReadAttribute(record);
        item.Copies.emplace_back(parentName, std::move(record));
      }
      items.Take(std::move(item));
      FProgress.StepWithin(kLoadRelationsDone, kLoadCarriedDone, i + 1, n);
    }
  } catch (const std::exception&) {
    // The items read before the error stay, also those still waiting; the
    // file is reported as corrupt for the first error, whatever the waiting
    // items meet.
    try {
      items.Flush();
    } catch (const std::exception&) {
    }
    throw;
  }
  items.Flush();
}

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

}  // namespace

// ---- Public operations -------------------------------------------------------------

QString FormatDateText(const QDateTime& value)
{
  const QLocale c = QLocale::c();
  QString text = c.toString(value.date(), QStringLiteral("M/d/yy"));
  const QTime t = value.time();
  if (t.hour() != 0 || t.minute() != 0 || t.second() != 0)
    text += QLatin1Char(' ') + c.toString(t, QStringLiteral("h:mm:ss AP"));
  return text;
}

std::optional<QDateTime> ParseDateText(const QString& text, const QDateTime& now)
{
  static const QRegularExpression pattern(QStringLiteral(
      R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2}|\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?\s*([AaPp][Mm])?)?\s*$)"));
  const QRegularExpressionMatch m = pattern.match(text);
  if (!m.hasMatch())
    return std::nullopt;
  int year = m.captured(3).toInt();
  if (m.captured(3).size() == 2)
    year += now.date().year() / 100 * 100;
  const QDate date(year, m.captured(1).toInt(), m.captured(2).toInt());
  if (!date.isValid())
    return std::nullopt;
  QTime time(0, 0);
  if (m.capturedLength(4) > 0) {
    int hour = m.captured(4).toInt();
    const QString marker = m.captured(7).toUpper();
    if (!marker.isEmpty()) {
      if (hour < 1 || hour > 12)
        return std::nullopt;
      hour = hour % 12 + (marker == QStringLiteral("PM") ? 12 : 0);
    }
    time = QTime(hour, m.captured(5).toInt(), m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0);
    if (!time.isValid())
      return std::nullopt;
  }
  return QDateTime(date, time);
}

namespace {

TLoadResult LoadBytes(TDrawingSurface& surface, const QByteArray& fileBytes, TProgressRun& progress)
{
  // A diagram whose line ends were turned into line feeds alone (by a
  // version control system or an editor) is read as it was written.
  QByteArray converted;
  if (!fileBytes.contains('\r') && fileBytes.contains('\n')) {
    converted = fileBytes;
    converted.replace('\n', "\r\n");
  }
  const QByteArray& bytes = converted.isNull() ? fileBytes : converted;
  const qsizetype eof = bytes.indexOf('\x1A');
  TTextReader in(eof >= 0 ? QByteArrayView(bytes).first(eof) : QByteArrayView(bytes));

  const QString tag = in.AtEnd() ? QString() : in.ReadLine().left(10);
  int version = -1;
  for (int v = 0; v < 4; ++v)
    if (tag == kTags[v])
      version = v;
  if (version < 0) {
    progress.Finish();
    surface.Messages().Error(kNotADiagram);
    return TLoadResult::NotADiagram;
  }

  TLoadResult result = TLoadResult::Loaded;
  // Running out of memory is no fault of the file: it is passed on once the
  // surface is whole again.
  std::exception_ptr outOfMemory;
  surface.BeginUpdate();
  try {
    TDiagramReader(surface, in, version, eof >= 0 ? eof : bytes.size(), progress).Read();
  } catch (const std::bad_alloc&) {
    outOfMemory = std::current_exception();
  } catch (const std::exception&) {
    result = TLoadResult::Corrupted;
  }
  progress.Step(kLoadReadDone);
  surface.EndUpdate([&progress](qint64 done, qint64 count) {
    progress.StepWithin(kLoadReadDone, kLoadSteps, done, count);
  });
  progress.Finish();
  if (outOfMemory)
    std::rethrow_exception(outOfMemory);
  if (result == TLoadResult::Corrupted)
    surface.Messages().Error(kCorrupted);
  return result;
}

}  // namespace

TLoadResult LoadDiagramBytes(TDrawingSurface& surface, const QByteArray& bytes)
{
  surface.ResetZoom();
  TProgressRun none(nullptr, {}, 0);
  return LoadBytes(surface, bytes, none);
}

TLoadResult LoadDiagram(TDrawingSurface& surface, const QString& fileName, TProgress* progress)
{
  surface.ResetZoom();
  TProgressRun run(progress, QFileInfo(fileName).fileName(), kLoadSteps);
  QByteArray bytes;
  try {
    bytes = ReadRegularFile(fileName);
  } catch (const TFileAccessError& e) {
    throw TFileError(e.what());
  }
  return LoadBytes(surface, bytes, run);
}

void WriteDiagram(const TDrawingSurface& s, QByteArray& stream)
{
  // Positions are written as they lie at 100% zoom.
  const TDrawingSurface::THomeScale home = s.HomeScale();
  // The stream stays empty until the text is complete; its memory is reused.
  TTextWriter w(std::exchange(stream, QByteArray()));
  w.Line(kTags[3]);
  w.Line(s.DiagramName);
  w.Line(s.Revision);
  w.Line(FormatDateText(s.SaveDate));
  const QSize size = s.HomeSize();
  w.Numbers(size.width(), size.height());
  w.Line(s.Font.family());
  w.Numbers(s.Font.pointSize());
  w.Numbers(static_cast<int>(s.DisplayLocation) + 1);
  w.Line(Bool(s.RelationLabelVisible));

  w.Numbers(s.Domains.Count());
  for (const TDomain* d : s.Domains)
    WriteRecord(w, *d);
  w.Numbers(s.Entities.Count());
  WalkAhead(s.Entities, EntityMiddle, EntityNear, [&](const TEntity& e) {
    PrefetchFields(e.PrimaryKey);
    PrefetchFields(e.Attributes);
    WriteRecord(w, home, e);
  });
  w.Numbers(s.Relations.Count());
  WalkAhead(
      s.Relations,
      [](const TRelation& r) {
        PrefetchText(r.RelationName());
        Prefetch(&r.Parent->EntityName());
        Prefetch(&r.Child->EntityName());
      },
      [](const TRelation& r) {
        PrefetchText(r.Parent->EntityName());
        PrefetchText(r.Child->EntityName());
      },
      [&](const TRelation& r) { WriteRecord(w, home, r); });

  w.Numbers(s.Relations.Count());
  WalkAhead(
      s.Relations,
      [](const TRelation& r) {
        PrefetchText(r.RelationName());
        PrefetchEntries(r.MigratedAttributes);
      },
      [](const TRelation& r) {
        PrefetchObjects(r.MigratedAttributes);
        for (int i = 0; i < r.MigratedAttributes.Count(); ++i)
          PrefetchText(r.MigratedAttributes.Strings(i));
      },
      [&](const TRelation& r) {
        const TAttributeRefs& carried = r.MigratedAttributes;
        PrefetchFields(carried);
        w.Names(r.RelationName());
        for (int i = 0; i < carried.Count(); ++i) {
          w.Names(carried.Strings(i));
          WriteRecord(w, *carried.Objects(i));
        }
      });

  w.Numbers(s.Entities.Count());
  WalkAhead(s.Entities, EntityMiddle, EntityNear, [&](const TEntity& e) {
    for (const TAttribute* a : e.PrimaryKey)
      PrefetchText(a->Name);
    for (const TAttribute* a : e.Attributes)
      PrefetchText(a->Name);
    w.Names(e.EntityName());
    for (const TAttribute* a : e.PrimaryKey)
      w.Names(a->Name);
    for (const TAttribute* a : e.Attributes)
      w.Names(a->Name);
  });

  w.Numbers(s.Entities.Count());
  WalkAhead(
      s.Entities, [](const TEntity& e) { PrefetchEntries(e.Indexes); },
      [](const TEntity& e) {
        PrefetchText(e.EntityName());
        PrefetchObjects(e.Indexes);
      },
      [&](const TEntity& e) {
        w.Names(e.EntityName());
        w.Numbers(e.Indexes.Count());
        for (const TIndex* index : e.Indexes)
          WriteRecord(w, *index);
      });

  w.Numbers(s.ServerProcs.Count());
  for (const TServerProc* p : s.ServerProcs)
    WriteRecord(w, *p);
  w.Numbers(s.Labels.Count());
  for (const TTextLabel* l : s.Labels)
    WriteLabel(w, home, *l);
  w.Numbers(static_cast<int>(s.EntityView.size()));
  for (const QString& name : s.EntityView)
    w.Names(name);

  stream = w.Take();
}

void SaveDiagram(TDrawingSurface& surface, const QString& fileName, const QString& backupName)
{
  surface.SaveDate = QDateTime::currentDateTime();
  bool ok = false;
  const qlonglong revision = surface.Revision.toLongLong(&ok);
  surface.Revision = QString::number((ok && revision < LLONG_MAX ? revision : 0) + 1);
  QByteArray bytes;
  WriteDiagram(surface, bytes);
  try {
    WriteFileSafely(fileName, bytes, backupName);
  } catch (const TFileAccessError& e) {
    throw TFileError(e.what());
  }
}

}  // namespace veska
