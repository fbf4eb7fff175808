#include "shell/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "support/ListItems.h"

namespace veska {
namespace {

using test::Items;

void WritePage(const QDir& dir, const QString& file, const QString& title, const QString& keywords, const QString& body)
{
  QFile f(dir.filePath(file));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("<html><head><title>%1</title><meta name=\"keywords\" content=\"%2\"></head>"
                         "<body>%3</body></html>")
            .arg(title, keywords, body)
            .toUtf8());
}

TEST(HelpWindow, ContentsFollowTheIndexAndSearchFindsKeywordsThenText)
{
  QTemporaryDir temp;
  const QDir dir(temp.path());
  WritePage(dir, QStringLiteral("index.html"), QStringLiteral("Help"), QStringLiteral("contents"),
            QStringLiteral("<a href=\"zoom.html\">Z</a> <a href=\"files.html\">F</a> <a href=\"zoom.html#top\">again</a>"));
  WritePage(dir, QStringLiteral("zoom.html"), QStringLiteral("Zoom"), QStringLiteral("zoom in, zoom out"),
            QStringLiteral("Enlarges the diagram."));
  WritePage(dir, QStringLiteral("files.html"), QStringLiteral("Files"), QStringLiteral("save"),
            QStringLiteral("Saving after a zoom asks first."));

  THelpWindow help(temp.path());
  EXPECT_EQ(Items(help.ContentsList), QStringList({QStringLiteral("Help"), QStringLiteral("Zoom"), QStringLiteral("Files")}));

  help.ShowContents();
  EXPECT_TRUE(help.isVisible());
  EXPECT_EQ(QFileInfo(help.Browser->source().toLocalFile()).fileName(), QStringLiteral("index.html"));

  help.ShowSearch(QString());
  EXPECT_EQ(help.Tabs->currentIndex(), 1);
  EXPECT_EQ(help.ResultsList->count(), 4);  // every keyword

  help.ShowSearch(QStringLiteral("ZOOM"));
  EXPECT_EQ(Items(help.ResultsList), QStringList({QStringLiteral("zoom in \u2014 Zoom"), QStringLiteral("zoom out \u2014 Zoom"),
                                                  QStringLiteral("Files")}));
  emit help.ResultsList->itemActivated(help.ResultsList->item(2));
  EXPECT_EQ(QFileInfo(help.Browser->source().toLocalFile()).fileName(), QStringLiteral("files.html"));
}

TEST(HelpWindow, MissingHelpSaysSo)
{
  THelpWindow help(QStringLiteral("/nonexistent/help"));
  EXPECT_EQ(help.ContentsList->count(), 0);
  help.ShowContents();
  EXPECT_TRUE(help.Browser->toPlainText().contains(QStringLiteral("not found")));
}

TEST(HelpWindow, ShippedHelpIsCompleteBesideTheProgram)
{
  const QString dir = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help"));
  THelpWindow help(dir);
  // The contents page and the sixteen pages it links to, each with a title
  // and keywords.
  ASSERT_EQ(help.Pages().size(), 17) << dir.toStdString();
  for (const THelpWindow::TPage& page : help.Pages()) {
    EXPECT_NE(page.Title, page.File) << page.File.toStdString();
    EXPECT_FALSE(page.Keywords.isEmpty()) << page.File.toStdString();
  }
  help.ShowSearch(QStringLiteral("Reopen"));
  EXPECT_GT(help.ResultsList->count(), 0);
}

}  // namespace
}  // namespace veska
