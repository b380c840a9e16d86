#include "cli_commands.h"

#include "cli_stereo.h"

#include "stereo/anaglyph.h"
#include "stereo/anaglyph_file.h"
#include "raster/bitmap.h"
#include "stereo/draw_on_white.h"
#include "core/errors.h"
#include "core/graphic.h"
#include "formats/gif/gif_image.h"
#include "formats/jpeg/jpeg_image.h"
#include "stereo/save_rules.h"
#include "stereo/side_picture.h"
#include "generated/program_version.h"

#include <functional>
#include <map>
#include <optional>
#include <new>

namespace tremalu {

namespace {

constexpr const char* Usage =
    "Usage :\n"
    "  tremalu-cli info FICHIER             type et taille de l'image (d'une GIF : son écran logique)\n"
    "  tremalu-cli render FICHIER SORTIE    l'image dessinée sur fond blanc, enregistrée en .bmp ou .jpg\n"
    "  tremalu-cli resave FICHIER SORTIE    l'image réécrite dans son propre format\n"
    "  tremalu-cli compose [OPTIONS] GAUCHE DROITE SORTIE\n"
    "                                       l'anaglyphe rouge/cyan des deux images\n"
    "  tremalu-cli compose [OPTIONS] FICHIER.mpo|FICHIER.jps SORTIE\n"
    "                                       l'anaglyphe d'un fichier d'appareil stéréo (MPO, JPS)\n"
    "  tremalu-cli compose [OPTIONS] --cote-a-cote FICHIER SORTIE\n"
    "                                       l'anaglyphe d'une image côte à côte, œil gauche à gauche\n"
    "  tremalu-cli lot [OPTIONS] DOSSIER_SORTIE FICHIER...\n"
    "                                       chaque MPO, JPS ou paire X_L/X_R, X_l/X_r, XL/XR\n"
    "                                       en DOSSIER_SORTIE/X.jpg\n"
    "  tremalu-cli --help | -h              cette aide\n"
    "  tremalu-cli --version                la version de l'outil\n"
    "Options de compose et de lot :\n"
    "  --methode couleur|demi-couleur|gris|dubois\n"
    "                                       la façon de mêler les deux images (couleur par défaut ;\n"
    "                                       demi-couleur avec les lunettes rouge-cyan seulement)\n"
    "  --lunettes rouge-cyan|vert-magenta|ambre-bleu\n"
    "                                       les filtres des lunettes (rouge-cyan par défaut)\n"
    "  --decalage DX[,DY]                   l'image droite déplacée de DX pixels vers la gauche et de DY\n"
    "                                       vers le haut (négatifs : l'autre sens), recadrée sur la partie\n"
    "                                       commune\n"
    "  --aligner                            estime le décalage vertical et le corrige\n"
    "  --fenetre-auto                       place la fenêtre stéréo : le plus proche de la scène sur\n"
    "                                       l'écran, le reste derrière (s'ajoute à --decalage)\n"
    "  --inverser                           échange les images gauche et droite\n"
    "  --parallaxe                          applique la parallaxe enregistrée par l'appareil (MPO)\n"
    "  --cote-a-cote                        chaque fichier est une image côte à côte\n";

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

// The loop count of the first loop extension: how many times the animation
// is played ("sans fin" for 0), or "aucune" without one.
std::string LoopCountText(const TGIFImage& gif)
{
    for (const auto& frame : gif.Images)
        for (const auto& extension : frame->Extensions)
            if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()))
                return loop->Loops == 0 ? "0 (sans fin)" : std::to_string(loop->Loops);
    return "aucune";
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
    if (const auto* gif = dynamic_cast<const TGIFImage*>(graphic))
        out << "Vues : " << gif->Images.Count() << '\n' << "Boucles : " << LoopCountText(*gif) << '\n';
    return 0;
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

// What a command returns for a usage error.
constexpr int UsageError = 2;

struct Command {
    size_t Arguments;  // the number of arguments of a command without options
    bool TakesOptions;
    std::function<int(const std::vector<std::string>&, std::ostream& out, std::ostream& err)> Run;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    // The two questions every program answers, asked in a command's place;
    // the answer goes to standard output since it is what was asked for.
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << Usage;
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        out << "tremalu-cli " << ProgramVersion << '\n';
        return 0;
    }
    std::string reason;
    std::optional<TStereoArguments> stereo;
    const auto withOptions = [&](const std::vector<std::string>& a) {
        stereo = ParseStereoArguments(a, reason);
        return stereo.has_value();
    };
    static const std::map<std::string, Command> commands = {
        {"info", {1, false, [](const auto& a, auto& out, auto&) { return Info(a, out); }}},
        {"render", {2, false, [](const auto& a, auto&, auto&) { return Render(a); }}},
        {"resave", {2, false, [](const auto& a, auto&, auto&) { return Resave(a); }}},
        {"compose", {3, true, {}}},
        {"lot", {2, true, {}}},
    };
    const auto command = args.empty() ? commands.end() : commands.find(args[0]);
    const std::vector<std::string> rest = args.empty() ? args : std::vector<std::string>(args.begin() + 1, args.end());
    const bool fits = command != commands.end() &&
                      (command->second.TakesOptions ? withOptions(rest) : rest.size() == command->second.Arguments);
    const auto usage = [&] {
        if (!reason.empty())
            err << reason << '\n';
        err << Usage;
        return UsageError;
    };
    if (!fits)
        return usage();
    try {
        if (command->first == "compose")
            return ComposeStereo(*stereo, err) ? 0 : usage();
        if (command->first == "lot") {
            if (stereo->Operands.size() < 2)
                return usage();
            reason = RefusedBatchText(*stereo);
            return reason.empty() ? RunBatch(*stereo, err, errIsTerminal) : usage();
        }
        return command->second.Run(rest, out, err);
    } catch (const std::exception&) {
        err << CurrentFailureText() << '\n';
    }
    // What was being written is left as it was: outputs are replaced only
    // once complete.
    return 1;
}

}  // namespace tremalu
