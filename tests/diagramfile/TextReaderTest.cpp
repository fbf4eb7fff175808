#include "diagramfile/TextReader.h"
#include "platform/TextEncoding.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace veska {
namespace {

// Lines of every length around the widths the reader copies at a time, with
// other characters at the start, in the middle and at the end, and line
// feeds inside lines (only a carriage return ends one).
QStringList AwkwardLines()
{
  QStringList lines;
  const QStringList others = {QStringLiteral("\u00e9"), QStringLiteral("\u20ac"), QStringLiteral("\U0001F600"),
                              QStringLiteral("\uFEFF")};
  for (int length = 0; length < 40; ++length) {
    const QString ascii = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789 ,()").left(length);
    lines << ascii;
    for (const QString& other : others)
      lines << other + ascii << ascii + other << ascii.left(length / 2) + other + ascii.mid(length / 2);
    lines << QStringLiteral("\n") + ascii << ascii + QStringLiteral("\n\n");
  }
  return lines;
}

QByteArray Joined(const QStringList& lines, QByteArray (*encode)(const QString&))
{
  QByteArray bytes;
  for (const QString& line : lines)
    bytes += encode(line) + "\r\n";
  return bytes;
}

QByteArray Utf8(const QString& text)
{
  return text.toUtf8();
}

QByteArray Latin1(const QString& text)
{
  return text.toLatin1();
}

// Hands out a text a few bytes at a time, so that line ends, numbers and
// characters fall across the parts a reader holds.
class TSmallParts final : public TTextSource {
public:
  TSmallParts(QByteArrayView bytes, qsizetype part) : FBytes(bytes), FPart(part) {}
  qsizetype Read(char* into, qsizetype count) override
  {
    const qsizetype n = std::min({count, FPart, FBytes.size() - FAt});
    std::copy_n(FBytes.data() + FAt, n, into);
    FAt += n;
    return n;
  }

private:
  QByteArrayView FBytes;
  qsizetype FPart;
  qsizetype FAt = 0;
};

// Runs `check` on a reader of the whole text and on readers of it in parts
// of several sizes (told whether it is UTF-8 by checking the same parts).
template <typename TCheck>
void ForEachReader(QByteArrayView bytes, TCheck check)
{
  {
    SCOPED_TRACE("whole");
    TTextReader in(bytes);
    check(in);
  }
  for (const qsizetype part : {1, 2, 3, 5, 8}) {
    SCOPED_TRACE(testing::Message() << "parts of " << part);
    TUtf8Check utf8;
    for (qsizetype at = 0; at < bytes.size(); at += part)
      utf8.Add(bytes.sliced(at, std::min(part, bytes.size() - at)));
    TSmallParts source(bytes, part);
    TTextReader in(source, utf8.Valid(), '\r');
    check(in);
  }
}

void ExpectLines(QByteArrayView bytes, const QStringList& expected)
{
  ForEachReader(bytes, [&](TTextReader& in) {
    for (const QString& line : expected) {
      ASSERT_FALSE(in.AtEnd()) << line.toStdString();
      ASSERT_EQ(in.ReadLineView(), line);
    }
    EXPECT_TRUE(in.AtEnd());
    // Every line read is required: none is made up past the end.
    EXPECT_THROW(in.ReadLine(), TCorruptFile);
  });
}

TEST(TextReader, LinesOfEveryLengthAndMixReadAsTheWholeFileDecodes)
{
  const QStringList lines = AwkwardLines();
  ExpectLines(Joined(lines, Utf8), lines);

  // A single high byte makes the whole file Windows-1252, also the lines
  // that would be valid UTF-8 on their own.
  QStringList latin;
  for (const QString& line : lines)
    latin << QString::fromLatin1(line.toLatin1());
  latin << QStringLiteral("caf\u00e9 \u20ac");
  QByteArray single = Joined(latin.mid(0, latin.size() - 1), Latin1) + "caf\xe9 \x80\r\n";
  ExpectLines(single, latin);
  single.prepend("\xc3\xa9\r\n");
  latin.prepend(QStringLiteral("\u00c3\u00a9"));
  ExpectLines(single, latin);
}

TEST(TextReader, OnlyTheByteOrderMarkThatBeginsAUtf8FileIsSkipped)
{
  ExpectLines("\xEF\xBB\xBFV3.00\r\n\xEF\xBB\xBFname\r\n",
              {QStringLiteral("V3.00"), QStringLiteral("\uFEFFname")});
  // In a single-byte file its bytes are three characters.
  ExpectLines("\xEF\xBB\xBFV3\xFF\r\n", {QStringLiteral("\u00ef\u00bb\u00bfV3\u00ff")});
}

TEST(TextReader, NumbersSkipBlanksAndLineEndsAndNameWhatIsNoNumber)
{
  ForEachReader("  12\r\n\r\n -7 +3 rest of the line\r\nnext\r\n1234567\r\n-0.25\r\nlast\r\n 2147483648\r\n",
                [](TTextReader& in) {
                  int values[3] = {};
                  in.ReadNumbers(values, 3);
                  EXPECT_EQ(values[0], 12);
                  EXPECT_EQ(values[1], -7);
                  EXPECT_EQ(values[2], 3);
                  EXPECT_EQ(in.ReadLine(), QStringLiteral("next"));
                  EXPECT_EQ(in.ReadNumber(), 1234567);
                  EXPECT_EQ(in.ReadReal(), -0.25);
                  EXPECT_EQ(in.ReadLine(), QStringLiteral("last"));
                  EXPECT_THROW(in.ReadNumber(), TCorruptFile);
                  EXPECT_THROW(in.ReadNumber(), TCorruptFile);  // past the end
                });
  ForEachReader("\x01 5\r\n", [](TTextReader& in) { EXPECT_THROW(in.ReadNumber(), TCorruptFile); });
  // A number that ends the text, without a line end.
  ForEachReader("100 1", [](TTextReader& in) {
    int size[2] = {};
    in.ReadNumbers(size, 2);
    EXPECT_EQ(size[0], 100);
    EXPECT_EQ(size[1], 1);
    EXPECT_TRUE(in.AtEnd());
  });

  ForEachReader("12x\xe9\r\n", [](TTextReader& in) {
    try {
      in.ReadNumber();
      FAIL() << "a token with letters read as a number";
    } catch (const TCorruptFile& e) {
      EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("not a number: 12x\u00e9"));
    }
  });
}

TEST(TextReader, LinesEndAtLineFeedsWhenAskedTo)
{
  TTextReader in("one\ntwo\r\n\n 3\n", '\n');
  EXPECT_EQ(in.ReadLine(), QStringLiteral("one"));
  EXPECT_EQ(in.ReadLine(), QStringLiteral("two\r"));
  EXPECT_EQ(in.ReadNumber(), 3);
  EXPECT_TRUE(in.AtEnd());
}

}  // namespace
}  // namespace veska
