#include "dialogs/preview_pane.h"

#include "dialog_rules/chosen_name.h"
#include "core/errors.h"
#include "core/graphic.h"
#include "formats/gif/gif_image.h"
#include "label.h"
#include "dialogs/preview_form.h"
#include "dialog_rules/preview_layout.h"
#include "dialogs/preview_paint_box.h"
#include "resource_bitmap.h"
#include "speed_button.h"

namespace tremalu {

namespace {

// The pane's controls where they are made, in the pane's pixels: a border
// of 6 round the label and the paint panel, the button over the label's
// right end, 2 pixels in from the paint panel's right edge.
constexpr int Border = 6;
constexpr QRect PaneBounds(0, 0, 169, 200);
constexpr QRect LabelBounds(Border, Border, 157, 23);
constexpr QRect PaintPanelBounds(Border, Border + 23, 157, 145);
constexpr int ButtonWidth = 23, ButtonHeight = 22, ButtonTop = 1;
constexpr QRect PaintBoxBounds(2, 2, 153, 141);  // inside the two bevels

// The glyph of the button: a page under a magnifying glass.
const char* const PreviewGlyphPath = ":/artwork/previewglyph.bmp";

}  // namespace

TPicturePreviewPane::TPicturePreviewPane(TPicture& preview, QWidget* parent) : TPanel(parent), FPreview(preview)
{
    setObjectName(QStringLiteral("PicturePanel"));
    setBevelOuter(bvNone);
    setFixedSize(PaneBounds.size());

    FLabel = new TLabel(this);
    FLabel->setObjectName(QStringLiteral("PictureLabel"));
    FLabel->setAutoSize(false);
    FLabel->setGeometry(LabelBounds);

    FPaintPanel = new TPanel(this);
    FPaintPanel->setObjectName(QStringLiteral("PaintPanel"));
    FPaintPanel->setBevelOuter(bvLowered);
    FPaintPanel->setBevelInner(bvRaised);
    FPaintPanel->setGeometry(PaintPanelBounds);

    FPaintBox = new TPreviewPaintBox(FPreview, FPaintPanel);
    FPaintBox->setObjectName(QStringLiteral("PaintBox"));
    FPaintBox->setGeometry(PaintBoxBounds);
    FPaintBox->OnDoubleClick = [this](QObject&) { ShowFullSize(); };

    FButton = new TSpeedButton(this);
    FButton->setObjectName(QStringLiteral("PreviewButton"));
    FButton->setGeometry(PaintPanelBounds.right() + 1 - ButtonWidth - 2, ButtonTop, ButtonWidth, ButtonHeight);
    FButton->SetGlyph(LoadResourceBitmap(QString::fromLatin1(PreviewGlyphPath)));
    FButton->setToolTip(QString::fromUtf8(PreviewCaption));
    FButton->setEnabled(false);
    FButton->OnClick = [this](QObject&) { ShowFullSize(); };
    // Every change of the picture shows: an animated GIF's frames, too.
    FPreview.OnChange = [this](TObject&) { FPaintBox->update(); };
}

TPicturePreviewPane::~TPicturePreviewPane() { FPreview.OnChange = nullptr; }

void TPicturePreviewPane::DialogOpened()
{
    FPreview.SetGraphic(nullptr);
    FPaintBox->update();
}

void TPicturePreviewPane::DialogClosed()
{
    // Nothing shows the preview any more: a painter would go on waking for
    // nobody until the dialog opens again.
    if (auto* gif = dynamic_cast<TGIFImage*>(FPreview.Graphic()))
        gif->StopAnimation();
}

void TPicturePreviewPane::ShowNothing()
{
    FLabel->SetCaption(PreviewNoPictureLabel);
    FButton->setEnabled(false);
    FPreview.SetGraphic(nullptr);
}

void TPicturePreviewPane::ShowSelection(const QString& path)
{
    const std::string name = path.toStdString();
    if (!IsExistingFile(name)) {
        ShowNothing();
    } else {
        try {
            FPreview.ReadFromFile(name);
            // Drawn once now as the box draws it: kinds that decode only when
            // first drawn (JPEG) fail now rather than at painting and keep
            // their pixels for the box, and an animated GIF starts over the
            // box's colour.
            if (FPreview.PixelWidth() > 0 && FPreview.PixelHeight() > 0)
                FPaintBox->DrawPicture();
            FLabel->SetCaption(PreviewSizeLabel(FPreview.PixelWidth(), FPreview.PixelHeight()));
            FButton->setEnabled(true);
        } catch (const Exception&) {
            // A picture that cannot be loaded is not reported: the pane
            // simply shows none.
            ShowNothing();
        }
    }
    FPaintBox->update();
}

void TPicturePreviewPane::ShowFullSize()
{
    TPreviewForm form(FPreview, window());
    form.ShowModal();
}

}  // namespace tremalu
