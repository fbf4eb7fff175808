#pragma once
// A model on a surface with fixed font metrics (a label is 6 pixels per
// character) and a synthetic template library: template n is "<Tn" followed
// by one " %s" or " %d" per argument it receives and ">" CR LF, so a
// composed file shows exactly which templates were used with which
// arguments, in which order.

#include "appgen/AppGenerator.h"
#include "appgen/LibraryCipher.h"
#include "surface/SurfaceFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {

// The argument kinds of each template ("" for one taking none or unused).
inline const char* const kTemplateArgs[kTemplateCount] = {
  "",    "s",   "sss",  "",   "ss",  "",    "ss",   "",     "",   "",   // 0-9
  "d",   "s",   "ddd",  "d",  "d",   "",    "d",    "",     "",   "d",  // 10-19
  "",    "",    "",     "d",  "",    "",    "d",    "",     "ss", "",   // 20-29
  "ss",  "s",   "s",    "sdd", "s",  "sss", "sdsssssssss", "ssddsss", "", "", // 30-39
  "dsd", "",    "",     "",   "",    "",    "dd",   "ddddss", "sdddsd", "", // 40-49
  "s",   "ddddsdssddddds", "dddsd", "ddddsd", "", "ddddssdss",                // 50-55
};

// The plain text of the synthetic library (before the first byte and the
// cipher).
inline QByteArray SyntheticTemplates()
{
  QByteArray text;
  for (int n = 0; n < kTemplateCount; ++n) {
    text += "<T" + QByteArray::number(n);
    for (const char* a = kTemplateArgs[n]; *a; ++a)
      text += *a == 's' ? " %s" : " %d";
    text += ">\r\n|";
  }
  return text;
}

// The enciphered library file's contents: a first byte, the templates, and
// text after the last "|" that is ignored.
inline QByteArray SyntheticLibrary()
{
  return CipherLibrary("#" + SyntheticTemplates() + "trailing text is ignored");
}

// One line of a composed file as the synthetic library gives it.
inline QString T(int n, const QStringList& args = {})
{
  QString line = QStringLiteral("<T%1").arg(n);
  for (const QString& a : args)
    line += QLatin1Char(' ') + a;
  return line + QLatin1Char('>');
}

inline QStringList Lines(const QString& text)
{
  QStringList lines = text.split(QStringLiteral("\r\n"));
  EXPECT_EQ(lines.last(), QString()) << "every line ends with CR LF";
  lines.removeLast();
  return lines;
}

inline QByteArray ReadBytes(const QString& path)
{
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AppGenTest : public SurfaceTest {
protected:
  QTemporaryDir Dir;
  QStringList Progress;

  QString Path(const QString& name) const { return Dir.filePath(name); }

  TAppBuildSettings Settings(const QStringList& forms, bool mdi = true) const
  {
    TAppBuildSettings s;
    s.Directory = Dir.path();
    s.MDIApplication = mdi;
    s.FormList = forms;
    return s;
  }

  TAppExpert Expert(const QStringList& forms, bool mdi = true)
  {
    return TAppExpert(S, Settings(forms, mdi), ParseTemplateLibrary(SyntheticLibrary(), QStringLiteral("test")));
  }

  TAppProgress Recorder()
  {
    return TAppProgress{[this] { Progress << QStringLiteral("<clear>"); },
                        [this](const QString& line) { Progress << line; }};
  }
};

}  // namespace veska::test
