#pragma once
// Building a report's text line by line, and writing it to its file. Every
// line ends with CR LF; the file is written as UTF-8.

#include "platform/TextEncoding.h"

#include <QString>

#include <stdexcept>

namespace veska {

// A report file that cannot be created or written; what() is the message to
// show.
class TReportFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TReportText {
public:
  // Writes a whole line.
  void Line(const QString& text = {})
  {
    FText += text;
    EndLine();
  }
  // Writes a piece of the current line.
  void Piece(const QString& text) { FText += text; }
  void EndLine() { FText += QLatin1String("\r\n"); }

  const QString& Text() const { return FText; }

private:
  QString FText;
};

// The text left-aligned and filled with blanks up to `width` characters; a
// longer text is returned whole.
inline QString Padded(const QString& text, int width)
{
  // Counted in characters: a character outside the Basic Multilingual Plane
  // takes one place, like any other.
  const qsizetype fill = width - CharacterCount(text);
  return fill > 0 ? text + QString(fill, QLatin1Char(' ')) : text;
}

// Creates or replaces the file with the text. Throws TReportFileError when
// the file cannot be written; a file of that name is then left as it was.
void WriteReportFile(const QString& fileName, const QString& text);

}  // namespace veska
