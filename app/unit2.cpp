#include "unit2.h"

namespace tremalu {

TResult* Result = nullptr;

TResult::TResult()
{
    setupUi(this);
    Loaded();
}

}  // namespace tremalu
