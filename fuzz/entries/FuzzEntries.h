#pragma once
// What each fuzz target does with one input, kept apart from libFuzzer so
// that the corpus replay test runs the very same code in the normal and the
// sanitizer builds. An entry returns when the input was handled soundly
// (read, or refused with a message); a fault it finds (a model whose links
// are broken, a round trip that changes what was read) is printed to stderr
// and ends the process with abort(), which both libFuzzer and the tests
// report with the input that caused it.

#include <QByteArray>
#include <QString>

#include <span>

namespace veska::fuzz {

// Arbitrary bytes as a diagram file: what was read leaves the model whole
// and writes a file that reads back to the same model.
void DiagramReaderInput(const QByteArray& bytes);

// The bytes as form text and as a form resource: where a conversion
// succeeds, converting its result back and forth again gives the same.
void FormInput(const QByteArray& bytes);

// The bytes split into the files of one desktop table (see TableFiles in the
// source); the engine lists it, reads its fields and reads the directory
// into a model, which stays whole and writes a diagram that reads back.
void TableInput(const QByteArray& bytes);

// The bytes as a settings file: every section reads, and writing a section
// back keeps what it held and every other section as it was.
void SettingsInput(const QByteArray& bytes);

struct TTarget {
  const char* Name;  // also the corpus folder under fuzz/corpus
  void (*Run)(const QByteArray&);
};
std::span<const TTarget> Targets();

// The separator between the files of a table input.
inline constexpr char kTableFileSeparator[] = "\n--next-file--\n";

// Writes the files of a table input into `dir` and gives the table file's
// name ("T.DB" or "T.DBF").
QString WriteTableInput(const QByteArray& bytes, const QString& dir);

}  // namespace veska::fuzz
