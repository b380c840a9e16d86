#include "dialogs/preview_form.h"

#include "core/graphic.h"
#include "image_view_widget.h"
#include "panel.h"
#include "screen_facts.h"

#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace tremalu {

namespace {

// The panel's border: one line, then this many pixels of the panel's colour.
constexpr int FrameLine = 1;
constexpr int BorderWidth = 5;
// The client size the window has before it takes the picture's size.
constexpr int FirstClientWidth = 320;
constexpr int FirstClientHeight = 240;

// A panel without bevels framed by a single line of the window-frame colour.
class TSingleLinePanel : public TPanel {
public:
    explicit TSingleLinePanel(QWidget* parent) : TPanel(parent)
    {
        setBevelOuter(bvNone);
        setBevelInner(bvNone);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, ToQColor(clWindow));
        setPalette(colours);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        TPanel::paintEvent(event);
        QPainter painter(this);
        painter.setPen(ToQColor(clWindowFrame));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

}  // namespace

TPreviewForm::TPreviewForm(const TPicture& picture, QWidget* owner) : TForm(owner)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QString::fromUtf8(PreviewCaption));
    // A sizeable tool window.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    FPanel = new TSingleLinePanel(this);
    FPanel->setObjectName(QStringLiteral("Panel"));
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(FPanel);

    FImage = new TImageView(FPanel);
    FImage->setObjectName(QStringLiteral("Image"));
    FImage->setStretch(true);
    FImage->Picture().SetGraphic(picture.Graphic());
    auto* inside = new QVBoxLayout(FPanel);
    const int border = FrameLine + BorderWidth;
    inside->setContentsMargins(border, border, border, border);
    inside->addWidget(FImage);

    // The picture at its own size inside the border: the window's client
    // size less the panel's client size, plus the picture and the border.
    const int w = picture.PixelWidth(), h = picture.PixelHeight();
    if (w > 0)
        resize(2 * FrameLine + w + 2 * BorderWidth, 2 * FrameLine + h + 2 * BorderWidth);
    else
        resize(FirstClientWidth, FirstClientHeight);
}

TPreviewForm::~TPreviewForm() = default;

void TPreviewForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    TForm::keyPressEvent(event);
}

}  // namespace tremalu
