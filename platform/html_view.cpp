#include "html_view.h"

#include <QTextDocument>
#include <QUrl>

namespace tremalu {

QString NotFoundPage(const QString& address)
{
    return QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>"
                          "<h3>Impossible d'afficher la page</h3>"
                          "<p>Le fichier suivant est introuvable ou ne peut pas être lu :</p>"
                          "<p><tt>%1</tt></p>"
                          "<p>Vérifiez que le fichier existe, puis rouvrez le programme depuis son dossier.</p>"
                          "</body></html>")
        .arg(address.toHtmlEscaped());
}

THtmlView::THtmlView(QWidget* parent) : QTextBrowser(parent)
{
    // Links to other sites open in the desktop's browser; links between
    // local pages stay in the view.
    setOpenExternalLinks(true);
}

void THtmlView::Navigate(const std::string& address)
{
    FAddress = address;
    FNotFound = false;
    setSource(QUrl::fromLocalFile(QString::fromStdString(address)), QTextDocument::HtmlResource);
}

QVariant THtmlView::loadResource(int type, const QUrl& name)
{
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource)
        return resource;
    FNotFound = !resource.isValid();
    if (FNotFound) {
        const QString shown = name.isLocalFile() ? name.toLocalFile() : name.toString();
        return NotFoundPage(shown);
    }
    return resource;
}

}  // namespace tremalu
