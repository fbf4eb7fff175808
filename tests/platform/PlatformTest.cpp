#include "platform/Allocator.h"
#include "platform/MessageService.h"
#include "platform/TextEncoding.h"
#include "platform/TextMeasurer.h"

#include <QFontMetrics>
#include <QList>

#include <algorithm>
#include <span>
#include <vector>

#include <gtest/gtest.h>

namespace veska {
namespace {

TEST(TextEncoding, ValidUtf8IsReadAsUtf8AndAnythingElseAsWindows1252)
{
  const QByteArray utf8("Stra\xc3\x9f" "e \xe2\x82\xac");
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(DecodeText(utf8), QStringLiteral("Stra\u00dfe \u20ac"));
  EXPECT_TRUE(IsValidUtf8(QByteArray()));

  // Single-byte text: a lone high byte, a truncated sequence at the end, an
  // overlong form.
  for (const QByteArray& bytes : {QByteArray("caf\xe9"), QByteArray("abc\xc3"), QByteArray("\xc0\xaf")})
    EXPECT_FALSE(IsValidUtf8(bytes)) << bytes.toHex().constData();
  EXPECT_EQ(DecodeText(QByteArray("caf\xe9 \x80")), QStringLiteral("caf\u00e9 \u20ac"));
  EXPECT_EQ(DecodeText(QByteArray("abc\xc3")), QStringLiteral("abc\u00c3"));
}

// Long runs of other characters are checked in pieces; a character across
// the edge of a piece is whole, a fault anywhere in a run is found.
TEST(TextEncoding, LongRunsOfOtherCharactersAreCheckedWhole)
{
  for (const QString& character : {QStringLiteral("\u00e9"), QStringLiteral("\u20ac"), QStringLiteral("\U0001F600")}) {
    const QByteArray run = character.repeated(5000).toUtf8();
    EXPECT_TRUE(IsValidUtf8("ab" + run + "c" + run));
    EXPECT_FALSE(IsValidUtf8("ab" + run + run.left(run.size() - 1)));
    QByteArray broken = run + run;
    broken[run.size() + 1] = 'x';
    EXPECT_FALSE(IsValidUtf8(broken));
    broken = run + run;
    broken.insert(run.size(), '\x80');
    EXPECT_FALSE(IsValidUtf8(broken));
  }
}

// The check of a text given in parts, split anywhere, says what the check of
// the whole says.
TEST(TextEncoding, Utf8CheckedInPartsGivesTheAnswerOfTheWhole)
{
  const auto inParts = [](const QByteArray& bytes, qsizetype part) {
    TUtf8Check check;
    for (qsizetype at = 0; at < bytes.size(); at += part)
      check.Add(QByteArrayView(bytes).sliced(at, std::min(part, bytes.size() - at)));
    return check.Valid();
  };
  const QByteArray run = QStringLiteral("\u00e9\u20ac\U0001F600").repeated(8000).toUtf8();  // no ASCII, 72 KB
  QByteArray brokenRun = run;
  brokenRun[50'001] = 'x';
  QList<QByteArray> texts = {"Stra\xc3\x9f" "e \xe2\x82\xac\xf0\x9f\x98\x80!",
                             "caf\xe9",
                             "abc\xc3",
                             "\xc0\xaf",
                             "\xe2\x82",
                             "\x80" "abc",
                             "ab" + run + "c",
                             run,
                             run + "\xe2\x82",
                             brokenRun,
                             QByteArray(70'000, '\x80'),
                             "\xc3" + QByteArray(70'000, '\xa9')};
  for (const QByteArray& bytes : texts) {
    const bool whole = IsValidUtf8(bytes);
    for (qsizetype part = 1; part <= 9; ++part) {
      if (bytes.size() < 100 || part == 1) {
        EXPECT_EQ(inParts(bytes, part), whole) << bytes.left(40).toHex().constData() << " in parts of " << part;
      }
    }
    for (const qsizetype part : {4095, 65'537, 1 << 20})
      EXPECT_EQ(inParts(bytes, part), whole) << bytes.left(40).toHex().constData() << " in parts of " << part;
  }
  EXPECT_TRUE(IsValidUtf8(run));
  EXPECT_FALSE(IsValidUtf8(brokenRun));
  EXPECT_TRUE(TUtf8Check().Valid());
}

TEST(TextEncoding, Windows1252HighRange)
{
  QByteArray all;
  for (int b = 0x80; b < 0x100; ++b)
    all.append(static_cast<char>(b));
  const QString text = DecodeWindows1252(all);
  ASSERT_EQ(text.size(), 128);
  EXPECT_EQ(text[0x80 - 0x80], QChar(0x20AC));
  EXPECT_EQ(text[0x81 - 0x80], QChar(0x0081));  // unassigned: the C1 control
  EXPECT_EQ(text[0x8A - 0x80], QChar(0x0160));
  EXPECT_EQ(text[0x99 - 0x80], QChar(0x2122));
  EXPECT_EQ(text[0x9F - 0x80], QChar(0x0178));
  for (int b = 0xA0; b < 0x100; ++b)
    EXPECT_EQ(text[b - 0x80], QChar(b));
  EXPECT_EQ(DecodeWindows1252(QByteArray("a\0b", 3)), QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
}

TEST(TextEncoding, LeftCharactersNeverSplitsASurrogatePair)
{
  const QString text = QStringLiteral("a\U0001F600b");  // a, one emoji (two UTF-16 units), b
  EXPECT_EQ(LeftCharacters(text, 1), QStringLiteral("a"));
  EXPECT_EQ(LeftCharacters(text, 2), QStringLiteral("a\U0001F600"));
  EXPECT_EQ(LeftCharacters(text, 3), text);
  EXPECT_EQ(LeftCharacters(text, 99), text);
  EXPECT_EQ(LeftCharacters(text, 0), QString());
  EXPECT_EQ(LeftCharacters(QString(), 5), QString());
}

TEST(TextMeasurer, FixedMetricsAndPointsToPixels)
{
  const TFixedTextMeasurer m;
  QFont f;
  f.setPointSize(8);
  EXPECT_EQ(m.TextWidth(f, QStringLiteral("Entity1_0")), 54);
  EXPECT_EQ(m.TextHeight(f, QStringLiteral("A")), 14);
  f.setPointSize(10);
  EXPECT_EQ(m.TextWidth(f, QStringLiteral("ab")), 16);
  EXPECT_EQ(m.TextHeight(f, QString()), 17);
  EXPECT_EQ(m.TextWidth(f, QString()), 0);

  EXPECT_EQ(PointsToPixels(8), 11);
  EXPECT_EQ(PointsToPixels(9), 12);
  EXPECT_EQ(PointsToPixels(10), 13);
  EXPECT_EQ(PointsToPixels(72), 96);
  EXPECT_EQ(PointsToPixels(-8), -11);
}

TEST(TextMeasurer, QtMetricsGrowWithTextAndSize)
{
  const TTextMeasurer& m = TQtTextMeasurer::Instance();
  QFont small(QStringLiteral("Arial"), 8);
  QFont large(QStringLiteral("Arial"), 16);
  const QString text = QStringLiteral("Customer");
  EXPECT_GT(m.TextWidth(small, text), m.TextWidth(small, QStringLiteral("C")));
  EXPECT_GT(m.TextWidth(large, text), m.TextWidth(small, text));
  EXPECT_GT(m.TextHeight(large, text), m.TextHeight(small, text));
  EXPECT_GT(m.TextHeight(small, text), 0);
}

// Widths are remembered per font: a text measured in one font and then in
// others (more than the measurer keeps) still gets each font's own width.
TEST(TextMeasurer, RememberedWidthsNeverCrossFonts)
{
  const TTextMeasurer& m = TQtTextMeasurer::Instance();
  const QString text = QStringLiteral("Customer (FK)");
  QList<QFont> fonts;
  for (int size : {8, 9, 10, 12, 14, 20})
    fonts << QFont(QStringLiteral("Arial"), size);
  QFont bold = fonts.first();
  bold.setBold(true);
  fonts << bold;
  for (int round = 0; round < 2; ++round)
    for (const QFont& font : fonts) {
      QFont pixels(font);
      pixels.setPixelSize(PointsToPixels(font.pointSize()));
      EXPECT_EQ(m.TextWidth(font, text), QFontMetrics(pixels).horizontalAdvance(text)) << font.toString().toStdString();
      EXPECT_EQ(m.TextHeight(font, text), QFontMetrics(pixels).height());
    }
}

// Once a font has measured many texts it sums its characters' advances for
// ASCII text: every width is still exactly what shaping gives, kerned pairs
// and all, and other text is shaped as before.
TEST(TextMeasurer, WidthsSummedFromCharacterPairsAreExactlyWhatShapingGives)
{
  const TTextMeasurer& m = TQtTextMeasurer::Instance();
  for (const int size : {7, 13}) {
    const QFont font(QStringLiteral("Arial"), size);
    QFont pixels(font);
    pixels.setPixelSize(PointsToPixels(font.pointSize()));
    const QFontMetrics metrics(pixels);
    quint32 seed = 7u + quint32(size);
    const auto next = [&seed](int n) {
      seed = seed * 1103515245u + 12345u;
      return int((seed >> 16) % quint32(n));
    };
    const QString kerned = QStringLiteral("AVATAR To Ty Wo yA LT 11 ff fi fl ffi Pa. ");
    for (int i = 0; i < 6000; ++i) {
      QString text;
      for (int length = 1 + next(28); length > 0; --length)
        text += next(3) == 0 ? kerned[next(int(kerned.size()))] : QChar(char16_t(0x20 + next(0x5F)));
      if (i % 500 == 0)
        text += QStringLiteral(" Gr\u00f6\u00dfe \u65e5\u672c");
      ASSERT_EQ(m.TextWidth(font, text), metrics.horizontalAdvance(text)) << size << " '" << text.toStdString() << "'";
    }
  }
}

// Thousands of texts make the table of widths grow several times; read
// back, alone or many at once, each text has its own width, as Qt measures
// it, whether it is summed (plain ASCII) or looked up (other characters).
TEST(TextMeasurer, ManyTextsKeepTheirOwnWidthsAsTheTableGrows)
{
  const TTextMeasurer& m = TQtTextMeasurer::Instance();
  const QFont font(QStringLiteral("Arial"), 11);
  QFont pixels(font);
  pixels.setPixelSize(PointsToPixels(font.pointSize()));
  const QFontMetrics metrics(pixels);
  QStringList texts;
  for (int i = 0; i < 6000; ++i)
    texts << QStringLiteral("W").repeated(i % 37) + QString::number(i) + QStringLiteral("i").repeated(i % 11) +
                 (i % 3 == 0 ? QStringLiteral("\u00e9") : QString());
  for (int round = 0; round < 2; ++round)
    for (const QString& text : texts)
      ASSERT_EQ(m.TextWidth(font, text), metrics.horizontalAdvance(text)) << round << " " << text.toStdString();

  // In batches of every size up to 100 (texts new to the table among them).
  texts << QStringLiteral("never measured before") << QStringLiteral("nor this");
  std::vector<int> widths(texts.size());
  for (qsizetype at = 0, batch = 0; at < texts.size(); at += batch) {
    batch = std::min<qsizetype>(1 + at % 100, texts.size() - at);
    m.TextWidths(font, std::span<const QString>(texts.constData() + at, static_cast<size_t>(batch)), widths.data() + at);
  }
  for (qsizetype i = 0; i < texts.size(); ++i)
    ASSERT_EQ(widths[static_cast<size_t>(i)], metrics.horizontalAdvance(texts[i])) << texts[i].toStdString();
}

// A build that links the replacement heap must really allocate from it,
// also after tuning: a linker that drops the library, or puts it after the C
// library, would leave every program on the slower heap without a word.
TEST(Allocator, BuildsThatLinkTheReplacementHeapAllocateFromIt)
{
  TuneAllocator();
  EXPECT_EQ(AllocatorIsReplaced(), AllocatorReplacementBuilt());
}

TEST(MessageService, TypeWords)
{
  EXPECT_EQ(MessageTypeWord(TMsgDlgType::mtError), QStringLiteral("error"));
  EXPECT_EQ(MessageTypeWord(TMsgDlgType::mtInformation), QStringLiteral("information"));
  EXPECT_EQ(MessageTypeWord(TMsgDlgType::mtConfirmation), QStringLiteral("confirmation"));
  EXPECT_EQ(MessageTypeWord(TMsgDlgType::mtWarning), QStringLiteral("warning"));
}

}  // namespace
}  // namespace veska
