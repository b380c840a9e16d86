// The abstract picture (TGraphic) and the picture container (TPicture).
//
// A picture kind is a class derived from TGraphic: it draws itself onto a
// surface, knows its natural size and reads and writes its file format. A
// TPicture holds at most one picture object, loads a named file with the
// kind that the file's extension selects (see format_registry.h) and relays
// the changes and progress of the picture it holds.
#pragma once

#include "core/geometry.h"
#include "core/palette.h"
#include "core/persistent.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tremalu {

class TCanvas;
class TStream;
class TBitmap;

using TNotifyEvent = std::function<void(TObject& sender)>;

enum class TProgressStage { StageStarting = 0, StageRunning = 1, StageEnding = 2 };

using TProgressEvent = std::function<void(TObject& sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                                          const TRect& r, const std::string& msg)>;

class TGraphic : public TPersistent {
    TREMALU_DECLARE_CLASS()
public:
    TGraphic() = default;
    ~TGraphic() override = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    // An empty picture of the same kind as this one.
    std::unique_ptr<TGraphic> CreateEmpty() const { return NewOfClass(ClassType()); }
    // An empty picture of the given kind (a class derived from TGraphic).
    static std::unique_ptr<TGraphic> NewOfClass(const TClass& kind);

    // Marks the picture modified and tells the change listener.
    virtual void NotifyChanged();
    // Draws the picture so that it fills rect on the surface.
    virtual void DrawOn(TCanvas& canvas, const TRect& rect) = 0;
    // True when both are empty, or both are of exactly the same kind and
    // their stream forms are byte for byte the same.
    virtual bool SameAs(TGraphic* other);
    virtual bool IsEmpty() const = 0;
    virtual int32_t PixelHeight() const = 0;
    virtual HPALETTE Palette() const { return nullptr; }
    virtual bool Transparent() const { return FTransparent; }
    virtual int32_t PixelWidth() const = 0;
    // The stored form inside window layouts ("Data").
    virtual void ReadData(TStream& stream);
    virtual void SetPixelHeight(int32_t height) = 0;
    virtual void SetPalette(HPALETTE palette);
    virtual void SetTransparent(bool value);
    virtual void SetPixelWidth(int32_t width) = 0;
    virtual void WriteData(TStream& stream);
    // Opens the named file read-only and reads it; EFOpenError when it
    // cannot be opened.
    virtual void ReadFromFile(const std::string& fileName);
    // Writes the file safely: the picture's bytes go into a new file beside
    // the target, which takes its place once complete (see safe_file.h).
    // EFCreateError when the file cannot be created.
    virtual void WriteToFile(const std::string& fileName);
    virtual void ReadFromStream(TStream& stream) = 0;
    virtual void WriteToStream(TStream& stream) = 0;

    bool Modified() const { return FModified; }
    void SetModified(bool value) { FModified = value; }
    bool PaletteModified() const { return FPaletteModified; }
    void SetPaletteModified(bool value) { FPaletteModified = value; }

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    // Sets the transparent flag without a change notification (copies).
    void SetTransparentFlag(bool value) { FTransparent = value; }
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r, const std::string& msg);

private:
    bool FModified = false;
    bool FTransparent = false;
    bool FPaletteModified = false;
};

class TPicture : public TPersistent {
    TREMALU_DECLARE_CLASS()
public:
    TPicture();
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return FGraphic.get(); }
    TGraphic* CurrentGraphic() const { return FGraphic.get(); }
    void SetGraphic(TGraphic* graphic) { ReplaceGraphic(graphic); }

    // Loads the named file with the kind that its extension selects.
    void ReadFromFile(const std::string& fileName);
    // Writes the held picture with its own writer; nothing when empty.
    void WriteToFile(const std::string& fileName);

    int32_t PixelWidth() const;
    int32_t PixelHeight() const;

    // The held picture as a bitmap: returned as is when it is one; anything
    // else (or nothing) is replaced by a new empty bitmap. Defined in
    // raster/picture_as_bitmap.cpp, beside the bitmap.
    TBitmap& AsBitmap();

    // Holds an empty copy of graphic's class made to copy graphic; none
    // empties the container.
    void ReplaceGraphic(const TGraphic* graphic);
    void CopyFrom(const TPersistent* source) override;
    void CopyTo(TPersistent& dest) const override;

    // Stored form inside window layouts: a length byte and the class name of
    // the held picture (at most 63 bytes), then the picture's own stored form.
    void ReadStoredForm(TStream& stream);
    void WriteStoredForm(TStream& stream) const;

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

private:
    void Install(std::unique_ptr<TGraphic> graphic);
    void Listen(TGraphic& graphic);
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};

// The extension of a file name: the text after the last ".", when that dot
// comes after the last path separator ("/", "\" or ":"); empty otherwise.
std::string ExtractPictureExtension(const std::string& fileName);

// ASCII lower and upper case; bytes outside A-Z and a-z are kept.
std::string AsciiLowerCase(std::string text);
std::string AsciiUpperCase(std::string text);

}  // namespace tremalu
