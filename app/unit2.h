// Unit2: the result window (TResult), which shows the anaglyph modally and
// saves it. It is created hidden at start-up; the composition gives it its
// picture and shows it.
#pragma once

#include "form.h"
#include "ui_result.h"

namespace tremalu {

class TResult : public TForm, public Ui::Result {
public:
    TResult();
};

extern TResult* Result;

}  // namespace tremalu
