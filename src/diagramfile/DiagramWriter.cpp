// Writing a diagram file: the surface's model as version-3 text, and saving
// it to a file.

#include "diagramfile/DiagramFile.h"

#include "diagramfile/AsciiRuns.h"
#include "diagramfile/FileVersions.h"
#include "model/ReadAhead.h"
#include "platform/SafeFile.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <type_traits>
#include <utility>

namespace veska {

namespace {

constexpr int kMaxLine = 253;
constexpr int kMaxCaption = 255;

QLatin1String Bool(bool value)
{
  return value ? QLatin1String("TRUE") : QLatin1String("FALSE");
}

// Builds the file's bytes line by line: each line is encoded as UTF-8 straight
// into one buffer, cut at 253 characters (never inside one), and ended with
// CR LF. The buffer handed in is reused, so that writing a large diagram again
// and again (snapshots) does not allocate and touch fresh memory each time;
// it is written through a plain pointer, with room made once per line, and
// cut to the text's length at the end. Written to a file, the buffer instead
// holds a part of the text at a time, handed to the file whenever a line
// finds no room, so that a large diagram is never held whole.
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
  explicit TTextWriter(TSafeFileWriter& file) : TTextWriter(QByteArray(kFilePartSize, Qt::Uninitialized))
  {
    FFile = &file;
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
  // Hands what is left to the file.
  void Finish()
  {
    Hand();
    FOut = FEnd = nullptr;
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
    if (FFile) {
      Hand();
      if (FEnd - FOut >= n)
        return;
    }
    const qsizetype used = FOut - FBytes.constData();
    FBytes.resize(std::max(FBytes.size() * 2, used + n));
    FOut = FBytes.data() + used;
    FEnd = FBytes.data() + FBytes.size();
  }

  void Hand()
  {
    FFile->Write(QByteArrayView(FBytes.constData(), FOut - FBytes.constData()));
    FOut = FBytes.data();
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
  // Appends `text` from unit `i` on, the first unit being outside ASCII; the
  // runs of ASCII in it go through PutAscii (AsciiRuns.h).
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

  QByteArray FBytes;
  char* FOut = nullptr;  // the next byte to write
  char* FEnd = nullptr;  // the end of the room
  TSafeFileWriter* FFile = nullptr;
};

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
  w.Line(a.DefaultValue());
  w.Line(a.Rule());
  w.Numbers(static_cast<int>(a.DisplayType) + 1, a.ControlTop(), a.ControlLeft(), a.ControlWidth());
  w.Counted(a.Description());
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

void WriteHeader(TTextWriter& w, const TDrawingSurface& s)
{
  w.Line(kVersionTags[kWrittenVersion]);
  w.Line(s.DiagramName);
  w.Line(s.Revision);
  w.Line(FormatDateText(s.SaveDate));
  const QSize size = s.HomeSize();
  w.Numbers(size.width(), size.height());
  w.Line(s.Font.family());
  w.Numbers(s.Font.pointSize());
  w.Numbers(static_cast<int>(s.DisplayLocation) + 1);
  w.Line(Bool(s.RelationLabelVisible));
}

// Writing a large model waits on memory more than it computes: each walk
// below asks for the memory of the objects a few places ahead of the one it
// writes (`WalkAhead` and its stages in model/ReadAhead.h).

void WriteEntities(TTextWriter& w, const TDrawingSurface::THomeScale& home, const TDrawingSurface& s)
{
  w.Numbers(s.Entities.Count());
  WalkAhead(s.Entities, WriteEntityAhead, [&](const TEntity& e) { WriteRecord(w, home, e); });
}

void WriteRelations(TTextWriter& w, const TDrawingSurface::THomeScale& home, const TDrawingSurface& s)
{
  w.Numbers(s.Relations.Count());
  WalkAhead(s.Relations, WriteRelationAhead, [&](const TRelation& r) { WriteRecord(w, home, r); });
}

// Per relation, the copies it carried into its child: the name each has in
// the parent and its own record.
void WriteCarried(TTextWriter& w, const TDrawingSurface& s)
{
  w.Numbers(s.Relations.Count());
  WalkAhead(s.Relations, WriteCarriedAhead, [&](const TRelation& r) {
    const TAttributeRefs& carried = r.MigratedAttributes;
    w.Names(r.RelationName());
    for (int i = 0; i < carried.Count(); ++i) {
      w.Names(carried.Strings(i));
      WriteRecord(w, *carried.Objects(i));
    }
  });
}

// Per entity, the names of its key and other attributes in list order, the
// carried ones among them.
void WriteOrder(TTextWriter& w, const TDrawingSurface& s)
{
  w.Numbers(s.Entities.Count());
  WalkAhead(s.Entities, WriteOrderAhead, [&](const TEntity& e) {
    w.Names(e.EntityName());
    for (const TAttribute* a : e.PrimaryKey)
      w.Names(a->Name);
    for (const TAttribute* a : e.Attributes)
      w.Names(a->Name);
  });
}

void WriteIndexes(TTextWriter& w, const TDrawingSurface& s)
{
  w.Numbers(s.Entities.Count());
  WalkAhead(s.Entities, WriteIndexesAhead, [&](const TEntity& e) {
    w.Names(e.EntityName());
    w.Numbers(e.Indexes.Count());
    for (const TIndex* index : e.Indexes)
      WriteRecord(w, *index);
  });
}

void WriteText(TTextWriter& w, const TDrawingSurface& s)
{
  // Positions are written as they lie at 100% zoom.
  const TDrawingSurface::THomeScale home = s.HomeScale();
  WriteHeader(w, s);
  w.Numbers(s.Domains.Count());
  for (const TDomain* d : s.Domains)
    WriteRecord(w, *d);
  WriteEntities(w, home, s);
  WriteRelations(w, home, s);
  WriteCarried(w, s);
  WriteOrder(w, s);
  WriteIndexes(w, s);
  w.Numbers(s.ServerProcs.Count());
  for (const TServerProc* p : s.ServerProcs)
    WriteRecord(w, *p);
  w.Numbers(s.Labels.Count());
  for (const TTextLabel* l : s.Labels)
    WriteLabel(w, home, *l);
  w.Numbers(static_cast<int>(s.EntityView.size()));
  for (const QString& name : s.EntityView)
    w.Names(name);
}

}  // namespace

void WriteDiagram(const TDrawingSurface& s, QByteArray& stream)
{
  // The stream stays empty until the text is complete; its memory is reused.
  TTextWriter w(std::exchange(stream, QByteArray()));
  WriteText(w, s);
  stream = w.Take();
}

void WriteDiagramToFile(const TDrawingSurface& s, const QString& fileName, const QString& backupName)
{
  TSafeFileWriter file(fileName);
  TTextWriter w(file);
  WriteText(w, s);
  w.Finish();
  file.Commit(backupName);
}

void SaveDiagram(TDrawingSurface& surface, const QString& fileName, const QString& backupName)
{
  surface.SaveDate = QDateTime::currentDateTime();
  bool ok = false;
  const qlonglong revision = surface.Revision.toLongLong(&ok);
  surface.Revision = QString::number((ok && revision < LLONG_MAX ? revision : 0) + 1);
  try {
    WriteDiagramToFile(surface, fileName, backupName);
  } catch (const TFileAccessError& e) {
    throw TFileError(e.what());
  }
}

}  // namespace veska
