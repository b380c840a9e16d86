// The HTML view: a page given once by its path, and its own page for an
// address that cannot be opened.
#include "html_view.h"
#include "temp_dir.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>

using namespace tremalu;

TEST(HtmlView, ShowsThePageAtThePath)
{
    testing_support::TempDir dir;
    std::ofstream(dir.File("index.htm"))
        << "<html><body><h1>Conseils</h1><p>Écartez l'appareil de 6 à 7 cm.</p></body></html>";
    THtmlView view;
    view.Navigate(dir.File("index.htm"));
    EXPECT_EQ(view.Address(), dir.File("index.htm"));
    EXPECT_EQ(view.source(), QUrl::fromLocalFile(QString::fromStdString(dir.File("index.htm"))));
    EXPECT_FALSE(view.ShowsNotFoundPage());
    EXPECT_TRUE(view.toPlainText().contains("Écartez l'appareil de 6 à 7 cm."));
}

TEST(HtmlView, AnAddressThatCannotBeOpenedShowsItsOwnFrenchPage)
{
    testing_support::TempDir dir;
    THtmlView view;
    const std::string missing = dir.File("index.htm");
    view.Navigate(missing);
    EXPECT_TRUE(view.ShowsNotFoundPage());
    const QString text = view.toPlainText();
    EXPECT_TRUE(text.contains("Impossible d'afficher la page"));
    EXPECT_TRUE(text.contains(QString::fromStdString(missing)));
    // Names are shown as text, never read as markup.
    EXPECT_TRUE(NotFoundPage("/tmp/<b>x</b>/index.htm").contains("&lt;b&gt;"));
}

TEST(HtmlView, LinksBetweenLocalPagesStayInTheView)
{
    testing_support::TempDir dir;
    std::ofstream(dir.File("index.htm")) << "<html><body><a href=\"suite.htm\">suite</a></body></html>";
    std::ofstream(dir.File("suite.htm")) << "<html><body><p>Deuxième page</p></body></html>";
    THtmlView view;
    view.Navigate(dir.File("index.htm"));
    view.setSource(QUrl("suite.htm"));
    EXPECT_TRUE(view.toPlainText().contains("Deuxième page"));
    view.setSource(QUrl("absente.htm"));
    EXPECT_TRUE(view.ShowsNotFoundPage());
}
