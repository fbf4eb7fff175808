#include "formresource/FormResource.h"

#include <QElapsedTimer>
#include <QStringList>

#include <gtest/gtest.h>

namespace veska {
namespace {

QString Lines(const QStringList& lines)
{
  return lines.join(QLatin1String("\r\n")) + QLatin1String("\r\n");
}

// The stream of a one-property form "object F: TF / X = value / end": the
// bytes of the value alone, between the property name and the closing 00 00.
QByteArray ValueBytes(const QString& value)
{
  const QByteArray resource = FormTextToResource(QStringLiteral("object F: TF\n  X = %1\nend\n").arg(value));
  const QByteArray head = QByteArray::fromHex("ff0a0054460030100000000054504630025446014601") + "X";
  EXPECT_EQ(resource.left(8), head.left(8));
  EXPECT_TRUE(resource.endsWith(QByteArray(2, '\0')));
  return resource.mid(head.size(), resource.size() - head.size() - 2);
}

QByteArray Hex(const char* hex)
{
  return QByteArray::fromHex(hex);
}

// Converts a form text and reports the error's line and message.
std::pair<int, QString> ErrorOf(const QString& text)
{
  try {
    FormTextToResource(text);
  } catch (const TFormTextError& e) {
    return {e.Line(), QString::fromStdString(e.what())};
  }
  return {-1, QString()};
}

// A form with every kind of value, as we write it.
const QStringList SampleForm = {
    QStringLiteral("object Form1: TForm1"),
    QStringLiteral("  Left = 10"),
    QStringLiteral("  Top = -200"),
    QStringLiteral("  Width = 70000"),
    QStringLiteral("  Caption = 'It''s a test'#13#10'x'"),
    QStringLiteral("  Font.Name = 'MS Sans Serif'"),
    QStringLiteral("  Tag = 549755813887"),
    QStringLiteral("  Scale = 1500.0"),
    QStringLiteral("  Visible = True"),
    QStringLiteral("  Enabled = False"),
    QStringLiteral("  Anchors = [akLeft, akTop]"),
    QStringLiteral("  Items.Strings = ("),
    QStringLiteral("    'a'"),
    QStringLiteral("    'b')"),
    QStringLiteral("  Color = clBtnFace"),
    QStringLiteral("  Ptr = nil"),
    QStringLiteral("  Data = {"),
    QStringLiteral("    0102030405}"),
    QStringLiteral("  Cols = <"),
    QStringLiteral("    item"),
    QStringLiteral("      Width = 3"),
    QStringLiteral("    end"),
    QStringLiteral("    item"),
    QStringLiteral("    end>"),
    QStringLiteral("  object Button1: TButton"),
    QStringLiteral("  end"),
    QStringLiteral("  object TPanel"),
    QStringLiteral("  end"),
    QStringLiteral("end"),
};

const char* SampleResourceHex =
    "ff0a0054464f524d310030100e010000545046300654466f726d3105466f726d"
    "31044c656674020a03546f700338ff0557696474680470110100074361707469"
    "6f6e060e49742773206120746573740d0a7809466f6e742e4e616d65060d4d53"
    "2053616e732053657269660354616713ffffffff7f000000055363616c650500"
    "000000000080bb09400756697369626c650907456e61626c65640807416e6368"
    "6f72730b06616b4c65667405616b546f70000d4974656d732e537472696e6773"
    "010601610601620005436f6c6f720709636c42746e46616365035074720d0444"
    "6174610a05000000010203040504436f6c730e01055769647468020300010000"
    "000754427574746f6e07427574746f6e310000065450616e656c00000000";

TEST(FormResourceTest, ASampleFormConvertsToItsExactBytesAndBack)
{
  const QByteArray resource = FormTextToResource(Lines(SampleForm));
  EXPECT_EQ(resource.toHex(), QByteArray(SampleResourceHex));
  EXPECT_EQ(FormResourceToText(resource), Lines(SampleForm));
  // A bare stream without the resource header reads the same.
  EXPECT_EQ(FormResourceToText(resource.mid(resource.indexOf("TPF0"))), Lines(SampleForm));
}

TEST(FormResourceTest, IntegersTakeTheSmallestTagThatHoldsThem)
{
  EXPECT_EQ(ValueBytes(QStringLiteral("0")), Hex("0200"));
  EXPECT_EQ(ValueBytes(QStringLiteral("127")), Hex("027f"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-128")), Hex("0280"));
  EXPECT_EQ(ValueBytes(QStringLiteral("128")), Hex("038000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-129")), Hex("037fff"));
  EXPECT_EQ(ValueBytes(QStringLiteral("32768")), Hex("0400800000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-2147483648")), Hex("0400000080"));
  EXPECT_EQ(ValueBytes(QStringLiteral("2147483648")), Hex("130000008000000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-9223372036854775808")), Hex("130000000000000080"));
  EXPECT_EQ(ValueBytes(QStringLiteral("$10")), Hex("0210"));
  EXPECT_EQ(ValueBytes(QStringLiteral("$FFFFFFFF")), Hex("13ffffffff00000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-$10")), Hex("02f0"));
}

TEST(FormResourceTest, FloatsAreExtendedUnlessASuffixNamesSingleCurrencyOrDate)
{
  EXPECT_EQ(ValueBytes(QStringLiteral("1.5")), Hex("05" "00000000000000c0" "ff3f"));
  EXPECT_EQ(ValueBytes(QStringLiteral("1.5E3")), Hex("05000000000000" "80bb0940"));
  EXPECT_EQ(ValueBytes(QStringLiteral("0.1")), Hex("05" "cdcccccccccccccc" "fb3f"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-1.5e-10")), Hex("054f60720e1b3feda4debf"));
  EXPECT_EQ(ValueBytes(QStringLiteral("0.0")), Hex("0500000000000000000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("1.5s")), Hex("0f0000c03f"));
  EXPECT_EQ(ValueBytes(QStringLiteral("2.5c")), Hex("10a861000000000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-2.5c")), Hex("10589effffffffffff"));
  EXPECT_EQ(ValueBytes(QStringLiteral("3.25d")), Hex("11000000000000" "0a40"));

  const QString text = Lines({QStringLiteral("object F: TF"), QStringLiteral("  A = 1.5s"), QStringLiteral("  B = -2.5c"),
                              QStringLiteral("  C = 3.25d"), QStringLiteral("  D = 1E+300"), QStringLiteral("  E = -0.1"),
                              QStringLiteral("end")});
  EXPECT_EQ(FormResourceToText(FormTextToResource(text)), text);
}

TEST(FormResourceTest, LargeCurrenciesConvertExactlyInsteadOfBeingRoundedOrRefused)
{
  // The largest and smallest currencies, and ones past 9.2e14 that a long
  // double cannot scale exactly.
  EXPECT_EQ(ValueBytes(QStringLiteral("922337203685477.5807c")), Hex("10ffffffffffffff7f"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-922337203685477.5808c")), Hex("100000000000000080"));
  EXPECT_EQ(ValueBytes(QStringLiteral("922337203685477.5805c")), Hex("10fdffffffffffff7f"));
  EXPECT_EQ(ValueBytes(QStringLiteral("9.223372036854775807E14c")), Hex("10ffffffffffffff7f"));
  // Decimals past the fourth round half away from zero.
  EXPECT_EQ(ValueBytes(QStringLiteral("0.00005c")), Hex("100100000000000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("-0.00015c")), Hex("10feffffffffffffff"));
  EXPECT_EQ(ValueBytes(QStringLiteral("0.00004999c")), Hex("100000000000000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("0E99999999999c")), Hex("100000000000000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("1E-99999999999c")), Hex("100000000000000000"));
  for (const char* outOfRange : {"922337203685477.5808c", "-922337203685477.5809c", "1E15c", "1E99999999999c"})
    EXPECT_EQ(ErrorOf(QStringLiteral("object F: TF\n  X = %1\nend\n").arg(QLatin1String(outOfRange))).first, 2)
      << outOfRange;

  const QString text = Lines({QStringLiteral("object F: TF"), QStringLiteral("  A = 922337203685477.5807c"),
                              QStringLiteral("  B = -922337203685477.5808c"), QStringLiteral("end")});
  EXPECT_EQ(FormResourceToText(FormTextToResource(text)), text);
}

TEST(FormResourceTest, SubnormalExtendedNumbersReadBackInsteadOfBeingRefusedAsInvalid)
{
  // The smallest extended numbers as their bytes (mantissa, then exponent 0).
  for (const char* value : {"01000000000000000000", "00000000000000400080", "ffffffffffffff7f0000"}) {
    const QByteArray resource = FormTextToResource(QStringLiteral("object F: TF\n  X = 1.0\nend\n"));
    const qsizetype at = resource.indexOf(Hex("050000000000000080ff3f"));
    ASSERT_GT(at, 0);
    const QByteArray subnormal = resource.left(at + 1) + Hex(value) + resource.mid(at + 11);
    const QString text = FormResourceToText(subnormal);
    EXPECT_EQ(FormTextToResource(text), subnormal) << qPrintable(text);
  }
}

TEST(FormResourceTest, ClassNamesOf240BytesAreRefusedInsteadOfWritingAResourceThatReadsAsFlags)
{
  // A short string's length byte of 0xF0 or more opens an object's flags.
  const auto form = [](const QString& className) {
    return Lines({QStringLiteral("object F: TF"), QStringLiteral("  object B: ") + className, QStringLiteral("  end"),
                  QStringLiteral("end")});
  };
  const QString longest = QLatin1Char('T') + QString(238, QLatin1Char('x'));
  EXPECT_EQ(FormResourceToText(FormTextToResource(form(longest))), form(longest));
  EXPECT_EQ(ErrorOf(form(longest + QLatin1Char('x'))).first, 2);
  // Counted in bytes: 120 letters of two bytes each.
  EXPECT_EQ(ErrorOf(form(QString(120, QChar(0xFF)))).first, 2);
}

TEST(FormResourceTest, StringsAreShortLongOrWideByLengthAndContent)
{
  EXPECT_EQ(ValueBytes(QStringLiteral("''")), Hex("0600"));
  EXPECT_EQ(ValueBytes(QStringLiteral("'It''s'#13#$0A'x'")), Hex("0607") + "It's\r\nx");
  // "+" joins pieces across lines; blanks after the string are not part of it.
  EXPECT_EQ(ValueBytes(QStringLiteral("'one' +\n    'two'#65  ")), Hex("0607") + "onetwoA");
  EXPECT_EQ(ValueBytes(QStringLiteral("'%1'").arg(QString(255, QLatin1Char('x')))), Hex("06ff") + QByteArray(255, 'x'));
  EXPECT_EQ(ValueBytes(QStringLiteral("'%1'").arg(QString(256, QLatin1Char('x')))),
            Hex("0c00010000") + QByteArray(256, 'x'));
  // Text outside ASCII, typed or as codes, is UTF-16; codes above U+FFFF
  // become a surrogate pair.
  EXPECT_EQ(ValueBytes(QStringLiteral("'Z\u00fcrich'")), Hex("12 06000000 5a00 fc00 7200 6900 6300 6800"));
  EXPECT_EQ(ValueBytes(QStringLiteral("'caf'#233")), Hex("12 04000000 6300 6100 6600 e900"));
  EXPECT_EQ(ValueBytes(QStringLiteral("#128512")), Hex("12020000003dd800de"));
}

TEST(FormResourceTest, NamesSetsListsCollectionsAndBinaryData)
{
  EXPECT_EQ(ValueBytes(QStringLiteral("clBtnFace")), Hex("0709") + "clBtnFace");
  EXPECT_EQ(ValueBytes(QStringLiteral("Form1.Button1")), Hex("070d") + "Form1.Button1");
  EXPECT_EQ(ValueBytes(QStringLiteral("true")), Hex("09"));
  EXPECT_EQ(ValueBytes(QStringLiteral("FALSE")), Hex("08"));
  EXPECT_EQ(ValueBytes(QStringLiteral("nil")), Hex("0d"));
  EXPECT_EQ(ValueBytes(QStringLiteral("[]")), Hex("0b00"));
  EXPECT_EQ(ValueBytes(QStringLiteral("[ a ,b ]")), Hex("0b01610162 00"));
  EXPECT_EQ(ValueBytes(QStringLiteral("()")), Hex("0100"));
  EXPECT_EQ(ValueBytes(QStringLiteral("((1 2) 'x')")), Hex("0101020102020006017800"));
  EXPECT_EQ(ValueBytes(QStringLiteral("<>")), Hex("0e00"));
  EXPECT_EQ(ValueBytes(QStringLiteral("<item [3] A = 1 end item end>")), Hex("0e 0203 01 0141 0201 00 01 00 00"));
  EXPECT_EQ(ValueBytes(QStringLiteral("{}")), Hex("0a00000000"));
  EXPECT_EQ(ValueBytes(QStringLiteral("{\n  0a0B\n  0C }")), Hex("0a030000000a0b0c"));
}

TEST(FormResourceTest, ObjectsCarryTheirFlagsPositionAndOptionalName)
{
  const QString text = Lines({
      QStringLiteral("inherited Form2: TForm2"),
      QStringLiteral("  inline Frame1: TFrame1 [2]"),
      QStringLiteral("  end"),
      QStringLiteral("  inherited Btn: TButton"),
      QStringLiteral("  end"),
      QStringLiteral("  object TPanel [300]"),
      QStringLiteral("    Object = 1"),
      QStringLiteral("  end"),
      QStringLiteral("end"),
  });
  const QByteArray resource = FormTextToResource(text);
  EXPECT_EQ(resource.left(12), Hex("ff0a00 54464f524d32 00 3010"));
  EXPECT_EQ(resource.mid(16), QByteArray("TPF0") + Hex("f1") + "\x06TForm2\x05" "Form2" + Hex("00") +  //
                                  Hex("f60202") + "\x07TFrame1\x06" "Frame1" + Hex("0000") +              //
                                  Hex("f1") + "\x07TButton\x03" "Btn" + Hex("0000") +                       //
                                  Hex("f2032c01") + "\x06TPanel" + Hex("00") + "\x06Object" + Hex("020100") + Hex("00") +
                                  Hex("00"));
  EXPECT_EQ(FormResourceToText(resource), text);
}

TEST(FormResourceTest, LongStringsAndBinaryDataAreWrittenInLines)
{
  const QString a64(64, QLatin1Char('a'));
  const QString text = Lines({
      QStringLiteral("object F: TF"),
      QStringLiteral("  S ="),
      QStringLiteral("    '%1' +").arg(a64),
      QStringLiteral("    '%1'#13#10'b' +").arg(QString(61, QLatin1Char('a'))),
      QStringLiteral("    'cc'"),
      QStringLiteral("  L = ("),
      QStringLiteral("    '%1' +").arg(a64),
      QStringLiteral("    'z'"),
      QStringLiteral("    'short')"),
      QStringLiteral("  D = {"),
      QStringLiteral("    %1").arg(QString(64, QLatin1Char('A'))),
      QStringLiteral("    0102}"),
      QStringLiteral("end"),
  });
  EXPECT_EQ(FormResourceToText(FormTextToResource(text)), text);
}

TEST(FormResourceTest, ErrorsNameTheLineWhereTheTextGoesWrong)
{
  struct TCase {
    const char* Text;
    int Line;
    const char* Message;
  };
  const TCase cases[] = {
      {"", 1, "The form text is empty"},
      {"Form1: TForm1\nend\n", 1, "\"object\" expected"},
      {"object F: TF\n  X =\n", 2, "Unexpected end of the form text"},
      {"object F: TF\n  X = 1\n", 2, "\"end\" expected"},
      {"object F: TF\n  X = 'abc\n  Y = 2\nend\n", 2, "Unterminated string"},
      {"object F: TF\n  X = 1\n  Y = 'ab' +\nend\n", 4, "A string expected after \"+\""},
      {"object F: TF\n\n  X = 12x\nend\n", 3, "Invalid number \"12x\""},
      {"object F: TF\n  X = 1e\nend\n", 2, "Invalid number \"1e\""},
      {"object F: TF\n  X = $\nend\n", 2, "Invalid number \"$\""},
      {"object F: TF\n  X = 99999999999999999999\nend\n", 2, "Invalid number \"99999999999999999999\""},
      {"object F: TF\n  X = 1e40s\nend\n", 2, "Invalid number \"1e40s\""},
      {"object F: TF\n  X = 1e15c\nend\n", 2, "Invalid number \"1e15c\""},
      {"object F: TF\n  X = 1e5000\nend\n", 2, "Invalid number \"1e5000\""},
      {"object F: TF\n  X = #\nend\n", 2, "Invalid character code"},
      {"object F: TF\n  X = #1114112\nend\n", 2, "Invalid character code"},
      {"object F: TF\nend\nobject G: TG\nend\n", 3, "Text after the last \"end\""},
      {"object F: TF\n  object G: TG\n  end\n  X = 1\nend\n", 4, "The property \"X\" follows a child object"},
      {"object F: TF\n  X 1\nend\n", 2, "\"=\" expected"},
      {"object F: TF\n  X = <\n    thing\n  end>\nend\n", 3, "\"item\" expected"},
      {"object F: TF\n  X = {\n 0A0\n }\nend\n", 2, "Invalid binary data"},
      {"object F: TF\n  X = [a b]\nend\n", 2, "\",\" expected"},
      {"object F: TF\n  X = ?\nend\n", 2, "Unexpected character \"?\""},
  };
  for (const TCase& c : cases) {
    const auto [line, message] = ErrorOf(QString::fromUtf8(c.Text));
    EXPECT_EQ(line, c.Line) << c.Text;
    EXPECT_EQ(message, QString::fromUtf8(c.Message)) << c.Text;
  }
  // A name that does not fit its length byte.
  EXPECT_EQ(ErrorOf(QStringLiteral("object F: TF\n  %1 = 1\nend\n").arg(QString(256, QLatin1Char('n')))).first, 2);
}

TEST(FormResourceTest, DeepNestingIsRefusedInsteadOfExhaustingTheStack)
{
  const QString text = QStringLiteral("object F: TF\n  X = %1\nend\n").arg(QString(100000, QLatin1Char('(')));
  EXPECT_EQ(ErrorOf(text), std::make_pair(2, QStringLiteral("The form is nested too deeply")));

  QByteArray stream = "TPF0\x02TF\x01" "F\x01X";
  stream += QByteArray(100000, '\x01');
  EXPECT_THROW(FormResourceToText(stream), TFormTextError);
}

TEST(FormResourceTest, EveryTruncationOfARealResourceIsReportedAndNeverReadPastTheEnd)
{
  const QByteArray resource = QByteArray::fromHex(SampleResourceHex);
  const qsizetype stream = resource.indexOf("TPF0");
  for (qsizetype length = 0; length < resource.size(); ++length) {
    // A copy of exactly that length, so that a sanitizer sees any read past it.
    const QByteArray cut(resource.constData(), length);
    EXPECT_THROW(FormResourceToText(cut), TFormTextError) << length;
    if (length > stream) {
      const QByteArray bare(resource.constData() + stream, length - stream);
      EXPECT_THROW(FormResourceToText(bare), TFormTextError) << length;
    }
  }
}

TEST(FormResourceTest, EveryChangedByteOfARealResourceIsReadSafely)
{
  const QByteArray resource = QByteArray::fromHex(SampleResourceHex);
  for (qsizetype at = 0; at < resource.size(); ++at) {
    for (const char value : {'\x00', '\x01', '\x0c', '\x12', '\x7f', '\xff'}) {
      QByteArray changed = resource;
      changed[at] = value;
      try {
        FormResourceToText(changed);  // a change that still reads as a form is fine
      } catch (const TFormTextError&) {
      }
    }
  }
}

TEST(FormResourceTest, DamagedResourcesAreReportedAsErrors)
{
  const QByteArray resource = QByteArray::fromHex(SampleResourceHex);
  const auto messageOf = [](const QByteArray& bytes) {
    try {
      FormResourceToText(bytes);
    } catch (const TFormTextError& e) {
      EXPECT_EQ(e.Line(), 0);
      return QString::fromStdString(e.what());
    }
    return QString();
  };
  EXPECT_EQ(messageOf("object F: TF"), QStringLiteral("Not a form resource"));
  QByteArray wrongStream = resource;
  wrongStream.replace("TPF0", "TPF1");
  EXPECT_EQ(messageOf(wrongStream), QStringLiteral("Not a form resource"));

  QByteArray oversized = resource;
  oversized[15] = char(0x7F);  // the size field
  EXPECT_EQ(messageOf(oversized), QStringLiteral("The form resource is damaged: its size points past its end"));

  QByteArray unknownTag = resource;
  unknownTag[resource.indexOf("Left") + 4] = char(0x40);
  EXPECT_EQ(messageOf(unknownTag), QStringLiteral("The form resource is damaged: unknown value type 64"));

  // Lengths inside the stream that point past its end.
  EXPECT_EQ(messageOf(QByteArray("TPF0\x02TF\x01" "F\x01X\x0a\xff\xff\xff\xff", 16)),
            QStringLiteral("The form resource is damaged: it ends too early"));
  EXPECT_EQ(messageOf(QByteArray("TPF0\x02TF\x01" "F\x01X\x12\xff\xff\xff\x7f" "ab", 18)),
            QStringLiteral("The form resource is damaged: it ends too early"));
  EXPECT_EQ(messageOf(QByteArray("TPF0\xff\x02TF", 8)), QStringLiteral("The form resource is damaged: it ends too early"));
}

TEST(FormResourceTest, NamesThatAreNoWordsAreDamageNotPrinted)
{
  const QString damaged = QStringLiteral("The form resource is damaged: a name is not a word");
  const QByteArray resource = QByteArray::fromHex(SampleResourceHex);
  const qsizetype left = resource.indexOf("Left");
  ASSERT_GT(left, 0);
  // A control byte, a backslash, a NUL and a blank in a property name, and
  // a class name of one NUL: each would print as something else.
  for (const QByteArray& bad : {QByteArray("L\x01ft"), QByteArray("L\\ft"), QByteArray("L\0ft", 4), QByteArray("L ft")}) {
    QByteArray changed = resource;
    changed.replace(left, 4, bad);
    EXPECT_THROW(FormResourceToText(changed), TFormTextError) << bad.toHex().constData();
  }
  try {
    FormResourceToText(QByteArray("TPF0\x01\x00\x00\x00\x00", 9));
    ADD_FAILURE() << "no error";
  } catch (const TFormTextError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()), damaged);
  }
  // Dotted property names and words of other scripts are names.
  const QString text = QStringLiteral("object Form1: TForm1\r\n  Font.Name = 'Arial'\r\n  Überschrift = 1\r\nend\r\n");
  EXPECT_EQ(FormResourceToText(FormTextToResource(text)), text);
}

TEST(FormResourceTest, AFormOfThousandsOfControlsConvertsQuickly)
{
  QStringList lines = {QStringLiteral("object Form1: TForm1")};
  for (int i = 0; i < 5000; ++i) {
    lines << QStringLiteral("  object Edit%1: TEdit").arg(i) << QStringLiteral("    Left = %1").arg(i * 3)
          << QStringLiteral("    Text = 'Field %1'").arg(i) << QStringLiteral("    Font.Style = [fsBold]")
          << QStringLiteral("    Items.Strings = (") << QStringLiteral("      'a'") << QStringLiteral("      'b')")
          << QStringLiteral("  end");
  }
  lines << QStringLiteral("end");
  const QString text = Lines(lines);
  QElapsedTimer timer;
  timer.start();
  const QByteArray resource = FormTextToResource(text);
  EXPECT_EQ(FormResourceToText(resource), text);
  EXPECT_LT(timer.elapsed(), 5000);  // tens of milliseconds in a release build; generous for sanitizers
}

}  // namespace
}  // namespace veska
