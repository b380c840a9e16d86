#include "result_window.h"

#include "fitting.h"
#include "message_box.h"
#include "stereo/save_rules.h"

namespace tremalu {

TResult* Result = nullptr;

namespace {
constexpr const char* SaveFilter = "Fichier image JPEG (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp";
}

TResult::TResult()
{
    setupUi(this);
    Loaded();
    SP.DefaultExt = "jpg";
    SP.Filter = SaveFilter;
    SP.Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofHideReadOnly, TOpenOption::ofNoReadOnlyReturn};
    BindEvents();
}

void TResult::BindEvents() { SpeedButton2->OnClick = Bind(this, &TResult::SpeedButton2Click); }

void TResult::ShowAnaglyph(const TBitmap& anaglyph)
{
    IR->Picture().AsBitmap().CopyFrom(&anaglyph);
    const TFittedBounds fit =
        FitIntoBox(anaglyph.PixelWidth(), anaglyph.PixelHeight(), ResultBox, Panel1->width(), Panel1->height());
    IR->Image().SetAutoSize(false);
    IR->Image().SetStretch(true);
    IR->SetBounds(fit.Left, fit.Top, fit.Width, fit.Height);
    ShowModal();
}

void TResult::SpeedButton2Click(QObject&)
{
    if (!SP.Run())
        return;
    if (SaveKindOf(SP.FileName) == TSaveKind::None) {
        // Saving nothing without a word would let the user believe the
        // anaglyph is safe.
        ShowMessageBox(NothingSavedText, ApplicationTitle(), TMessageIcon::Exclamation);
        return;
    }
    SaveBitmapByName(IR->Picture().AsBitmap(), SP.FileName);
}

}  // namespace tremalu
