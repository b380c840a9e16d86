#include "stereo/batch_plan.h"

#include "core/graphic.h"
#include "stereo/stereo_pair.h"

#include <optional>
#include <sys/stat.h>

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

// The same file system object, for two paths that both exist.
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat x {}, y {};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// The folder part of a path as stat takes it ("." for a bare name).
std::string FolderOf(const std::string& path)
{
    const std::string folder = Split(path).Folder;
    return folder.empty() ? std::string(".") : folder;
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

std::string BatchOutputOf(const std::string& folder, const TBatchJob& job)
{
    return folder + "/" + job.Name + ".jpg";
}

std::optional<std::string> ChainedInput(const TBatchPlan& plan, const std::string& folder)
{
    for (size_t writer = 0; writer < plan.Jobs.size(); ++writer) {
        const std::string output = BatchOutputOf(folder, plan.Jobs[writer]);
        for (size_t reader = 0; reader < plan.Jobs.size(); ++reader) {
            // A job that reads its own output reads it whole before the
            // finished output replaces it: no other thread is involved.
            if (reader == writer)
                continue;
            for (const std::string& input : plan.Jobs[reader].Inputs)
                if ((FileNameOf(input) == FileNameOf(output) && SameFile(FolderOf(input), folder)) ||
                    SameFile(input, output))
                    return input;
        }
    }
    return std::nullopt;
}

}  // namespace tremalu
