#include "shell/HelpWindow.h"

#include "platform/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

#include <algorithm>

namespace veska {
namespace {

constexpr int kFileRole = Qt::UserRole;
const QString kIndex = QStringLiteral("index.html");

QString ReadFile(const QString& path, bool* ok)
{
  QFile file(path);
  *ok = file.open(QIODevice::ReadOnly);
  return *ok ? DecodeText(file.readAll()) : QString();
}

THelpWindow::TPage ParsePage(const QString& file, const QString& html)
{
  THelpWindow::TPage page;
  page.File = file;
  static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                        QRegularExpression::CaseInsensitiveOption |
                                          QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression keywords(
    QStringLiteral("<meta\\s+name=\"keywords\"\\s+content=\"([^\"]*)\""), QRegularExpression::CaseInsensitiveOption);
  const auto t = title.match(html);
  page.Title = t.hasMatch() ? QTextDocumentFragment::fromHtml(t.captured(1)).toPlainText().simplified() : file;
  if (const auto k = keywords.match(html); k.hasMatch())
    for (const QString& word : k.captured(1).split(QLatin1Char(','), Qt::SkipEmptyParts))
      if (!word.trimmed().isEmpty())
        page.Keywords << word.trimmed();
  page.Text = QTextDocumentFragment::fromHtml(html).toPlainText();
  return page;
}

}  // namespace

THelpWindow::THelpWindow(QString helpDirectory, QWidget* parent)
  : QWidget(parent, Qt::Window), FDirectory(std::move(helpDirectory))
{
  setWindowTitle(QStringLiteral("Veska Help"));
  resize(820, 560);

  ContentsList = new QListWidget;
  ContentsList->setObjectName(QStringLiteral("ContentsList"));
  SearchEdit = new QLineEdit;
  SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
  SearchEdit->setPlaceholderText(QStringLiteral("Type a keyword"));
  SearchEdit->setClearButtonEnabled(true);
  ResultsList = new QListWidget;
  ResultsList->setObjectName(QStringLiteral("ResultsList"));

  auto* searchPage = new QWidget;
  auto* searchLayout = new QVBoxLayout(searchPage);
  searchLayout->setContentsMargins(0, 0, 0, 0);
  searchLayout->addWidget(SearchEdit);
  searchLayout->addWidget(ResultsList);

  Tabs = new QTabWidget;
  Tabs->addTab(ContentsList, QStringLiteral("&Contents"));
  Tabs->addTab(searchPage, QStringLiteral("&Search"));

  Browser = new QTextBrowser;
  Browser->setObjectName(QStringLiteral("Browser"));
  Browser->setOpenExternalLinks(true);
  Browser->setSearchPaths({FDirectory});

  auto* splitter = new QSplitter;
  splitter->addWidget(Tabs);
  splitter->addWidget(Browser);
  splitter->setStretchFactor(1, 3);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);

  connect(ContentsList, &QListWidget::itemActivated, this, &THelpWindow::OpenItem);
  connect(ContentsList, &QListWidget::itemClicked, this, &THelpWindow::OpenItem);
  connect(ResultsList, &QListWidget::itemActivated, this, &THelpWindow::OpenItem);
  connect(ResultsList, &QListWidget::itemClicked, this, &THelpWindow::OpenItem);
  connect(SearchEdit, &QLineEdit::textChanged, this, &THelpWindow::Search);
  connect(SearchEdit, &QLineEdit::returnPressed, this, [this] {
    if (ResultsList->count() > 0)
      OpenItem(ResultsList->item(0));
  });

  LoadPages();
  for (const TPage& page : FPages) {
    auto* item = new QListWidgetItem(page.Title, ContentsList);
    item->setData(kFileRole, page.File);
  }
  Search(QString());
}

void THelpWindow::LoadPages()
{
  bool ok = false;
  const QString index = ReadFile(QDir(FDirectory).filePath(kIndex), &ok);
  if (!ok)
    return;
  FPages << ParsePage(kIndex, index);
  static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+\\.html)\""),
                                       QRegularExpression::CaseInsensitiveOption);
  for (auto it = link.globalMatch(index); it.hasNext();) {
    const QString file = it.next().captured(1);
    const bool known = std::any_of(FPages.cbegin(), FPages.cend(), [&](const TPage& p) { return p.File == file; });
    if (known)
      continue;
    const QString html = ReadFile(QDir(FDirectory).filePath(file), &ok);
    if (ok)
      FPages << ParsePage(file, html);
  }
}

void THelpWindow::Search(const QString& text)
{
  ResultsList->clear();
  const QString wanted = text.trimmed();
  struct THit {
    QString Label, File;
  };
  QList<THit> keywordHits;
  for (const TPage& page : FPages)
    for (const QString& keyword : page.Keywords)
      if (keyword.contains(wanted, Qt::CaseInsensitive))
        keywordHits.append({keyword + QStringLiteral(" \u2014 ") + page.Title, page.File});
  std::stable_sort(keywordHits.begin(), keywordHits.end(), [](const THit& a, const THit& b) {
    return a.Label.compare(b.Label, Qt::CaseInsensitive) < 0;
  });
  QStringList listed;
  for (const THit& hit : keywordHits) {
    auto* item = new QListWidgetItem(hit.Label, ResultsList);
    item->setData(kFileRole, hit.File);
    listed << hit.File;
  }
  if (wanted.isEmpty())
    return;
  for (const TPage& page : FPages)
    if (!listed.contains(page.File) && page.Text.contains(wanted, Qt::CaseInsensitive)) {
      auto* item = new QListWidgetItem(page.Title, ResultsList);
      item->setData(kFileRole, page.File);
    }
}

void THelpWindow::OpenItem(QListWidgetItem* item)
{
  if (!item)
    return;
  const bool fromSearch = item->listWidget() == ResultsList;
  OpenPage(item->data(kFileRole).toString(), fromSearch ? SearchEdit->text().trimmed() : QString());
}

void THelpWindow::OpenPage(const QString& file, const QString& find)
{
  const QString path = QDir(FDirectory).filePath(file);
  if (!QFileInfo::exists(path)) {
    Browser->setHtml(QStringLiteral("<p>The help files were not found in %1.</p>").arg(FDirectory.toHtmlEscaped()));
    return;
  }
  Browser->setSource(QUrl::fromLocalFile(path));
  if (!find.isEmpty())
    Browser->find(find);
}

void THelpWindow::ShowContents()
{
  Tabs->setCurrentIndex(0);
  OpenPage(kIndex);
  show();
  raise();
  activateWindow();
}

void THelpWindow::ShowPage(const QString& file)
{
  Tabs->setCurrentIndex(0);
  for (int i = 0; i < ContentsList->count(); ++i)
    if (ContentsList->item(i)->data(kFileRole).toString() == file)
      ContentsList->setCurrentRow(i);
  OpenPage(file);
  show();
  raise();
  activateWindow();
}

void THelpWindow::ShowSearch(const QString& keyword)
{
  Tabs->setCurrentIndex(1);
  SearchEdit->setText(keyword);
  Search(keyword);
  if (Browser->source().isEmpty())
    OpenPage(kIndex);
  show();
  raise();
  activateWindow();
  SearchEdit->setFocus();
}

}  // namespace veska
