// Unit2: the result window (TResult), which shows the anaglyph modally and
// saves it. It is created hidden at start-up; the composition gives it its
// picture and shows it.
#pragma once

#include "raster/bitmap.h"
#include "form.h"
#include "dialogs/picture_dialogs.h"
#include "ui_result_window.h"

namespace tremalu {

class TResult : public TForm, public Ui::Result {
public:
    TResult();

    // The save dialog: JPEG or BMP, JPEG first, "jpg" added to a name typed
    // without an extension.
    TSavePictureDialog SP;

    // Takes the anaglyph as the view's picture (sharing its pixels), fits it
    // into the frame and shows the window modally until it is closed.
    void ShowAnaglyph(const TBitmap& anaglyph);

    // Saves the anaglyph at its natural size: a quality-100 JPEG for a name
    // ending in .jpg, a 32-bit BMP for .bmp, in any case. Any other name
    // saves nothing, and says so. The window stays open.
    void SpeedButton2Click(QObject& Sender);

private:
    void BindEvents();
};

extern TResult* Result;

}  // namespace tremalu
