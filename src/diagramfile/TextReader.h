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

class TTextReader {
public:
  // `bytes` is the file up to (not including) an end-of-file byte 26; they
  // must outlive the reader.
  explicit TTextReader(QByteArrayView bytes);

  bool AtEnd() const { return FPos >= FBytes.size(); }

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
  qsizetype LineEnd() const;
  void SkipLine();
  void StepOverLineEnd();

  QByteArrayView FBytes;
  bool FUtf8 = true;
  // Keeps a U+FEFF that begins a line: only the file's first one is a mark.
  QStringDecoder FUtf8Decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
  // The decoded current line, reused so that reading allocates only for
  // lines longer than any before.
  std::vector<QChar> FLine;
  qsizetype FPos = 0;
};

}  // namespace veska
