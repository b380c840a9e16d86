#include "screen_facts.h"

namespace tremalu {

QColor ToQColor(TColor color)
{
    const TColor rgb = ResolveColor(color);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

}  // namespace tremalu
