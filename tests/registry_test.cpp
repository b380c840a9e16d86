#include "raster/bitmap.h"
#include "core/format_registry.h"
#include "formats/gif/gif_image.h"
#include "formats/icon/icon.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/metafile/metafile.h"
#include "core/ole_graphic.h"
#include "test_kinds.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::FakeKind;
using testing_support::TFailingWriteGraphic;
using testing_support::TTestGraphic;

namespace {

// The registry as the program builds it once every format module has
// started, with stand-ins for the kinds of the other formats.
TFileFormatsList FullRegistry()
{
    TFileFormatsList list;
    list.AddFormat("wmf", "MétaFichiers", FakeKind("TMetafile"), 0);
    list.AddFormat("emf", "MétaFichiers évolués", FakeKind("TMetafile"), 0);
    list.AddFormat("ico", "Icônes", FakeKind("TIcon"), 0);
    list.AddFormat("bmp", "Bitmaps", TBitmap::StaticClass(), 0);
    list.AddFormat("jpeg", "Fichier image JPEG", FakeKind("TJPEGImage"), 0);
    list.AddFormat("jpg", "Fichier image JPEG", FakeKind("TJPEGImage"), 0);
    list.AddFormat("GIF", "GIF Image", FakeKind("TGIFImage"), 0);
    list.AddFormat("", "", TOleGraphic::StaticClass(), 0);
    return list;
}

std::string Filter(TFileFormatsList& list, const TClass& base, std::string* extensions = nullptr)
{
    std::string filter, ext;
    list.BuildFilter(base, filter, ext);
    if (extensions != nullptr)
        *extensions = ext;
    return filter;
}

}  // namespace

TEST(FormatRegistry, FullRegistryGivesTheEightDialogPairsInOrder)
{
    TFileFormatsList list = FullRegistry();
    std::string extensions;
    EXPECT_EQ(Filter(list, TGraphic::StaticClass(), &extensions),
              "Tout (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
              "GIF Image (*.gif)|*.gif|"
              "Fichier image JPEG (*.jpg)|*.jpg|"
              "Fichier image JPEG (*.jpeg)|*.jpeg|"
              "Bitmaps (*.bmp)|*.bmp|"
              "Icônes (*.ico)|*.ico|"
              "MétaFichiers évolués (*.emf)|*.emf|"
              "MétaFichiers (*.wmf)|*.wmf");
    EXPECT_EQ(extensions, "*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");
}

TEST(FormatRegistry, SingleMatchingKindHasNoToutPair)
{
    TFileFormatsList list = FullRegistry();
    EXPECT_EQ(Filter(list, FakeKind("TIcon")), "Icônes (*.ico)|*.ico");
    EXPECT_EQ(Filter(list, FakeKind("TJPEGImage")),
              "Tout (*.jpg;*.jpeg)|*.jpg;*.jpeg|Fichier image JPEG (*.jpg)|*.jpg|Fichier image JPEG (*.jpeg)|*.jpeg");
    EXPECT_EQ(Filter(list, TTestGraphic::StaticClass()), "");
}

TEST(FormatRegistry, DescriptionIsFetchedFromTheStringTableOnFirstBuild)
{
    TFileFormatsList list;
    list.AddFormat("a", "", TBitmap::StaticClass(), SAllFilterId);
    EXPECT_EQ(Filter(list, TGraphic::StaticClass()), "Tout (*.a)|*.a");
    EXPECT_EQ(list.Entries()[0].Description, "Tout");
}

TEST(FormatRegistry, LookupIgnoresCaseAndNewestEntryWins)
{
    TFileFormatsList list = FullRegistry();
    EXPECT_EQ(list.FindByExtension("GiF"), &FakeKind("TGIFImage"));
    EXPECT_EQ(list.Entries()[6].Extension, "gif");
    EXPECT_EQ(list.FindByExtension("JPEG"), &FakeKind("TJPEGImage"));
    EXPECT_EQ(list.FindByExtension(""), &TOleGraphic::StaticClass());
    EXPECT_EQ(list.FindByExtension("png"), nullptr);
    list.AddFormat("BMP", "Autre", TTestGraphic::StaticClass(), 0);
    EXPECT_EQ(list.FindByExtension("bmp"), &TTestGraphic::StaticClass());
}

TEST(FormatRegistry, ClassNameLookupIsExact)
{
    TFileFormatsList list = FullRegistry();
    EXPECT_EQ(list.FindByClassName("TBitmap"), &TBitmap::StaticClass());
    EXPECT_EQ(list.FindByClassName("tbitmap"), nullptr);
    EXPECT_EQ(list.FindByClassName("TPicture"), nullptr);
}

TEST(FormatRegistry, RemoveKindTakesDerivedKindsToo)
{
    TFileFormatsList list;
    list.AddFormat("tst", "Test", TTestGraphic::StaticClass(), 0);
    list.AddFormat("bad", "Failing", TFailingWriteGraphic::StaticClass(), 0);
    list.AddFormat("bmp", "Bitmaps", TBitmap::StaticClass(), 0);
    list.RemoveKind(TTestGraphic::StaticClass());
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0].Extension, "bmp");
}

TEST(FormatRegistry, ProgramRegistryHoldsItsModulesInStartUpOrder)
{
    std::vector<std::string> extensions;
    for (const TFileFormat& f : FormatRegistry().Entries())
        extensions.push_back(f.Extension);
    EXPECT_EQ(extensions, (std::vector<std::string>{"wmf", "emf", "ico", "bmp", "jpeg", "jpg", "gif", ""}));
    EXPECT_EQ(FormatRegistry().FindByExtension("JPG"), &TJPEGImage::StaticClass());
    EXPECT_EQ(FormatRegistry().FindByExtension("GIF"), &TGIFImage::StaticClass());
    EXPECT_EQ(FormatRegistry().FindByExtension("WMF"), &TMetafile::StaticClass());
    EXPECT_EQ(FormatRegistry().FindByExtension("emf"), &TMetafile::StaticClass());
    EXPECT_EQ(FormatRegistry().FindByExtension("Ico"), &TIcon::StaticClass());
    EXPECT_EQ(PictureFilter(TGraphic::StaticClass()),
              "Tout (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
              "GIF Image (*.gif)|*.gif|"
              "Fichier image JPEG (*.jpg)|*.jpg|"
              "Fichier image JPEG (*.jpeg)|*.jpeg|"
              "Bitmaps (*.bmp)|*.bmp|"
              "Icônes (*.ico)|*.ico|"
              "MétaFichiers évolués (*.emf)|*.emf|"
              "MétaFichiers (*.wmf)|*.wmf");
}

TEST(FormatRegistry, RegisterAndUnregisterOnTheProgramRegistry)
{
    RegisterFormat("TST", "Test", TTestGraphic::StaticClass());
    EXPECT_EQ(FormatRegistry().FindByExtension("tst"), &TTestGraphic::StaticClass());
    UnregisterKind(TTestGraphic::StaticClass());
    EXPECT_EQ(FormatRegistry().FindByExtension("tst"), nullptr);
}
