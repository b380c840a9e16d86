#include "cli_commands.h"

#include "anaglyph.h"
#include "anaglyph_file.h"
#include "raster/bitmap.h"
#include "draw_on_white.h"
#include "core/errors.h"
#include "core/graphic.h"
#include "formats/jpeg/jpeg_image.h"
#include "save_rules.h"
#include "side_picture.h"

#include <functional>
#include <map>
#include <new>

namespace tremalu {

namespace {

constexpr const char* Usage =
    "Usage :\n"
    "  tremalu-cli info FICHIER             type et taille de l'image\n"
    "  tremalu-cli render FICHIER SORTIE    l'image dessinée sur fond blanc, enregistrée en .bmp ou .jpg\n"
    "  tremalu-cli resave FICHIER SORTIE    l'image réécrite dans son propre format\n"
    "  tremalu-cli compose GAUCHE DROITE SORTIE\n"
    "                                       l'anaglyphe rouge/cyan des deux images\n";

const char* PixelFormatName(TPixelFormat format)
{
    switch (format) {
    case TPixelFormat::pfDevice:
        return "écran (32 bits)";
    case TPixelFormat::pf1bit:
        return "1 bit";
    case TPixelFormat::pf4bit:
        return "4 bits";
    case TPixelFormat::pf8bit:
        return "8 bits";
    case TPixelFormat::pf15bit:
        return "15 bits";
    case TPixelFormat::pf16bit:
        return "16 bits";
    case TPixelFormat::pf24bit:
        return "24 bits";
    case TPixelFormat::pf32bit:
        return "32 bits";
    default:
        return "particulier";
    }
}

int Info(const std::vector<std::string>& args, std::ostream& out)
{
    TPicture picture;
    picture.ReadFromFile(args[0]);
    const TGraphic* graphic = picture.Graphic();
    out << graphic->ClassName() << ' ' << picture.PixelWidth() << ' ' << picture.PixelHeight() << '\n';
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic))
        out << "Format de pixel : " << PixelFormatName(bitmap->PixelFormat()) << '\n';
    // Only the header has been read: the pixels are not decoded for this.
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(graphic))
        out << "JPEG " << (jpeg->WriteProgressive() ? "progressif" : "séquentiel") << ", "
            << jpeg->Data().Encoded->ByteCount() << " octets\n";
    return 0;
}

// Names the batch tool can write (.bmp and .jpg, as the program saves);
// checked before anything is read.
void CheckOutputName(const std::string& fileName)
{
    if (SaveKindOf(fileName) == TSaveKind::None)
        throw Exception(NothingSavedText);
}

int Render(const std::vector<std::string>& args)
{
    CheckOutputName(args[1]);
    TPicture picture;
    picture.ReadFromFile(args[0]);
    if (picture.PixelWidth() <= 0 || picture.PixelHeight() <= 0)
        throw Exception("L'image n'a aucun pixel : rien n'a été enregistré.");
    std::unique_ptr<TBitmap> drawn = DrawOnWhite(picture.Graphic(), picture.PixelWidth(), picture.PixelHeight());
    SaveBitmapByName(*drawn, args[1]);
    return 0;
}

int Resave(const std::vector<std::string>& args)
{
    TPicture picture;
    picture.ReadFromFile(args[0]);
    picture.WriteToFile(args[1]);
    return 0;
}

// The anaglyph of two pictures, made and saved as the program's windows do.
int Compose(const std::vector<std::string>& args, std::ostream& warnings)
{
    CheckOutputName(args[2]);
    if (args[0].empty() || args[1].empty())
        throw Exception(MissingPictureText);
    std::unique_ptr<TPicture> left = LoadSidePicture(args[0]);
    std::unique_ptr<TPicture> right = LoadSidePicture(args[1]);
    const int32_t width = left->PixelWidth(), height = left->PixelHeight();
    if (width != right->PixelWidth() || height != right->PixelHeight())
        warnings << DifferentSizesText << '\n';
    SaveAnaglyph(left->Graphic(), right->Graphic(), width, height, args[2]);
    return 0;
}

struct Command {
    size_t Arguments;
    std::function<int(const std::vector<std::string>&, std::ostream& out, std::ostream& err)> Run;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    static const std::map<std::string, Command> commands = {
        {"info", {1, [](const auto& a, auto& out, auto&) { return Info(a, out); }}},
        {"render", {2, [](const auto& a, auto&, auto&) { return Render(a); }}},
        {"resave", {2, [](const auto& a, auto&, auto&) { return Resave(a); }}},
        {"compose", {3, [](const auto& a, auto&, auto& err) { return Compose(a, err); }}},
    };
    const auto command = args.empty() ? commands.end() : commands.find(args[0]);
    if (command == commands.end() || args.size() - 1 != command->second.Arguments) {
        err << Usage;
        return 2;
    }
    try {
        return command->second.Run({args.begin() + 1, args.end()}, out, err);
    } catch (const Exception& e) {
        err << MessageBoxText(e.message()) << '\n';
    } catch (const std::bad_alloc&) {
        err << MessageBoxText(texts::OutOfMemory) << '\n';
    } catch (const std::exception& e) {
        err << MessageBoxText(e.what()) << '\n';
    }
    // What was being written is left as it was: outputs are replaced only
    // once complete.
    return 1;
}

}  // namespace tremalu
