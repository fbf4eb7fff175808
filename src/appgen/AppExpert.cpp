// The generator of one run: the entities of its forms, composing a file from
// templates and fixed lines, and the three files of the application itself
// (project file, main unit, main form).
#include "appgen/AppGenerator.h"

#include "model/Entity.h"
#include "surface/DrawingSurface.h"

#include <QHash>
#include <QSet>

#include <utility>

namespace veska {

TAppExpert::TAppExpert(TDrawingSurface& surface, const TAppBuildSettings& settings, QStringList templates)
  : Directory(settings.Directory),
    AppName(settings.AppName),
    MDIApplication(settings.MDIApplication),
    DrawingSurface(surface),
    FormList(settings.FormList),
    FTemplates(std::move(templates)),
    FKeptFiles(settings.KeptFiles)
{
  if (const QString refusal = AppNameRefusal(AppName); !refusal.isEmpty())
    throw TAppGenError(refusal);
  FFormEntities.reserve(size_t(FormList.size()));
  for (const QString& name : FormList) {
    TEntity* entity = surface.Entities.Find(name);
    if (!entity)
      throw TAppGenError(QStringLiteral("There is no entity named %1.").arg(name));
    FFormEntities.push_back(entity);
  }
}

TEntity* TAppExpert::FormEntity(int i) const
{
  return FFormEntities.at(size_t(i));
}

void TAppExpert::RebuildMenuGroups()
{
  MenuGroups.clear();
  QSet<QString> seen;
  for (const TEntity* entity : FFormEntities) {
    const QString& group = entity->MenuGroup;
    if (!group.isEmpty() && !seen.contains(group.toCaseFolded())) {
      seen.insert(group.toCaseFolded());
      MenuGroups << group;
    }
  }
}

void TAppExpert::Put(QString& out, int n, std::initializer_list<TFormatArg> args) const
{
  bool cut = false;
  out += FormatTemplate(FTemplates.value(n), args, &cut);
  if (cut)
    FCuts << QStringLiteral("template %1").arg(n);
}

void TAppExpert::Line(QString& out, const QString& format, std::initializer_list<TFormatArg> args) const
{
  bool cut = false;
  out += FormatTemplate(format, args, &cut);
  out += QLatin1String("\r\n");
  if (cut)
    FCuts << QStringLiteral("the line \"%1\"").arg(format);
}

QStringList TAppExpert::TakeCuts() const
{
  return std::exchange(FCuts, {});
}

QString TAppExpert::ProjectText() const
{
  QString out;
  const int forms = int(FormList.size());
  Put(out, 1, {AppName});
  Put(out, 2, {"CMain", "CMain", "CMainForm"});
  for (int i = 0; i < forms; ++i)
    Put(out, 2, {QStringLiteral("CUnit%1").arg(i), QStringLiteral("CUnit%1").arg(i), QStringLiteral("Form%1").arg(i)});
  Put(out, 3);
  Put(out, 4, {"CMainForm", "CMainForm"});
  for (int i = 0; i < forms; ++i)
    Put(out, 4, {QStringLiteral("Form%1").arg(i), QStringLiteral("Form%1").arg(i)});
  Put(out, 5);
  return out;
}

QString TAppExpert::MainUnitText() const
{
  QString out;
  const int forms = int(FormList.size());
  Put(out, 6, {"CMain", "CMainForm"});
  Put(out, 17);
  for (int j = 0; j < MenuGroups.size(); ++j)
    Line(out, QStringLiteral("    SubMenuItem%d: TMenuItem;"), {j});
  for (int i = 0; i < forms; ++i)
    Put(out, 19, {i});
  Put(out, 20);
  if (MDIApplication)
    Put(out, 21);
  Put(out, 22);
  for (int i = 0; i < forms; ++i)
    Put(out, 23, {i});
  Put(out, 24);
  if (MDIApplication)
    Put(out, 25);
  Put(out, 28, {"CMainForm", "CMainForm"});
  Put(out, 29);
  Line(out, QStringLiteral("uses IniFiles, Dialogs, KXUtils"));
  for (int i = 0; i < forms; ++i)
    Line(out, QStringLiteral("    ,CUnit%d"), {i});
  Line(out, QStringLiteral("    ;"));
  Put(out, 30, {"CMainForm", AppName + QStringLiteral(".INI")});
  for (int i = 0; i < forms; ++i)
    Put(out, 33, {"CMainForm", i, i});
  Put(out, 34, {"CMainForm"});
  if (MDIApplication)
    Put(out, 35, {"CMainForm", "CMainForm", "CMainForm"});
  Line(out, QStringLiteral("end."));
  return out;
}

QString TAppExpert::MainFormText() const
{
  QString out;
  Put(out, 37,
      {"CMainForm", "CMainForm", 381, 286, DrawingSurface.DiagramName, MDIApplication ? "fsMDIForm" : "fsNormal",
       MDIApplication ? "wsMaximized" : "wsNormal"});
  Line(out, QStringLiteral("  Menu = MainMenu"));
  Put(out, 38);
  PutMenuGroups(out);
  if (MDIApplication) {
    Put(out, 42);
    Line(out, QStringLiteral("        end"));
  }
  Line(out, QStringLiteral("    end"));
  Put(out, 43);
  Line(out, QStringLiteral("  end"));
  return out;
}

// A submenu per menu group with an item per form of the group; the first
// submenu also ends with a separator and the Exit item (template 41).
void TAppExpert::PutMenuGroups(QString& out) const
{
  // The forms of each group, in form order, found by the group's folded text.
  QHash<QString, std::vector<int>> formsOfGroup;
  for (int i = 0; i < int(FFormEntities.size()); ++i) {
    const QString& group = FFormEntities[size_t(i)]->MenuGroup;
    if (!group.isEmpty())
      formsOfGroup[group.toCaseFolded()].push_back(i);
  }
  for (int j = 0; j < MenuGroups.size(); ++j) {
    Line(out, QStringLiteral("  Object SubMenuItem%d: TMenuItem"), {j});
    Line(out, QStringLiteral("    Caption = '%s'"), {MenuGroups[j]});
    for (const int i : formsOfGroup.value(MenuGroups[j].toCaseFolded())) {
      Put(out, 40, {i, FormEntity(i)->EntityName(), i});
      Line(out, QStringLiteral("        end"));
    }
    if (j == 0) {
      Put(out, 41);
      Line(out, QStringLiteral("        end"));
    }
    Line(out, QStringLiteral("      end"));
  }
}

}  // namespace veska
