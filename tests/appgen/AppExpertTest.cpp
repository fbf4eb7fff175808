// The generated files, composed with the synthetic library, and a whole run
// into a directory.
#include "AppGenFixture.h"

#include "model/Entity.h"
#include "model/Relation.h"
#include "formresource/FormResource.h"
#include "support/RecordingProgress.h"

#include <QDir>

#include <limits>

namespace veska::test {
namespace {

QString N(int n)
{
  return QString::number(n);
}

// Forms numbered from 0 and the names of their units and forms.
QString Unit(int i) { return QStringLiteral("CUnit%1").arg(i); }
QString Form(int i) { return QStringLiteral("Form%1").arg(i); }

class AppGenFiles : public AppGenTest {
protected:
  // Four forms: the groups "&File", "&Edit", "&FILE" (the first group
  // again) and none.
  QStringList FourForms()
  {
    const char* groups[] = {"&File", "&Edit", "&FILE", ""};
    QStringList names;
    for (const char* g : groups) {
      TEntity* e = Place(20 + 100 * int(names.size()), 20, {QStringLiteral("Id")});
      e->MenuGroup = QString::fromLatin1(g);
      names << e->EntityName();
    }
    S.DiagramName = QStringLiteral("Sales Model");
    return names;
  }
};

TEST_F(AppGenFiles, ProjectFileHasOneUnitAndFormLinePerForm)
{
  TAppExpert x = Expert(FourForms());
  QStringList expected{T(1, {"Pilot"}), T(2, {"CMain", "CMain", "CMainForm"})};
  for (int i = 0; i < 4; ++i)
    expected << T(2, {Unit(i), Unit(i), Form(i)});
  expected << T(3) << T(4, {"CMainForm", "CMainForm"});
  for (int i = 0; i < 4; ++i)
    expected << T(4, {Form(i), Form(i)});
  expected << T(5);
  EXPECT_EQ(Lines(x.ProjectText()), expected);
}

TEST_F(AppGenFiles, MenuGroupsDifferingInCaseAreOneGroupSpeltAsTheFirst)
{
  TAppExpert x = Expert(FourForms());
  x.RebuildMenuGroups();
  EXPECT_EQ(x.MenuGroups, QStringList({"&File", "&Edit"}));
}

// Both styles: "Normal Frame" leaves out T21, T25, T35 and T42 and gives
// the main form the normal style and state.
TEST_F(AppGenFiles, MainUnitAndMainFormInBothStyles)
{
  const QStringList names = FourForms();
  for (const bool mdi : {true, false}) {
    SCOPED_TRACE(mdi ? "MDI Frame" : "Normal Frame");
    TAppExpert x = Expert(names, mdi);
    x.RebuildMenuGroups();

    QStringList unit{T(6, {"CMain", "CMainForm"}), T(17), "    SubMenuItem0: TMenuItem;",
                     "    SubMenuItem1: TMenuItem;"};
    for (int i = 0; i < 4; ++i)
      unit << T(19, {N(i)});
    unit << T(20);
    if (mdi)
      unit << T(21);
    unit << T(22);
    for (int i = 0; i < 4; ++i)
      unit << T(23, {N(i)});
    unit << T(24);
    if (mdi)
      unit << T(25);
    unit << T(28, {"CMainForm", "CMainForm"}) << T(29) << "uses IniFiles, Dialogs, KXUtils";
    for (int i = 0; i < 4; ++i)
      unit << "    ,CUnit" + N(i);
    unit << "    ;" << T(30, {"CMainForm", "Pilot.INI"});
    for (int i = 0; i < 4; ++i)
      unit << T(33, {"CMainForm", N(i), N(i)});
    unit << T(34, {"CMainForm"});
    if (mdi)
      unit << T(35, {"CMainForm", "CMainForm", "CMainForm"});
    unit << "end.";
    EXPECT_EQ(Lines(x.MainUnitText()), unit);

    QStringList form{T(37, {"CMainForm", "CMainForm", "381", "286", "Sales Model", mdi ? "fsMDIForm" : "fsNormal",
                            mdi ? "wsMaximized" : "wsNormal"}),
                     "  Menu = MainMenu", T(38),
                     // group 0 holds forms 0 and 2, and the fixed T41 entry
                     "  Object SubMenuItem0: TMenuItem", "    Caption = '&File'",
                     T(40, {"0", names[0], "0"}), "        end", T(40, {"2", names[2], "2"}), "        end",
                     T(41), "        end", "      end",
                     "  Object SubMenuItem1: TMenuItem", "    Caption = '&Edit'",
                     T(40, {"1", names[1], "1"}), "        end", "      end"};
    // form 3 has no group and no menu entry
    if (mdi)
      form << T(42) << "        end";
    form << "    end" << T(43) << "  end";
    EXPECT_EQ(Lines(x.MainFormText()), form);
  }
}

TEST_F(AppGenFiles, LayoutHorizontalNewLinesAndFixedPlaces)
{
  TEntity* e = Place(20, 20, {QStringLiteral("Id")},
                     {"Name", "Notes", "Pinned", "Fixed", "After"});
  e->FormStyle = fsHorizontal;
  e->SetAttributeDataType(true, 0, QStringLiteral("Integer"));
  for (int k : {0, 1})
    e->SetAttributeDataType(false, k, QStringLiteral("VarChar"));
  for (int k : {0, 1})
    e->SetAttributeWidth(false, k, QStringLiteral("30"));
  for (int k : {2, 3, 4})
    e->SetAttributeDataType(false, k, QStringLiteral("Integer"));
  e->Attributes[2]->SetControlLeft(100);  // left of x: a new line
  e->Attributes[3]->SetControlLeft(300);  // right of x: the same line ...
  e->Attributes[3]->SetControlTop(17);    // ... at its own top
  TAppExpert x = Expert({e->EntityName()});
  x.LayoutForm(0);
  EXPECT_EQ(x.LineSpacing, 6);
  EXPECT_EQ(x.FieldSpacing, 4);
  std::vector<std::array<int, 4>> placed;
  for (const TFormElement& el : x.Elements)
    placed.push_back({el.Left, el.Top, el.FieldWidth, el.LabelWidth});
  const std::vector<std::array<int, 4>> expected{
    {6, 6, 36, 12}, {46, 6, 180, 24}, {6, 48, 180, 30}, {100, 90, 36, 36}, {300, 17, 36, 30}, {6, 59, 36, 30}};
  EXPECT_EQ(placed, expected);
  EXPECT_EQ(x.FormClientWidth, 346);
  EXPECT_EQ(x.FormClientHeight, 105);
}

TEST_F(AppGenFiles, LayoutHorizontalFirstElementWiderThanTheLimitAndSpacingRanges)
{
  TEntity* e = Place(20, 20, {}, {"Wide", "Next"});
  e->FormStyle = fsHorizontal;
  e->LineSpacing = 10;
  e->FieldSpacing = 299;
  e->FormWidth = 1300;  // out of range: the limit is 351
  e->Attributes[0]->SetControlWidth(400);
  e->SetAttributeDataType(false, 1, QStringLiteral("Integer"));
  TAppExpert x = Expert({e->EntityName()});
  x.LayoutForm(0);
  ASSERT_EQ(x.Elements.size(), 2u);
  EXPECT_EQ(x.Elements[0].Left, 6);
  EXPECT_EQ(x.Elements[0].Top, 52);  // a new line at once: 42 + LineSpacing
  EXPECT_EQ(x.Elements[1].Left, 6);
  EXPECT_EQ(x.Elements[1].Top, 98);
  EXPECT_EQ(x.FormClientWidth, 416);
  EXPECT_EQ(x.FormClientHeight, 144);

  e->LineSpacing = 100;
  e->FieldSpacing = 300;
  x.LayoutForm(0);
  EXPECT_EQ(x.LineSpacing, 6);
  EXPECT_EQ(x.FieldSpacing, 4);
}

TEST_F(AppGenFiles, LayoutVerticalAlignsFieldsRightOfTheWidestLabel)
{
  TEntity* e = Place(20, 20, {QStringLiteral("Id")}, {"LongName", "Flag", "Moved"});
  e->FormStyle = fsVertical;
  e->SetAttributeDataType(true, 0, QStringLiteral("Integer"));
  e->SetAttributeDataType(false, 0, QStringLiteral("VarChar"));
  e->SetAttributeWidth(false, 0, QStringLiteral("10"));
  e->Attributes[1]->DisplayType = TDisplayType::CheckBox;
  e->SetAttributeDataType(false, 2, QStringLiteral("Integer"));
  e->Attributes[2]->SetControlLeft(200);
  e->Attributes[2]->SetControlTop(300);
  TAppExpert x = Expert({e->EntityName()});
  x.LayoutForm(0);
  std::vector<std::pair<int, int>> placed;
  for (const TFormElement& el : x.Elements)
    placed.emplace_back(el.Left, el.Top);
  EXPECT_EQ(placed, (std::vector<std::pair<int, int>>{{56, 6}, {56, 33}, {56, 60}, {200, 300}}));
  EXPECT_EQ(x.FormClientWidth, 246);
  EXPECT_EQ(x.FormClientHeight, 327);
}

// A parent with two key attributes and non-key attributes; the child shows
// the carried key as a lookup, a list box and two check boxes.
class AppGenLookups : public AppGenFiles {
protected:
  TEntity* Parent = nullptr;
  TEntity* Child = nullptr;

  void SetUp() override
  {
    AppGenFiles::SetUp();
    Parent = Place(20, 20, {"Code", "Year"}, {"Title", "Other"});
    Parent->SetAttributeDataType(true, 0, QStringLiteral("VarChar"));
    Parent->SetAttributeWidth(true, 0, QStringLiteral("10"));
    Parent->SetAttributeDataType(true, 1, QStringLiteral("Integer"));
    Parent->SetAttributeDataType(false, 0, QStringLiteral("VarChar"));
    Parent->SetAttributeWidth(false, 0, QStringLiteral("20"));
    Child = Place(300, 20, {QStringLiteral("Id")}, {"Status", "Active", "Half"});
    Child->Attributes[0]->DisplayType = TDisplayType::ListBox;
    Child->Attributes[0]->SetDescription(QStringList{"values:", "Begin Data", "Open", "Closed", "END DATA", "x"});
    Child->Attributes[1]->DisplayType = TDisplayType::CheckBox;
    Child->Attributes[1]->SetDescription(QStringList{"begin data", "Y", "N", "end data"});
    Child->Attributes[2]->DisplayType = TDisplayType::CheckBox;
    Child->Attributes[2]->SetDescription(QStringList{"begin data", "Y", "end data"});
    ASSERT_NE(Draw(dtRelationOneToManyForeign, Parent, Child), nullptr);
    Child->FormStyle = fsHorizontal;
  }

  // The element that shows the attribute named `name`.
  static int K(const TAppExpert& x, const QString& name)
  {
    for (size_t k = 0; k < x.Elements.size(); ++k)
      if (x.Elements[k].Attribute->Name == name)
        return int(k);
    ADD_FAILURE() << qPrintable(name);
    return 0;
  }
};

TEST_F(AppGenLookups, LookupOfATwoKeyParentListsThreeColumns)
{
  TAppExpert x = Expert({Child->EntityName()});
  x.LayoutForm(0);
  ASSERT_EQ(x.LookupList.size(), 1u);
  // 10 + 6 + 20 characters, 5 pixels each
  EXPECT_EQ(x.LookupList[0].Text, Parent->TableName() + ",Code,180,Code;Year;Title");
  EXPECT_EQ(x.LookupList[0].Attribute, Child->Attributes.Find(QStringLiteral("Code")));
}

TEST_F(AppGenLookups, UnitAndFormWithALookupButtonListBoxAndCheckBoxes)
{
  Child->EditFormCaption = QStringLiteral("Child's form");
  TAppExpert x = Expert({Child->EntityName()});
  x.LayoutForm(0);
  const int code = K(x, "Code");
  const int year = K(x, "Year");
  const QString table = Parent->TableName();

  QStringList unit{T(6, {"CUnit0", "Form0"}), T(7), T(9)};
  for (int k = 0; k < int(x.Elements.size()); ++k) {
    const TAttribute& a = *x.Elements[size_t(k)].Attribute;
    if (k == code)
      unit << T(10, {N(k)}) << T(11, {"Code"}) << T(13, {N(k)});
    else if (a.Name == "Status")
      unit << T(10, {N(k)}) << T(14, {N(k)});
    else if (a.DisplayType == TDisplayType::CheckBox)
      unit << T(16, {N(k)});
    else
      unit << T(10, {N(k)}) << T(11, {a.ColumnName()});
  }
  unit << T(26, {N(code)}) << T(27) << T(28, {"Form0", "Form0"}) << T(29) << "uses CMain, KXUtils, BrModal;" << ""
       << T(31, {"Form0"}) << T(32, {"Form0"})
       << T(36, {"Form0", N(code), table, "Lookup " + table, "Code", "Code;Year;Title", "EditCode", "Code",
                 "EditCode", "EditCode", "Code"})
       << "end.";
  EXPECT_EQ(Lines(x.UnitText(0)), unit);

  QStringList form{T(37, {"Form0", "Form0", "381", "286", "Child''s form", "fsMDIChild", "wsNormal"}),
                   "  OnActivate = FormActivate", T(50, {Child->TableName()}), "  end", T(44), "  end", T(45),
                   T(46, {N(x.FormClientWidth), N(x.FormClientHeight)})};
  for (int k = 0; k < int(x.Elements.size()); ++k) {
    const TFormElement& e = x.Elements[size_t(k)];
    const TAttribute& a = *e.Attribute;
    const QString col = a.ColumnName();
    const QStringList label{T(47, {N(k), N(e.Left), N(e.Top), N(e.LabelWidth), a.Name, col}), "end"};
    if (k == code) {
      form << label << T(48, {col, N(e.Left), N(e.Top + 15), N(e.FieldWidth), col, N(k)})
           << "  onDblClick = LUButton" + N(k) + "Click" << "end"
           << T(52, {N(k), N(e.Left + e.FieldWidth + 2), N(e.Top + 13), a.Name, N(k)});
    } else if (a.Name == "Status") {
      form << label << T(53, {N(k), N(e.Left), N(e.Top + 15), N(e.FieldWidth + 24), col, N(k)}) << "'Open'"
           << "'Closed'" << ")";
    } else if (a.Name == "Active" || a.Name == "Half") {
      const bool values = a.Name == "Active";
      form << T(55, {N(k), N(e.Left), N(e.Top + 21), N(e.LabelWidth + 24), a.Name, col, N(k), values ? "Y" : "",
                     values ? "N" : ""});
    } else {
      form << label << T(48, {col, N(e.Left), N(e.Top + 15), N(e.FieldWidth), col, N(k)});
    }
    form << "end";
  }
  form << "end" << "end" << "end";
  EXPECT_EQ(Lines(x.FormText(0)), form);
  EXPECT_NE(code, year);
}

TEST_F(AppGenLookups, LookupDisplayTypeGivesAComboInBothStyles)
{
  TAttribute* code = Child->Attributes.Find(QStringLiteral("Code"));
  code->DisplayType = TDisplayType::Lookup;
  for (const TFormStyleType style : {fsHorizontal, fsVertical}) {
    Child->FormStyle = style;
    TAppExpert x = Expert({Child->EntityName()}, false);
    x.LayoutForm(0);
    const int k = K(x, "Code");
    const TFormElement& e = x.Elements[size_t(k)];
    const int y = style == fsHorizontal ? e.Top + 15 : e.Top;
    const int w = e.FieldWidth + 16;
    const int drop = std::min(180, e.Left + w - 6);
    const QString combo = T(51, {N(k), N(e.Left), N(y), N(w), "Code", N(k), "Code;Year;Title", "Code", N(drop), N(k),
                                 N(k), N(k), N(k), Parent->TableName()});
    const QStringList form = Lines(x.FormText(0));
    EXPECT_TRUE(form.contains(combo)) << qPrintable(form.join("\n"));
    const QStringList unit = Lines(x.UnitText(0));
    EXPECT_TRUE(unit.contains(T(12, {N(k), N(k), N(k)})));
    EXPECT_FALSE(unit.join("").contains("<T26") || unit.join("").contains("<T36"));
    EXPECT_EQ(form[0], T(37, {"Form0", "Form0", "381", "286", Child->EditFormCaption, "fsNormal", "wsNormal"}));
  }
}

TEST_F(AppGenLookups, PlacementValuesAtTheIntLimitDoNotOverflow)
{
  TAttribute* code = Child->Attributes.Find(QStringLiteral("Code"));
  code->SetControlLeft(std::numeric_limits<int>::max());
  code->SetControlTop(std::numeric_limits<int>::max());
  code->SetControlWidth(std::numeric_limits<int>::max());
  const QString max = N(std::numeric_limits<int>::max());
  for (const TFormStyleType style : {fsHorizontal, fsVertical}) {
    Child->FormStyle = style;
    TAppExpert x = Expert({Child->EntityName()});
    x.LayoutForm(0);
    const int k = K(x, "Code");
    EXPECT_EQ(x.Elements[size_t(k)].Left, std::numeric_limits<int>::max());
    EXPECT_EQ(x.FormClientWidth, std::numeric_limits<int>::max());
    const QStringList form = Lines(x.FormText(0));
    const QString top = style == fsHorizontal ? "2147483662" : max;
    EXPECT_TRUE(form.contains(T(48, {"Code", max, top, max, "Code", N(k)}))) << qPrintable(form.join("\n"));
    EXPECT_TRUE(form.contains(T(52, {N(k), "4294967296", style == fsHorizontal ? "2147483660" : "2147483646", "Code",
                                     N(k)})));
  }
}

TEST_F(AppGenLookups, GridFormHasNoElementsAndNoLookupButtons)
{
  Child->FormStyle = fsGrid;
  Child->FormWidth = 300;
  Child->FormHeight = 800;
  TAppExpert x = Expert({Child->EntityName()});
  x.LayoutForm(0);
  EXPECT_EQ(Lines(x.UnitText(0)),
            QStringList({T(6, {"CUnit0", "Form0"}), T(7), T(8), T(27), T(28, {"Form0", "Form0"}), T(29),
                         "uses CMain, KXUtils, BrModal;", "", T(31, {"Form0"}), T(32, {"Form0"}), "end."}));
  EXPECT_EQ(Lines(x.FormText(0)),
            QStringList({T(37, {"Form0", "Form0", "381", "286", Child->EditFormCaption, "fsMDIChild", "wsNormal"}),
                         "  OnActivate = FormActivate", T(50, {Child->TableName()}), "  end", T(44), "  end", T(45),
                         T(49), "  end", "end", "end"}));
}

// ------------------------------------------------------------------ runs

QByteArray AsText(const QString& text)
{
  return text.toUtf8();
}

TEST_F(AppGenFiles, RunWritesEveryFileAndReportsProgress)
{
  const QStringList names = FourForms();
  S.Entities.Find(names[1])->EditFormCaption.clear();
  TAppExpert x = Expert(names);
  TAppProgress progress = Recorder();
  test::TRecordingProgress bar;
  progress.Bar = &bar;
  x.Run(progress, AsText);
  // one step per file written
  EXPECT_EQ(bar.Total, 11);
  EXPECT_EQ(bar.Steps.size(), 11);
  EXPECT_TRUE(bar.StepsAdvanceWithinTotal());
  EXPECT_EQ(bar.Ends, 1);

  // the model keeps the caption given for the form
  EXPECT_EQ(S.Entities.Find(names[1])->EditFormCaption, "Maintain " + names[1]);
  QStringList expected{"<clear>", "Generating Project File", "Generating Main Source File", "Generating Main Form File"};
  for (const QString& n : names)
    expected << "<clear>" << "Generating Source for " + n << "Generating Form for " + n;
  EXPECT_EQ(Progress, expected);

  QStringList files = QDir(Dir.path()).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files, QStringList({"CMain.DFM", "CMain.PAS", "CUnit0.DFM", "CUnit0.PAS", "CUnit1.DFM", "CUnit1.PAS",
                                "CUnit2.DFM", "CUnit2.PAS", "CUnit3.DFM", "CUnit3.PAS", "Pilot.DPR"}));
  EXPECT_EQ(ReadBytes(Path("Pilot.DPR")), x.ProjectText().toUtf8());
  EXPECT_EQ(ReadBytes(Path("CMain.PAS")), x.MainUnitText().toUtf8());
  EXPECT_TRUE(ReadBytes(Path("CUnit1.DFM")).startsWith(T(37, {"Form1", "Form1", "381", "286", "Maintain " + names[1],
                                                              "fsMDIChild", "wsNormal"}).toUtf8()));
}

TEST_F(AppGenFiles, DestinationThatCannotBeWrittenEndsTheRunAndEarlierFilesStay)
{
  const QStringList names = FourForms();
  ASSERT_TRUE(QDir(Dir.path()).mkdir("CUnit0.PAS"));  // not a file: cannot be replaced
  TAppExpert x = Expert(names);
  TAppProgress progress = Recorder();
  test::TRecordingProgress bar;
  progress.Bar = &bar;
  try {
    x.Run(progress, AsText);
    FAIL() << "no error";
  } catch (const TAppGenError& e) {
    EXPECT_TRUE(QString::fromStdString(e.what()).startsWith("Cannot write " + Path("CUnit0.PAS") + ": "))
        << e.what();
  }
  EXPECT_EQ(ReadBytes(Path("Pilot.DPR")), x.ProjectText().toUtf8());
  EXPECT_EQ(ReadBytes(Path("CMain.DFM")), x.MainFormText().toUtf8());
  EXPECT_FALSE(QFile::exists(Path("CUnit0.DFM")));
  EXPECT_EQ(Progress.last(), "Generating Source for " + names[0]);
  EXPECT_EQ(bar.Steps.size(), 3);
  EXPECT_EQ(bar.Ends, 1);
}

TEST_F(AppGenFiles, FormThatCannotBeConvertedNamesTheFileAndLine)
{
  TAppExpert x = Expert(FourForms());
  try {
    x.Run({}, [](const QString&) -> QByteArray { throw TFormTextError(7, QStringLiteral("Bad value")); });
    FAIL() << "no error";
  } catch (const TAppGenError& e) {
    EXPECT_EQ(QString::fromStdString(e.what()),
              "Cannot convert the form " + Path("CMain.DFM") + " (line 7 of its form text): Bad value");
  }
  EXPECT_TRUE(QFile::exists(Path("CMain.PAS")));
  EXPECT_FALSE(QFile::exists(Path("CMain.DFM")));
}

TEST_F(AppGenFiles, BadApplicationNameOrUnknownFormIsRefusedBeforeAnythingIsWritten)
{
  const QStringList names = FourForms();
  for (const char* name : {"", "a/b", "NineChars", "..", "."}) {
    TAppBuildSettings s = Settings(names);
    s.AppName = QString::fromLatin1(name);
    EXPECT_THROW(TAppExpert(S, s, ParseTemplateLibrary(SyntheticLibrary(), "lib")), TAppGenError) << name;
  }
  EXPECT_THROW(Expert({names[0], "NoSuchEntity"}), TAppGenError);
  EXPECT_TRUE(QDir(Dir.path()).isEmpty());
  TAppBuildSettings s = Settings(names);
  s.AppName = QStringLiteral("Eight888");
  EXPECT_NO_THROW(TAppExpert(S, s, ParseTemplateLibrary(SyntheticLibrary(), "lib")));
}

TEST_F(AppGenFiles, NamesThatGiveAProjectThatCannotCompileAreRefused)
{
  const QStringList names = FourForms();
  const QStringList library = ParseTemplateLibrary(SyntheticLibrary(), "lib");
  // No identifier, a reserved word, or the name of a unit of the project.
  for (const char* name : {"my app", "1st", "Pilot-2", "CMain", "cmain", "CUnit0", "CUNIT12", "Forms", "begin"}) {
    TAppBuildSettings s = Settings(names);
    s.AppName = QString::fromLatin1(name);
    EXPECT_FALSE(AppNameRefusal(s.AppName).isEmpty()) << name;
    EXPECT_THROW(TAppExpert(S, s, library), TAppGenError) << name;
  }
  EXPECT_TRUE(AppNameRefusal(QStringLiteral("Pilot\u00e4")).contains(QStringLiteral("not an identifier")));
  EXPECT_TRUE(AppNameRefusal(QStringLiteral("CUnit3")).contains(QStringLiteral("CUnit3")));
  for (const char* name : {"Pilot", "_App", "Shop2", "CUnit", "CUnit01", "CMain2", "Eight888"})
    EXPECT_EQ(AppNameRefusal(QString::fromLatin1(name)), QString()) << name;
  EXPECT_TRUE(QDir(Dir.path()).isEmpty());

  // A list of forms names each entity once and at least one.
  EXPECT_FALSE(FormListRefusal({}).isEmpty());
  EXPECT_FALSE(FormListRefusal({QStringLiteral("Order"), QString()}).isEmpty());
  EXPECT_TRUE(FormListRefusal({QStringLiteral("Order"), QStringLiteral("order")}).contains(QStringLiteral("order")));
  EXPECT_EQ(FormListRefusal({QStringLiteral("Order"), QStringLiteral("Line")}), QString());
}

TEST_F(AppGenFiles, OutputNeverOverwritesTheInputDiagram)
{
  const QStringList names = FourForms();
  const QByteArray diagram("diagram text\r\n");
  // The diagram itself under a generated name, and another one that a link
  // of a generated name points at.
  const QString inside = Path("Pilot.DPR");
  QTemporaryDir elsewhere;
  const QString outside = elsewhere.filePath("in.erd");
  for (const QString& file : {inside, outside}) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(diagram);
  }
  ASSERT_TRUE(QFile::link(outside, Path("CUnit2.DFM")));
  for (const QString& kept : {inside, outside, elsewhere.path() + "/../" + QDir(elsewhere.path()).dirName() +
                                                   "/in.erd"}) {
    TAppBuildSettings s = Settings(names);
    s.KeptFiles = {kept};
    TAppExpert x(S, s, ParseTemplateLibrary(SyntheticLibrary(), "lib"));
    try {
      x.Run(Recorder(), AsText);
      ADD_FAILURE() << "no error for " << qPrintable(kept);
    } catch (const TAppGenError& e) {
      EXPECT_TRUE(QString::fromStdString(e.what()).contains(kept)) << e.what();
    }
    EXPECT_EQ(ReadBytes(inside), diagram);
    EXPECT_EQ(ReadBytes(outside), diagram);
    // Refused before anything was written.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::System, QDir::Name),
              QStringList({"CUnit2.DFM", "Pilot.DPR"}));
    EXPECT_TRUE(Progress.isEmpty());
  }
}

TEST_F(AppGenFiles, LineCutAtTheLimitIsReportedAndTheRunGoesOn)
{
  const QStringList names = FourForms();
  // A list box value of 3000 characters in the first entity's form.
  TEntity* e = S.Entities.Find(names[0]);
  e->FormStyle = fsHorizontal;
  TAttribute* a = e->PrimaryKey[0];
  a->DisplayType = TDisplayType::ListBox;
  a->SetDescription({QStringLiteral("begin data"), QString(3000, QLatin1Char('x')), QStringLiteral("end data")});
  const QString cutForm = Path("CUnit0.DFM");

  // Written cut, and said so; every other file is written as well.
  TAppExpert x = Expert(names);
  QStringList problems = x.Run(Recorder(), AsText);
  ASSERT_EQ(problems.size(), 1);
  EXPECT_TRUE(problems[0].startsWith(cutForm + " (the form of " + names[0] + "): ")) << qPrintable(problems[0]);
  EXPECT_TRUE(problems[0].contains("2048")) << qPrintable(problems[0]);
  EXPECT_TRUE(ReadBytes(cutForm).contains(QByteArray(2047, 'x')));
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 11);

  // A form whose cut text cannot be converted is not written; the run still
  // writes the forms after it.
  QDir(Dir.path()).removeRecursively();
  QDir().mkpath(Dir.path());
  TAppExpert y = Expert(names);
  problems = y.Run({}, [](const QString& text) -> QByteArray {
    if (text.contains(QString(2047, QLatin1Char('x'))))
      throw TFormTextError(12, QStringLiteral("Unterminated string"));
    return text.toUtf8();
  });
  ASSERT_EQ(problems.size(), 1);
  EXPECT_TRUE(problems[0].contains("not written")) << qPrintable(problems[0]);
  EXPECT_TRUE(problems[0].contains("Unterminated string")) << qPrintable(problems[0]);
  EXPECT_FALSE(QFile::exists(cutForm));
  EXPECT_TRUE(QFile::exists(Path("CUnit0.PAS")));
  EXPECT_TRUE(QFile::exists(Path("CUnit3.DFM")));

  // Nothing cut, nothing said.
  a->SetDescription({});
  EXPECT_EQ(Expert(names).Run({}, AsText), QStringList());
}

TEST_F(AppGenFiles, FilesGoIntoTheDirectoryWithOneSeparator)
{
  TAppBuildSettings s = Settings({});
  const QStringList library = ParseTemplateLibrary(SyntheticLibrary(), "lib");
  for (const auto& [dir, path] : std::vector<std::pair<QString, QString>>{
           {"", "Pilot.DPR"}, {"/tmp/", "/tmp/Pilot.DPR"}, {"/tmp/out", "/tmp/out/Pilot.DPR"}, {"C:", "C:/Pilot.DPR"}}) {
    s.Directory = dir;
    EXPECT_EQ(TAppExpert(S, s, library).FilePath("Pilot.DPR"), path);
  }
}

}  // namespace
}  // namespace veska::test
