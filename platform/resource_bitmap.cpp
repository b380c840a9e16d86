#include "resource_bitmap.h"

#include "core/errors.h"
#include "core/streams.h"

#include <QFile>

namespace tremalu {

std::unique_ptr<TBitmap> LoadResourceBitmap(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(FormatMessage(texts::CannotOpenFile, {path.toStdString()}));
    const QByteArray bytes = file.readAll();
    TReadOnlyMemoryStream stream(bytes.constData(), static_cast<size_t>(bytes.size()));
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->ReadFromStream(stream);
    return bitmap;
}

}  // namespace tremalu
