#pragma once
// Letter-case folding for the name lookups that run on every load: names are
// nearly always plain ASCII, where folding is lowering A-Z, so that path
// needs no Unicode tables; any other text takes Qt's full folding.

#include <QString>
#include <QStringView>

namespace veska {

// Whether every character of the text is 7-bit ASCII.
inline bool IsAscii(QStringView text)
{
  for (const QChar c : text)
    if (c.unicode() >= 0x80)
      return false;
  return true;
}

// The text with its letter case folded, as QString::toCaseFolded gives it.
inline QString CaseFolded(const QString& text)
{
  const QChar* p = text.constData();
  const qsizetype n = text.size();
  qsizetype i = 0;
  for (; i < n; ++i) {
    const char16_t u = p[i].unicode();
    if (u >= 0x80)
      return text.toCaseFolded();
    if (u >= 'A' && u <= 'Z')
      break;
  }
  if (i == n)
    return text;  // already folded: shares the text
  QString folded(text);
  QChar* q = folded.data();
  for (; i < n; ++i) {
    const char16_t u = q[i].unicode();
    if (u >= 0x80)
      return text.toCaseFolded();
    if (u >= 'A' && u <= 'Z')
      q[i] = QChar(static_cast<char16_t>(u + ('a' - 'A')));
  }
  return folded;
}

// Whether the texts are equal when letter case is ignored, as
// QString::compare with Qt::CaseInsensitive says.
inline bool EqualIgnoringCase(QStringView a, QStringView b)
{
  if (a.size() != b.size()) {
    // Folding keeps plain text's length; only other text can fold to a
    // different number of units.
    if (IsAscii(a) && IsAscii(b))
      return false;
    return a.compare(b, Qt::CaseInsensitive) == 0;
  }
  for (qsizetype i = 0, n = a.size(); i < n; ++i) {
    char16_t x = a[i].unicode();
    char16_t y = b[i].unicode();
    if (x == y)
      continue;
    if ((x | y) >= 0x80)
      return a.compare(b, Qt::CaseInsensitive) == 0;
    if (x >= 'A' && x <= 'Z')
      x = static_cast<char16_t>(x + ('a' - 'A'));
    if (y >= 'A' && y <= 'Z')
      y = static_cast<char16_t>(y + ('a' - 'A'));
    if (x != y)
      return false;
  }
  return true;
}

// A hash of the text's case-folded form, without making that text when the
// text is plain ASCII: texts that are equal with letter case ignored hash
// alike.
inline quint32 FoldedHash(QStringView text)
{
  const auto hashUnits = [](QStringView units, bool fold, quint32& out) {
    quint64 h = 0xcbf29ce484222325ull ^ static_cast<quint64>(units.size());
    for (const QChar c : units) {
      char16_t u = c.unicode();
      if (fold) {
        if (u >= 0x80)
          return false;
        if (u >= 'A' && u <= 'Z')
          u = static_cast<char16_t>(u + ('a' - 'A'));
      }
      h = (h ^ u) * 0x100000001b3ull;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    out = static_cast<quint32>(h);
    return true;
  };
  quint32 hash = 0;
  if (!hashUnits(text, true, hash))
    hashUnits(text.toString().toCaseFolded(), false, hash);
  return hash;
}

}  // namespace veska
