#include "stereo/batch_plan.h"

#include "core/graphic.h"
#include "stereo/stereo_pair.h"

#include <optional>

namespace tremalu {

namespace {

// The endings of a pair's names, LEFT and RIGHT; the longer forms first, so
// that X_L pairs as X rather than as "X_".
constexpr std::pair<const char*, const char*> PairEndings[] = {{"_L", "_R"}, {"_l", "_r"}, {"L", "R"}};

struct TNameParts {
    std::string Folder;     // up to and with the last "/"
    std::string Stem;       // the file name without its extension
    std::string Extension;  // with its dot, as written
};

TNameParts Split(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const size_t stemEnd = dot == std::string::npos || dot < nameStart ? path.size() : dot;
    return {path.substr(0, nameStart), path.substr(nameStart, stemEnd - nameStart), path.substr(stemEnd)};
}

bool EndsWith(const std::string& text, const std::string& ending)
{
    return text.size() > ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

// The file of `files` that is the RIGHT picture of `left`, not taken yet.
std::optional<std::pair<size_t, std::string>> RightOf(const std::vector<std::string>& files,
                                                      const std::vector<bool>& taken, const std::string& left)
{
    const TNameParts l = Split(left);
    for (const auto& [leftEnding, rightEnding] : PairEndings) {
        if (!EndsWith(l.Stem, leftEnding))
            continue;
        const std::string base = l.Stem.substr(0, l.Stem.size() - std::char_traits<char>::length(leftEnding));
        for (size_t k = 0; k < files.size(); ++k) {
            const TNameParts r = Split(files[k]);
            if (!taken[k] && r.Folder == l.Folder && r.Stem == base + rightEnding &&
                AsciiUpperCase(r.Extension) == AsciiUpperCase(l.Extension))
                return std::pair{k, base};
        }
    }
    return std::nullopt;
}

}  // namespace

TBatchPlan PlanBatch(const std::vector<std::string>& files, bool sideBySide)
{
    TBatchPlan plan;
    std::vector<bool> taken(files.size(), false);
    for (size_t k = 0; k < files.size(); ++k) {
        if (taken[k])
            continue;
        if (sideBySide || StereoFileKindOf(files[k]) != TStereoFileKind::None) {
            taken[k] = true;
            plan.Jobs.push_back({{files[k]}, Split(files[k]).Stem});
        } else if (const auto right = RightOf(files, taken, files[k])) {
            taken[k] = taken[right->first] = true;
            plan.Jobs.push_back({{files[k], files[right->first]}, right->second});
        }
    }
    // A file is unpaired when nothing took it, in its place in the list.
    for (size_t k = 0; k < files.size(); ++k)
        if (!taken[k])
            plan.Unpaired.push_back(files[k]);
    return plan;
}

}  // namespace tremalu
