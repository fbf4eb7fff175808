#pragma once
// Line and number reading over a diagram file's bytes, with the old text-file
// semantics: a line ends at a carriage return (a line feed right behind it is
// skipped) and numbers skip leading blanks and line ends. Every line and
// number read is required: reading past the end of the text throws
// TCorruptFile (a last line without its line end is still a line).
//
// The bytes are read as UTF-8 when all of them are valid UTF-8 (a leading
// byte order mark is skipped) and as Windows-1252 otherwise. Only the line
// being read is decoded: a large file is never held as a second, twice as
// large copy.

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <stdexcept>
#include <vector>

namespace veska {

// A token where a number belongs that is not one, and other damage.
class TCorruptFile : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Where a reader takes the bytes of a text too large to hold whole.
class TTextSource {
public:
  virtual ~TTextSource() = default;
  // Up to `count` more bytes into `into`; 0 at the end of the text.
  virtual qsizetype Read(char* into, qsizetype count) = 0;
};

class TTextReader {
public:
  // `bytes` is the file up to (not including) an end-of-file byte 26; they
  // must outlive the reader. Lines end at a carriage return, or with
  // `lineEnd` '\n' at a line feed (a file whose line ends were turned into
  // line feeds alone).
  explicit TTextReader(QByteArrayView bytes, char lineEnd = '\r');
  // The text of `source`, held a part at a time; whether it is all valid
  // UTF-8 was found out beforehand.
  TTextReader(TTextSource& source, bool utf8, char lineEnd);

  bool AtEnd() { return FPos >= FBytes.size() && !Fill(); }

  QString ReadLine();
  // The next line, decoded; the view is valid until the next read.
  QStringView ReadLineView();
  // Reads `count` numbers (across line ends if need be), then skips the rest
  // of the line of the last one.
  void ReadNumbers(int* values, int count);
  int ReadNumber();
  double ReadReal();
  bool ReadBoolean() { return IsTrue(ReadLineView()); }
  // A counted list: a number n, then n lines. A file that ends before the
  // n-th line is corrupt.
  QStringList ReadCountedLines();

  static bool IsTrue(QStringView text);

private:
  // The next blank-separated token, as a view into the bytes (numbers are
  // parsed straight from it, without decoding).
  QByteArrayView ReadToken();
  QString Decode(QByteArrayView bytes);
  qsizetype LineEnd();
  void SkipLine();
  void StepOverLineEnd();
  // Keeps the bytes from the current position on and adds more from the
  // source, so that the position moves to 0; false when nothing was added.
  bool Fill();
  void SkipByteOrderMark();

  QByteArrayView FBytes;
  TTextSource* FSource = nullptr;
  // What the bytes are held in when they come from a source.
  QByteArray FWindow;
  char FLineEnd = '\r';
  bool FUtf8 = true;
  // Keeps a U+FEFF that begins a line: only the file's first one is a mark.
  QStringDecoder FUtf8Decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
  // The decoded current line, reused so that reading allocates only for
  // lines longer than any before.
  std::vector<QChar> FLine;
  qsizetype FPos = 0;
};

}  // namespace veska
