// The unit and the form text of an entity's form, from its layout.
#include "appgen/AppGenerator.h"

#include "model/Entity.h"

#include <algorithm>

namespace veska {

namespace {

// Field n (from 0) of a lookup's comma-separated text.
QString LookupField(const QString& lookup, int n)
{
  return lookup.section(QLatin1Char(','), n, n);
}

// The lines of a description strictly between its first "begin data" and
// its first "end data" line; none when either is missing.
QStringList DataLines(const QStringList& description)
{
  int begin = -1;
  int end = -1;
  for (int i = 0; i < description.size() && (begin < 0 || end < 0); ++i) {
    if (begin < 0 && description[i].compare(QLatin1String("begin data"), Qt::CaseInsensitive) == 0)
      begin = i;
    else if (end < 0 && description[i].compare(QLatin1String("end data"), Qt::CaseInsensitive) == 0)
      end = i;
  }
  if (begin < 0 || end <= begin)
    return {};
  return description.mid(begin + 1, end - begin - 1);
}

}  // namespace

QString TAppExpert::UnitText(int i) const
{
  QString out;
  const QString form = QStringLiteral("Form%1").arg(i);
  const bool grid = CurrentEntity->FormStyle == fsGrid;
  Put(out, 6, {QStringLiteral("CUnit%1").arg(i), form});
  Put(out, 7);
  // Elements whose lookup is a button beside an edit box.
  std::vector<int> buttons;
  if (grid) {
    Put(out, 8);
  } else {
    Put(out, 9);
    buttons = PutFieldDeclarations(out);
    for (const int k : buttons)
      Put(out, 26, {k});
  }
  Put(out, 27);
  Put(out, 28, {form, form});
  Put(out, 29);
  Line(out, QStringLiteral("uses CMain, KXUtils, BrModal;"));
  Line(out, QString());
  Put(out, 31, {form});
  Put(out, 32, {form});
  for (const int k : buttons)
    PutLookupHandler(out, form, k);
  Line(out, QStringLiteral("end."));
  return out;
}

std::vector<int> TAppExpert::PutFieldDeclarations(QString& out) const
{
  std::vector<int> buttons;
  for (int k = 0; k < int(Elements.size()); ++k) {
    const TAttribute& a = *Elements[size_t(k)].Attribute;
    if (LookupOf(Elements[size_t(k)]) >= 0) {
      Put(out, 10, {k});
      if (a.DisplayType == TDisplayType::Lookup) {
        Put(out, 12, {k, k, k});
      } else {
        Put(out, 11, {a.ColumnName()});
        Put(out, 13, {k});
        buttons.push_back(k);
      }
    } else if (a.DisplayType == TDisplayType::ListBox) {
      Put(out, 10, {k});
      Put(out, 14, {k});
    } else if (a.DisplayType == TDisplayType::CheckBox) {
      Put(out, 16, {k});
    } else {
      Put(out, 10, {k});
      Put(out, 11, {a.ColumnName()});
    }
  }
  return buttons;
}

void TAppExpert::PutLookupHandler(QString& out, const QString& form, int k) const
{
  const TFormElement& e = Elements[size_t(k)];
  const QString& lookup = LookupList[size_t(LookupOf(e))].Text;
  const QString table = LookupField(lookup, 0);
  const QString keyColumn = LookupField(lookup, 1);
  const QString edit = QStringLiteral("Edit") + e.Attribute->ColumnName();
  Put(out, 36,
      {form, k, table, QStringLiteral("Lookup ") + table, keyColumn, LookupField(lookup, 3), edit, keyColumn, edit, edit,
       keyColumn});
}

void TAppExpert::PutLabel(QString& out, int k, qint64 x, qint64 y, const TFormElement& e) const
{
  Put(out, 47, {k, x, y, e.LabelWidth, e.Attribute->Name, e.Attribute->ColumnName()});
  Line(out, QStringLiteral("end"));
}

void TAppExpert::PutLookupCombo(QString& out, int k, qint64 x, qint64 y, qint64 w, const TFormElement& e) const
{
  const QString& lookup = LookupList[size_t(LookupOf(e))].Text;
  const QString keyColumn = LookupField(lookup, 1);
  const qint64 d = std::min(LookupField(lookup, 2).toLongLong(), x + w - 6);
  Put(out, 51, {k, x, y, w, e.Attribute->ColumnName(), k, LookupField(lookup, 3), keyColumn, d, k, k, k, k,
                LookupField(lookup, 0)});
}

void TAppExpert::PutElement(QString& out, int k, bool horizontal) const
{
  // Positions are numbers of 64 bits here, so that a control placed near the
  // end of the int range cannot overflow on its offsets.
  const TFormElement& e = Elements[size_t(k)];
  const TAttribute& a = *e.Attribute;
  const qint64 x = e.Left;
  const qint64 y = e.Top;
  const qint64 w = e.FieldWidth;
  const bool lookup = LookupOf(e) >= 0;
  // In a row the label stands above its control, in a column left of it.
  const qint64 top = horizontal ? y + 15 : y;
  const auto edit = [&] { Put(out, 48, {a.ColumnName(), x, top, w, a.ColumnName(), k}); };
  if (!horizontal || a.DisplayType != TDisplayType::CheckBox)
    PutLabel(out, k, horizontal ? x : x - 4 - e.LabelWidth, horizontal ? y : y + 8, e);

  if (lookup && a.DisplayType == TDisplayType::Lookup) {
    PutLookupCombo(out, k, x, top, w + 16, e);
  } else if (lookup) {
    edit();
    Line(out, QStringLiteral("  onDblClick = LUButton%dClick"), {k});
    Line(out, QStringLiteral("end"));
    Put(out, 52, {k, x + w + 2, horizontal ? y + 13 : y - 1, a.Name, k});
  } else if (horizontal && a.DisplayType == TDisplayType::ListBox) {
    Put(out, 53, {k, x, top, w + 24, a.ColumnName(), k});
    for (const QString& value : DataLines(a.Description()))
      Line(out, QStringLiteral("'%s'"), {value});
    Line(out, QStringLiteral(")"));
  } else if (horizontal && a.DisplayType == TDisplayType::CheckBox) {
    const QStringList values = DataLines(a.Description());
    const bool two = values.size() >= 2;
    Put(out, 55, {k, x, y + 21, qint64(e.LabelWidth) + 24, a.Name, a.ColumnName(), k, two ? values[0] : QString(),
                  two ? values[1] : QString()});
  } else {
    edit();
  }
  Line(out, QStringLiteral("end"));
}

QString TAppExpert::FormText(int i) const
{
  QString out;
  const TEntity& entity = *CurrentEntity;
  const QString form = QStringLiteral("Form%1").arg(i);
  const int width = entity.FormWidth >= 301 && entity.FormWidth <= 1299 ? entity.FormWidth : 381;
  const int height = entity.FormHeight >= 201 && entity.FormHeight <= 799 ? entity.FormHeight : 286;
  Put(out, 37,
      {form, form, width, height, entity.EditFormCaption, MDIApplication ? "fsMDIChild" : "fsNormal", "wsNormal"});
  Line(out, QStringLiteral("  OnActivate = FormActivate"));
  Put(out, 50, {entity.TableName()});
  Line(out, QStringLiteral("  end"));
  Put(out, 44);
  Line(out, QStringLiteral("  end"));
  Put(out, 45);
  if (entity.FormStyle == fsGrid) {
    Put(out, 49);
    Line(out, QStringLiteral("  end"));
  } else {
    Put(out, 46, {FormClientWidth, FormClientHeight});
    for (int k = 0; k < int(Elements.size()); ++k)
      PutElement(out, k, entity.FormStyle == fsHorizontal);
    Line(out, QStringLiteral("end"));
  }
  Line(out, QStringLiteral("end"));
  Line(out, QStringLiteral("end"));
  return out;
}

}  // namespace veska
