// Unit2: the result window (TResult), which shows the anaglyph modally and
// saves it. It is created hidden at start-up; the composition gives it its
// picture and shows it.
//
// Given the two sides, the window also sets the stereo window live: the
// arrow keys (Shift for single pixels), Home, A and I adjust the pair
// (adjustment_keys.h), a text over the bottom of the view says where things
// stand, and Enter or a double click on the view opens the full-size view.
// The view is recomposed from reduced copies of the sides; the full-size
// anaglyph is made only to be saved or shown at full size.
#pragma once

#include "raster/bitmap.h"
#include "form.h"
#include "dialogs/picture_dialogs.h"
#include "stereo_adjustment.h"
#include "ui_result_window.h"

#include <cstdint>
#include <memory>

namespace tremalu {

class TFullSizeView;
class TOverlayText;

// What the glasses button's menu asks of the pair before showing it.
enum class TResultAction { None, Automatic, Swap, ReturnToStart };

class TResult : public TForm, public Ui::Result {
public:
    TResult();
    ~TResult() override;

    // The save dialog: JPEG or BMP, JPEG first, "jpg" added to a name typed
    // without an extension.
    TSavePictureDialog SP;

    // Takes the anaglyph as the view's picture (sharing its pixels), fits it
    // into the frame and shows the window modally until it is closed.
    void ShowAnaglyph(const TBitmap& anaglyph);
    // Composes the pair at full size, as it stands, and shows it as above,
    // with the adjustment keys working. The adjustment is kept for the next
    // showing of the same pair (the same pairIdentity); another pair starts
    // afresh, at the camera's parallax when it has one. action is applied
    // first. A composition that fails changes nothing in the window.
    void ShowStereoPair(const TStereoSides& sides, uint64_t pairIdentity, TResultAction action = TResultAction::None);

    // Saves the anaglyph at its natural size: a quality-100 JPEG for a name
    // ending in .jpg, a 32-bit BMP for .bmp, in any case. Any other name
    // saves nothing, and says so. The window stays open. Once adjusted, what
    // is saved is the full-size anaglyph of the offset shown.
    void SpeedButton2Click(QObject& Sender);

    // The adjustment of the pair shown (none for a bare anaglyph).
    TStereoAdjustment* Adjustment() { return FAdjustment.get(); }
    // The text over the view, as last shown.
    std::string StatusText() const;
    // How many times the view was recomposed from the reduced copies.
    int ViewCompositions() const { return FViewCompositions; }
    // The full-size view while it is open.
    TFullSizeView* FullSizeView() { return FFullSize; }
    // Opens the full-size view of the pair.
    void OpenFullSizeView();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindEvents();
    void ShowPicture(const TBitmap& picture, int32_t naturalWidth, int32_t naturalHeight);
    // Recomposes the view once the events waiting now are handled: steps
    // that arrive meanwhile are merged into that one composition.
    void ScheduleViewComposition();
    void ComposeView();
    void Say(const std::string& note);

    std::unique_ptr<TStereoAdjustment> FAdjustment;
    uint64_t PairIdentity = 0;
    // Whether the view holds the full-size anaglyph of the adjustment as it
    // stands (then saving writes it as it is).
    bool FullSizeShown = false;
    bool ViewCompositionPending = false;
    int FViewCompositions = 0;
    TOverlayText* Overlay = nullptr;
    TFullSizeView* FFullSize = nullptr;
};

extern TResult* Result;

}  // namespace tremalu
