#include "program_icon.h"

#include "device_image.h"
#include "resource_bitmap.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

namespace tremalu {

void InstallProgramIcon()
{
    const auto artwork = LoadResourceBitmap(QStringLiteral(":/artwork/tremalu.bmp"));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(ImageOfGraphic(*artwork))));
}

}  // namespace tremalu
