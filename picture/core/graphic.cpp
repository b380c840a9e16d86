#include "core/graphic.h"

#include "core/errors.h"
#include "core/format_registry.h"
#include "core/safe_file.h"
#include "core/streams.h"

#include <cstring>

namespace tremalu {

TREMALU_DEFINE_ABSTRACT_CLASS(TGraphic, TPersistent)
TREMALU_DEFINE_CLASS(TPicture, TPersistent)

std::string AsciiLowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string AsciiUpperCase(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string ExtractPictureExtension(const std::string& fileName)
{
    // UTF-8 never uses these ASCII bytes inside a multi-byte character, so a
    // byte-wise search finds only real separators and dots.
    const size_t last = fileName.find_last_of("./\\:");
    if (last == std::string::npos || fileName[last] != '.')
        return {};
    return fileName.substr(last + 1);
}

// ---------------------------------------------------------------- TGraphic

std::unique_ptr<TGraphic> TGraphic::NewOfClass(const TClass& kind)
{
    std::unique_ptr<TObject> object = kind.NewInstance();
    auto* graphic = dynamic_cast<TGraphic*>(object.get());
    if (graphic == nullptr)
        throw EInvalidOperation(std::string(kind.ClassName()) + " n'est pas une classe d'image");
    object.release();
    return std::unique_ptr<TGraphic>(graphic);
}

void TGraphic::NotifyChanged()
{
    FModified = true;
    if (OnChange)
        OnChange(*this);
}

void TGraphic::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                        const std::string& msg)
{
    if (OnProgress)
        OnProgress(*this, stage, percentDone, redrawNow, r, msg);
}

bool TGraphic::SameAs(TGraphic* other)
{
    if (other == nullptr)
        return false;
    if (IsEmpty() && other->IsEmpty())
        return true;
    if (&ClassType() != &other->ClassType())
        return false;
    TMemoryStream mine, theirs;
    WriteToStream(mine);
    other->WriteToStream(theirs);
    return mine.Size() == theirs.Size() &&
           (mine.Size() == 0 || std::memcmp(mine.Memory(), theirs.Memory(), static_cast<size_t>(mine.Size())) == 0);
}

void TGraphic::ReadData(TStream& stream) { ReadFromStream(stream); }
void TGraphic::WriteData(TStream& stream) { WriteToStream(stream); }

void TGraphic::SetPalette(HPALETTE) {}

void TGraphic::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    NotifyChanged();
}

void TGraphic::ReadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, TFileStream::Mode::OpenRead);
    ReadFromStream(stream);
}

void TGraphic::WriteToFile(const std::string& fileName)
{
    // Written straight into the new file, never whole in memory first: the
    // file takes the target's place only once complete.
    TSafeFileStream file(fileName);
    WriteToStream(file);
    file.Commit();
}

// ---------------------------------------------------------------- TPicture

TPicture::TPicture() { FormatRegistry(); }

TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange)
        OnChange(*this);
}

void TPicture::Listen(TGraphic& graphic)
{
    graphic.OnChange = [this](TObject&) { Changed(); };
    graphic.OnProgress = [this](TObject&, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                                const std::string& msg) {
        if (OnProgress)
            OnProgress(*this, stage, percent, redraw, r, msg);
    };
}

void TPicture::Install(std::unique_ptr<TGraphic> graphic)
{
    if (graphic)
        Listen(*graphic);
    FGraphic = std::move(graphic);
    Changed();
}

void TPicture::ReadFromFile(const std::string& fileName)
{
    const std::string extension = ExtractPictureExtension(fileName);
    const TClass* kind = FormatRegistry().FindByExtension(extension);
    if (kind == nullptr)
        throw EInvalidGraphic(FormatMessage(texts::UnknownExtension, {extension}));
    std::unique_ptr<TGraphic> graphic = TGraphic::NewOfClass(*kind);
    // Progress of the new picture is relayed while it loads; its changes are
    // heard only once it is installed.
    graphic->OnProgress = [this](TObject&, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                                 const std::string& msg) {
        if (OnProgress)
            OnProgress(*this, stage, percent, redraw, r, msg);
    };
    graphic->ReadFromFile(fileName);
    Install(std::move(graphic));
}

void TPicture::WriteToFile(const std::string& fileName)
{
    if (FGraphic)
        FGraphic->WriteToFile(fileName);
}

int32_t TPicture::PixelWidth() const { return FGraphic ? FGraphic->PixelWidth() : 0; }
int32_t TPicture::PixelHeight() const { return FGraphic ? FGraphic->PixelHeight() : 0; }

void TPicture::ReplaceGraphic(const TGraphic* graphic)
{
    std::unique_ptr<TGraphic> copy;
    if (graphic != nullptr) {
        copy = graphic->CreateEmpty();
        copy->CopyFrom(graphic);
    }
    Install(std::move(copy));
}

void TPicture::CopyFrom(const TPersistent* source)
{
    if (source == nullptr) {
        ReplaceGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        ReplaceGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        ReplaceGraphic(graphic);
    } else {
        TPersistent::CopyFrom(source);
    }
}

void TPicture::CopyTo(TPersistent& dest) const
{
    if (FGraphic && FGraphic->InheritsFrom(dest.ClassType())) {
        dest.CopyFrom(FGraphic.get());
        return;
    }
    throw EConvertError(FormatMessage(texts::AssignError, {ClassName(), dest.ClassName()}));
}

void TPicture::ReadStoredForm(TStream& stream)
{
    const uint8_t length = stream.ReadU8();
    std::string className(length, '\0');
    stream.ReadBuffer(className.data(), length);
    const TClass* kind = length == 0 ? nullptr : FormatRegistry().FindByClassName(className);
    if (kind == nullptr) {
        FGraphic.reset();
        Changed();
        return;
    }
    std::unique_ptr<TGraphic> graphic = TGraphic::NewOfClass(*kind);
    graphic->ReadData(stream);
    Install(std::move(graphic));
}

void TPicture::WriteStoredForm(TStream& stream) const
{
    if (!FGraphic) {
        stream.WriteU8(0);
        return;
    }
    std::string className = FGraphic->ClassName();
    if (className.size() > 63)
        className.resize(63);
    stream.WriteU8(static_cast<uint8_t>(className.size()));
    stream.WriteBuffer(className.data(), className.size());
    FGraphic->WriteData(stream);
}

}  // namespace tremalu
