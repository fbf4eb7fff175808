#pragma once
// Line and number reading over a diagram file's text, with the old text-file
// semantics: a line ends at a carriage return (a line feed right behind it is
// skipped), numbers skip leading blanks and line ends, and reading past the
// end gives empty texts and zeros.

#include <QString>

#include <stdexcept>

namespace veska {

// A token where a number belongs that is not one, and other damage.
class TCorruptFile : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TTextReader {
public:
  // `text` is the decoded file up to (not including) an end-of-file byte 26.
  explicit TTextReader(QString text) : FText(std::move(text)) {}

  bool AtEnd() const { return FPos >= FText.size(); }

  QString ReadLine();
  // The next line as a view into the text, valid while the reader lives.
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
  // The next blank-separated token, as a view into the text (numbers are
  // parsed straight from it, without a copy).
  QStringView ReadToken();
  void SkipLine();
  void StepOverLineEnd();

  QString FText;
  qsizetype FPos = 0;
};

}  // namespace veska
