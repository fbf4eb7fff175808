#include "tablebuild/BuildRun.h"

#include "tablebuild/TableBuilder.h"
#include "model/Entity.h"
#include "model/Relation.h"
#include "platform/MessageService.h"
#include "platform/Progress.h"
#include "model/Identifiers.h"
#include "surface/DrawingSurface.h"

#include <QDir>
#include <QSet>

namespace veska {

namespace {

bool HasDesktopTables(const QString& serverName)
{
  return SameText(serverName, QStringLiteral("Paradox")) || SameText(serverName, QStringLiteral("Dbase"));
}

// Entity names compare without letter case, as the model's lists do.
QString NameKey(const QString& name)
{
  return name.toCaseFolded();
}

}  // namespace

QString BuildCompletedMessage(int errorCount)
{
  QString completed = QStringLiteral("Processing completed.");
  if (errorCount > 0)
    completed += QStringLiteral(" Error Count = ") + QString::number(errorCount);
  return completed;
}

TBuildResult RunBuild(const TIniFile& ini, const TBuildSettings& settings, const TDrawingSurface& surface,
                      TMessageService& messages, const TBuildProgress& progress, TProgress* bar)
{
  TBuildResult result;
  if (!HasDesktopTables(settings.ServerName))
    return result;
  result.Ran = true;

  TParadoxExpert builder(ini, settings.ServerName, surface);
  builder.DropTables = settings.DropTables;
  builder.CreateTables = settings.CreateTables;
  builder.Directory = settings.Directory;
  builder.TableFilter = &settings.TableFilter;
  const bool paradox = builder.TableType == TTableType::Paradox;
  auto show = [&](const QString& line) {
    if (progress)
      progress(line);
  };
  // Each table is a step of each pass over the chosen tables.
  const qint64 tables = settings.TableFilter.size();
  const qint64 passes = (builder.DropTables ? (paradox ? 2 : 1) : 0) + (builder.CreateTables ? 1 : 0);
  TProgressRun run(bar, QStringLiteral("Building tables in ") + QDir::toNativeSeparators(settings.Directory),
                   tables * passes);
  qint64 done = 0;
  auto showTable = [&](const QString& line) {
    show(line);
    run.Step(++done);
  };
  // A table that cannot be built counts as an error and asks Abort or
  // Ignore; true when the run is to end.
  auto failed = [&](const QString& error) {
    ++result.ErrorCount;
    if (messages.Show(TMsgDlgType::mtConfirmation, error, mbAbort | mbIgnore) == mbAbort) {
      result.Aborted = true;
      return true;
    }
    return false;
  };
  // Entities whose table another entity maps to, reported already: such a
  // table is never dropped, and the entity is reported once.
  QSet<const TEntity*> clashReported;

  if (builder.DropTables) {
    if (paradox) {
      for (const QString& name : settings.TableFilter) {
        showTable(QStringLiteral("Dropping References of ") + name);
        if (const TEntity* entity = surface.Entities.Find(name))
          builder.DropReferences(*entity);
      }
    }
    for (const QString& name : settings.TableFilter) {
      showTable(QStringLiteral("Dropping Table ") + name);
      const TEntity* entity = surface.Entities.Find(name);
      if (!entity)
        continue;
      // Dropping it would drop another entity's table: an error before
      // anything of it is dropped.
      if (const QString clash = builder.TableNameClashMessage(*entity); !clash.isEmpty()) {
        clashReported.insert(entity);
        if (failed(clash))
          return result;
        continue;
      }
      // A table that is not there (or cannot be removed) is no reason to
      // stop: creating it reports what matters.
      try {
        builder.DeleteTable(*entity);
      } catch (const TEngineError&) {
      }
    }
  }

  if (builder.CreateTables) {
    for (const QString& name : settings.TableFilter) {
      showTable(QStringLiteral("Creating Table ") + name);
      QString error;
      if (const TEntity* entity = surface.Entities.Find(name)) {
        if (clashReported.contains(entity))
          continue;
        try {
          builder.CreateTable(*entity);
        } catch (const TEngineError& e) {
          error = e.Message();
        }
      } else {
        // A name that is no entity would otherwise pass as built.
        error = QStringLiteral("There is no entity named %1.").arg(name);
      }
      if (!error.isEmpty() && failed(error))
        return result;
    }
    if (paradox) {
      QSet<QString> chosen;
      chosen.reserve(settings.TableFilter.size());
      for (const QString& name : settings.TableFilter)
        chosen.insert(NameKey(name));
      for (const TRelation* relation : surface.Relations) {
        if (!relation->Parent || !relation->Child || !chosen.contains(NameKey(relation->Parent->EntityName()))
            || !chosen.contains(NameKey(relation->Child->EntityName())))
          continue;
        show(QStringLiteral("Creating Relation ") + relation->RelationName());
        builder.CreateRelation(*relation);
      }
    }
  }

  run.Finish();
  messages.Information(BuildCompletedMessage(result.ErrorCount));
  return result;
}

}  // namespace veska
