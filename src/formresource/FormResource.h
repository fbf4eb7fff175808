#pragma once
// Form descriptions in both of their forms: the readable form text
// ("object Form1: TForm1 ... end") and the binary form resource the target
// development system reads (a resource header, then the "TPF0" stream).

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace veska {

// A form text or form resource that cannot be converted. Line() is the line
// of the form text (from 1) where the fault was found, or 0 for a form
// resource; what() is the message without the line.
class TFormTextError : public std::runtime_error {
public:
  TFormTextError(int line, const QString& message);
  int Line() const { return FLine; }

private:
  int FLine;
};

// Converts form text to a form resource: the resource header named after the
// form's class in upper case, then the binary stream. Throws TFormTextError.
QByteArray FormTextToResource(const QString& text);

// Converts a form resource (or a bare "TPF0" stream) back to form text with
// CR LF line ends. Throws TFormTextError.
QString FormResourceToText(const QByteArray& resource);

}  // namespace veska
