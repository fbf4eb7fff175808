#pragma once
// The settings file: the sections-and-keys text layout ("[Section]" lines
// followed by "key=value" lines). Section and key names are compared without
// regard to letter case. Every operation opens the file, does its work and
// closes it again, so other programs' edits between calls are seen.
//
// Writing keeps the rest of the file as it was: the order of sections and
// keys, comment lines (";") and lines the reader does not understand. Files
// are read as UTF-8 when valid, else as Windows-1252, and written as UTF-8
// with CR LF line ends. Only regular files up to 1 GiB are read.

#include <QString>
#include <QStringList>

#include <utility>

namespace veska {

class TIniFile {
public:
  explicit TIniFile(QString path);

  QString FileName() const { return FPath; }

  // The names of the sections in file order, each once (letter case
  // ignored); an absent or unreadable file has none.
  QStringList ReadSectionNames() const;
  // Key names of the section in file order; an absent file or section gives
  // an empty list.
  QStringList ReadSectionKeys(const QString& section) const;
  // Every entry (key and value) of the first section of that name, in file
  // order; an absent file or section gives an empty list.
  QList<std::pair<QString, QString>> ReadSection(const QString& section) const;
  // Erases the section and writes each text of the list as a key with an
  // empty value, in list order. Texts that could not be read back as the same
  // key (empty, containing "=" or a line break, with surrounding blanks, or
  // starting with ";" or "[") are left out. The file is replaced as a whole,
  // only once the new text is safely on disk. Throws std::runtime_error with
  // the system's message when the file cannot be written, and also when it
  // exists but cannot be read, which would lose its other sections.
  void WriteSectionKeys(const QString& section, const QStringList& keys);
  // The same with a value for each key; an entry whose value could not be
  // read back the same (with surrounding blanks or a line break) is left
  // out as well.
  void WriteSection(const QString& section, const QList<std::pair<QString, QString>>& entries);
  // The value of the first entry of the key in the first section of that
  // name; empty when there is none.
  QString ReadSetting(const QString& section, const QString& key) const;
  // Throws TFileAccessError (platform/SafeFile.h) when the file exists but
  // cannot be read: the readers above then see an empty file. An absent file
  // is no error.
  void CheckReadable() const;
  // The value as a 32-bit integer: decimal, or hexadecimal when it is longer
  // than two characters and starts with "0x" or "0X"; 0 when there is no
  // value or it is not a number.
  int ReadSettingNumber(const QString& section, const QString& key) const;
  // A value read as ReadSettingNumber reads it.
  static int ToNumber(const QString& value);

  // TRUE when WriteSectionKeys writes `key` so that it reads back unchanged.
  static bool CanStoreKey(const QString& key);
  static bool CanStoreValue(const QString& value);

private:
  QString FPath;
};

}  // namespace veska
