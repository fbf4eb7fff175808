#pragma once
// The help window: the HTML help shipped in the folder "help" beside the
// program, with a contents list (the pages that index.html links to, in that
// order) and a keyword search. Each page names its keywords in
// <meta name="keywords" content="a, b">; a search lists the keywords that
// contain the typed text and then the other pages whose text contains it.

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;

namespace veska {

class THelpWindow : public QWidget {
  Q_OBJECT
public:
  explicit THelpWindow(QString helpDirectory, QWidget* parent = nullptr);

  // Shows the window with the contents page.
  void ShowContents();
  // Shows the window with the search page, started with the keyword (an
  // empty one lists every keyword).
  void ShowSearch(const QString& keyword);
  // Shows the window with the page `file` of the help folder, marked in the
  // contents list.
  void ShowPage(const QString& file);

  QTabWidget* Tabs = nullptr;
  QListWidget* ContentsList = nullptr;
  QLineEdit* SearchEdit = nullptr;
  QListWidget* ResultsList = nullptr;
  QTextBrowser* Browser = nullptr;

  struct TPage {
    QString File;  // name inside the help folder
    QString Title;
    QStringList Keywords;
    QString Text;  // plain text, for the search
  };
  const QList<TPage>& Pages() const { return FPages; }
  QString HelpDirectory() const { return FDirectory; }

private:
  void LoadPages();
  void Search(const QString& text);
  void OpenPage(const QString& file, const QString& find = {});
  void OpenItem(QListWidgetItem* item);

  QString FDirectory;
  QList<TPage> FPages;  // index.html first, then the pages it links to
};

}  // namespace veska
