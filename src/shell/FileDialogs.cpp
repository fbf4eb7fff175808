#include "shell/FileDialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace veska {

namespace {

QString Pattern(const QString& glob)
{
  if (glob == QStringLiteral("*.*") || glob == QStringLiteral("*"))
    return QStringLiteral("*");
  const QString upper = glob.toUpper();
  const QString lower = glob.toLower();
  return upper == lower ? glob : upper + QLatin1Char(' ') + lower;
}

// "erd" for "ERD Files (*.ERD)|*.ERD|...": the extension of the first
// pattern, in lower case; empty when it has none.
QString DefaultSuffix(const QString& filter)
{
  const QString glob = filter.section(QLatin1Char('|'), 1, 1).section(QLatin1Char(';'), 0, 0).trimmed();
  const QString suffix = glob.startsWith(QStringLiteral("*.")) ? glob.mid(2).toLower() : QString();
  return suffix == QStringLiteral("*") ? QString() : suffix;
}

QString Run(QFileDialog& dialog)
{
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

}  // namespace

QString QtFileFilter(const QString& filter)
{
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    // The description names the pattern itself ("ERD Files (*.ERD)"); Qt
    // reads the patterns from the parentheses, so they are written anew.
    const int open = description.indexOf(QLatin1Char('('));
    if (open >= 0)
      description = description.left(open).trimmed();
    QStringList globs;
    for (const QString& glob : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      globs << Pattern(glob.trimmed());
    out << QStringLiteral("%1 (%2)").arg(description, globs.join(QLatin1Char(' ')));
  }
  return out.join(QStringLiteral(";;"));
}

QString TQtFileDialogs::OpenFileName(const QString& title, const QString& filter)
{
  QFileDialog dialog(FParent, title, QString(), QtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return Run(dialog);
}

QString TQtFileDialogs::SaveFileName(const QString& title, const QString& filter, const QString& proposed)
{
  QFileDialog dialog(FParent, title, QString(), QtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(DefaultSuffix(filter));
  // The caller asks about replacing an existing file itself.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(proposed);
  return Run(dialog);
}

}  // namespace veska
