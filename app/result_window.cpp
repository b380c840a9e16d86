#include "result_window.h"

#include "adjustment_keys.h"
#include "failure_guard.h"
#include "fitting.h"
#include "full_size_view.h"
#include "message_box.h"
#include "overlay_text.h"
#include "stereo/save_rules.h"

#include <QKeyEvent>
#include <QTimer>

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
    // The adjustment keys come to the window itself.
    setFocusPolicy(Qt::StrongFocus);
    Overlay = new TOverlayText(*Panel1);
    IR->installEventFilter(this);
    BindEvents();
}

TResult::~TResult()
{
    // The full-size view works on the adjustment: it goes first.
    delete FFullSize;
}

void TResult::BindEvents() { SpeedButton2->OnClick = Bind(this, &TResult::SpeedButton2Click); }

void TResult::ShowPicture(const TBitmap& picture, int32_t naturalWidth, int32_t naturalHeight)
{
    IR->Picture().AsBitmap().CopyFrom(&picture);
    const TFittedBounds fit = FitIntoBox(naturalWidth, naturalHeight, ResultBox, Panel1->width(), Panel1->height());
    IR->Image().SetAutoSize(false);
    IR->Image().SetStretch(true);
    IR->SetBounds(fit.Left, fit.Top, fit.Width, fit.Height);
}

void TResult::ShowAnaglyph(const TBitmap& anaglyph)
{
    FAdjustment.reset();
    PairIdentity = 0;
    ShowPicture(anaglyph, anaglyph.PixelWidth(), anaglyph.PixelHeight());
    ShowModal();
}

void TResult::ShowStereoPair(const TStereoSides& sides, uint64_t pairIdentity, TResultAction action)
{
    // The same pair keeps its adjustment; another pair's is made aside and
    // kept only once its anaglyph is composed.
    std::unique_ptr<TStereoAdjustment> fresh;
    TStereoAdjustment* adjustment = FAdjustment.get();
    if (adjustment == nullptr || pairIdentity != PairIdentity) {
        fresh = std::make_unique<TStereoAdjustment>(sides);
        adjustment = fresh.get();
    } else {
        adjustment->SetMix(sides.Mix);
    }
    TAdjustmentKeyResult done;
    if (action == TResultAction::Automatic)
        done = AdjustAutomatically(*adjustment);
    else if (action == TResultAction::Swap)
        done = SwapSides(*adjustment);
    else if (action == TResultAction::ReturnToStart)
        done = ReturnToStart(*adjustment);
    const std::unique_ptr<TBitmap> anaglyph = adjustment->ComposeFullSize();

    if (fresh) {
        FAdjustment = std::move(fresh);
        PairIdentity = pairIdentity;
    }
    const TStereoFrame frame = FAdjustment->Frame();
    ShowPicture(*anaglyph, frame.Width, frame.Height);
    FullSizeShown = true;
    // A start that is not the program's own, or an action asked for, is said.
    if (done.Handled || !FAdjustment->StartNote().empty() || FAdjustment->Cropped() || FAdjustment->Swapped())
        Say(done.Handled ? done.Note : FAdjustment->StartNote());
    else
        Overlay->hide();
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
    if (FAdjustment && !FullSizeShown)
        FAdjustment->SaveFullSize(SP.FileName);
    else
        SaveBitmapByName(IR->Picture().AsBitmap(), SP.FileName);
}

std::string TResult::StatusText() const { return Overlay->Text(); }

void TResult::Say(const std::string& note) { Overlay->ShowText(FAdjustment->StatusText(note), IR->geometry()); }

void TResult::keyPressEvent(QKeyEvent* event)
{
    if (!FAdjustment) {
        TForm::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    Guarded([&] {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenFullSizeView();
            return;
        }
        const TAdjustmentKeyResult result = ApplyAdjustmentKey(*FAdjustment, key, modifiers);
        if (!result.Handled)
            return;
        if (result.Changed) {
            FullSizeShown = false;
            ScheduleViewComposition();
        }
        Say(result.Note);
    });
}

bool TResult::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == IR && event->type() == QEvent::MouseButtonDblClick && FAdjustment) {
        Guarded([&] { OpenFullSizeView(); });
        return true;
    }
    return TForm::eventFilter(watched, event);
}

void TResult::ScheduleViewComposition()
{
    if (ViewCompositionPending)
        return;
    ViewCompositionPending = true;
    QTimer::singleShot(0, this, [this] {
        ViewCompositionPending = false;
        Guarded([&] { ComposeView(); });
    });
}

void TResult::ComposeView()
{
    if (!FAdjustment)
        return;
    const std::unique_ptr<TBitmap> view = FAdjustment->ComposeReduced(ResultBox);
    const TStereoFrame frame = FAdjustment->Frame();
    ShowPicture(*view, frame.Width, frame.Height);
    // The text stays over the bottom of the view as the view's shape changes.
    Overlay->Follow(IR->geometry());
    ++FViewCompositions;
}

void TResult::OpenFullSizeView()
{
    if (!FAdjustment || FFullSize != nullptr)
        return;
    struct TState {
        TStereoOffset Offset;
        bool Swapped, Cropped;
    };
    const TState before{FAdjustment->Offset(), FAdjustment->Swapped(), FAdjustment->Cropped()};
    auto* view = new TFullSizeView(*this, *FAdjustment);
    view->OnClosed = [this, view, before] {
        FFullSize = nullptr;
        view->deleteLater();
        // Back in the result window, the view shows the offset the full-size
        // view was left at.
        if (FAdjustment && (FAdjustment->Offset() != before.Offset || FAdjustment->Swapped() != before.Swapped ||
                            FAdjustment->Cropped() != before.Cropped)) {
            FullSizeShown = false;
            ScheduleViewComposition();
            Say("");
        }
        activateWindow();
    };
    try {
        view->Open();
    } catch (...) {
        delete view;  // the failure goes on to the guard
        throw;
    }
    FFullSize = view;
}

}  // namespace tremalu
