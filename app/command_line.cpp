#include "command_line.h"

#include "generated/program_version.h"

#include <filesystem>

namespace tremalu {

namespace {

constexpr const char* Usage =
    "Usage :\n"
    "  tremalu [GAUCHE [DROITE]]\n"
    "Compose l'anaglyphe d'une paire stéréo : GAUCHE et DROITE sont chargées au\n"
    "démarrage comme par les boutons aux dossiers ; un fichier MPO ou JPS seul\n"
    "remplit les deux côtés. Le bouton aux lunettes compose l'anaglyphe, que la\n"
    "fenêtre du résultat enregistre en JPEG ou en bitmap.\n"
    "Options :\n"
    "  -h, --help     cette aide\n"
    "  --version      la version du programme\n"
    "Sans fenêtre, tremalu-cli fait de même pour des lots entiers.\n";

// A name that starts with "-" is an option unless a file of that name
// exists (a picture saved as "-gauche.jpg" is still a picture).
bool LooksLikeOption(const std::string& name)
{
    std::error_code ignored;  // a name that cannot be examined is no file
    return !name.empty() && name[0] == '-' && !std::filesystem::exists(name, ignored);
}

}  // namespace

std::optional<int> AnswerCommandLine(const std::vector<std::string>& names, std::ostream& out, std::ostream& err)
{
    for (const std::string& name : names) {
        if (!LooksLikeOption(name))
            continue;
        if (name == "--help" || name == "-h") {
            out << Usage;
            return 0;
        }
        if (name == "--version") {
            out << "tremalu " << ProgramVersion << '\n';
            return 0;
        }
        err << Usage;  // as the batch tool answers an option it does not know
        return 2;
    }
    return std::nullopt;
}

}  // namespace tremalu
