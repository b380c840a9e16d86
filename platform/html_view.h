// The embedded HTML view: Qt's text browser, given the address of a page
// once. A page that cannot be opened is replaced by a short page of the
// view's own, in French, saying so.
#pragma once

#include <QTextBrowser>

#include <string>

namespace tremalu {

class THtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit THtmlView(QWidget* parent = nullptr);

    // Shows the page at address, a path of the file system.
    void Navigate(const std::string& address);
    const std::string& Address() const { return FAddress; }
    // Whether the page at the address could not be opened.
    bool ShowsNotFoundPage() const { return FNotFound; }

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::string FAddress;
    bool FNotFound = false;
};

// The page shown for an address that cannot be opened.
QString NotFoundPage(const QString& address);

}  // namespace tremalu
