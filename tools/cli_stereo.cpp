#include "cli_stereo.h"

#include "stereo/anaglyph_file.h"
#include "stereo/batch_plan.h"
#include "core/errors.h"
#include "core/second_thread.h"
#include "stereo/save_rules.h"
#include "stereo/stereo_pair.h"

#include <atomic>
#include <charconv>
#include <mutex>
#include <new>
#include <sys/stat.h>

namespace tremalu {

namespace {

// Two files that are only composed are read as they are composed; the
// alignment and the automatic window look at every pixel first.
TPairReading PairReading(const TStereoOptions& options)
{
    return options.Align || options.AutoWindow ? TPairReading::Pictures : TPairReading::ComposedRows;
}

// A whole signed integer, nothing else.
std::optional<int64_t> ParseInteger(const std::string& text)
{
    int64_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return value;
}

// DX or DX,DY.
bool ParseShift(const std::string& text, TStereoOptions& options)
{
    const size_t comma = text.find(',');
    const std::optional<int64_t> dx = ParseInteger(text.substr(0, comma));
    const std::optional<int64_t> dy = comma == std::string::npos ? std::optional<int64_t>(0)
                                                                 : ParseInteger(text.substr(comma + 1));
    if (!dx || !dy)
        return false;
    options.Shift = true;
    options.ShiftX = *dx;
    options.ShiftY = *dy;
    return true;
}

void Note(std::ostream& err, const std::vector<std::string>& notes, const std::string& prefix = std::string())
{
    for (const std::string& line : notes)
        err << prefix << line << '\n';
}

std::string FileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void CheckOutputName(const std::string& fileName)
{
    if (SaveKindOf(fileName) == TSaveKind::None)
        throw Exception(NothingSavedText);
}

std::string CurrentFailureText()
{
    try {
        throw;
    } catch (const Exception& e) {
        return MessageBoxText(e.message());
    } catch (const std::bad_alloc&) {
        return MessageBoxText(texts::OutOfMemory);
    } catch (const std::exception& e) {
        return MessageBoxText(e.what());
    }
}

std::optional<TStereoArguments> ParseStereoArguments(const std::vector<std::string>& args, std::string& reason)
{
    TStereoArguments parsed;
    TStereoOptions& o = parsed.Options;
    bool optionsEnded = false;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.Operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = arg.substr(equals + 1);
        const auto takeValue = [&]() -> std::optional<std::string> {
            if (value)
                return value;
            if (k + 1 < args.size())
                return args[++k];
            return std::nullopt;
        };
        const auto flag = [&](bool& target) {
            target = true;
            return !value.has_value();
        };
        bool ok = false;
        if (name == "--methode") {
            const std::optional<std::string> v = takeValue();
            const std::optional<TAnaglyphMethod> method = v ? MethodByName(*v) : std::nullopt;
            if ((ok = method.has_value()))
                o.Mix.Method = *method;
        } else if (name == "--lunettes") {
            const std::optional<std::string> v = takeValue();
            const std::optional<TAnaglyphGlasses> glasses = v ? GlassesByName(*v) : std::nullopt;
            if ((ok = glasses.has_value()))
                o.Mix.Glasses = *glasses;
        } else if (name == "--decalage") {
            const std::optional<std::string> v = takeValue();
            ok = v && ParseShift(*v, o);
        } else if (name == "--aligner") {
            ok = flag(o.Align);
        } else if (name == "--fenetre-auto") {
            ok = flag(o.AutoWindow);
        } else if (name == "--inverser") {
            ok = flag(o.Swap);
        } else if (name == "--parallaxe") {
            ok = flag(o.Parallax);
        } else if (name == "--cote-a-cote") {
            ok = flag(parsed.SideBySide);
        }
        if (!ok)
            return std::nullopt;
    }
    if (!o.Mix.IsUsable()) {
        reason = "La méthode demi-couleur ne s'emploie qu'avec les lunettes rouge-cyan.";
        return std::nullopt;
    }
    return parsed;
}

bool ComposeStereo(const TStereoArguments& arguments, std::ostream& err)
{
    const std::vector<std::string>& operands = arguments.Operands;
    const bool oneFile = operands.size() == 2 &&
                         (arguments.SideBySide || StereoFileKindOf(operands[0]) != TStereoFileKind::None);
    const bool twoFiles = operands.size() == 3 && !arguments.SideBySide;
    if (!oneFile && !twoFiles)
        return false;
    const std::string& output = operands.back();
    CheckOutputName(output);
    for (size_t k = 0; k + 1 < operands.size(); ++k)
        if (operands[k].empty())
            throw Exception(MissingPictureText);
    TStereoPair pair = oneFile ? LoadStereoFile(operands[0], arguments.SideBySide)
                               : LoadPicturePair(operands[0], operands[1], PairReading(arguments.Options));
    std::vector<std::string> notes;
    const TStereoFrame frame = PlanStereoFrame(pair, arguments.Options, notes);
    Note(err, notes);
    SaveAnaglyph(pair.Left.Source(), pair.Right.Source(), frame, arguments.Options.Mix, output);
    return true;
}

std::string RefusedBatchText(const TStereoArguments& arguments)
{
    const std::string& folder = arguments.Operands[0];
    const TBatchPlan plan =
        PlanBatch({arguments.Operands.begin() + 1, arguments.Operands.end()}, arguments.SideBySide);
    if (const std::optional<std::string> input = ChainedInput(plan, folder))
        return MessageBoxText(FormatMessage(ChainedInputText, {*input}));
    return std::string();
}

int RunBatch(const TStereoArguments& arguments, std::ostream& err, bool errIsTerminal)
{
    const std::string& folder = arguments.Operands[0];
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw Exception(FormatMessage("Le dossier de sortie %s n'existe pas", {folder}));
    const TBatchPlan plan =
        PlanBatch({arguments.Operands.begin() + 1, arguments.Operands.end()}, arguments.SideBySide);

    std::mutex lock;  // err and the progress line
    bool progressShown = false;
    const auto say = [&](const std::string& line) {
        if (progressShown)
            err << "\r\033[K";
        progressShown = false;
        err << line << '\n';
    };
    std::atomic<bool> anyFailed = !plan.Unpaired.empty();
    for (const std::string& file : plan.Unpaired)
        say(FileNameOf(file) + " : " + UnpairedText + '.');

    // Two compositions at once, one per core; each takes the next job left.
    std::vector<std::string> outputs;
    for (const TBatchJob& job : plan.Jobs)
        outputs.push_back(BatchOutputOf(folder, job));
    std::atomic<size_t> next = 0;
    const size_t total = plan.Jobs.size();
    const auto work = [&] {
        for (size_t k = next++; k < total; k = next++) {
            const TBatchJob& job = plan.Jobs[k];
            const std::string shown = FileNameOf(job.Inputs[0]);
            if (errIsTerminal) {
                std::lock_guard<std::mutex> guard(lock);
                err << "\r\033[K" << (k + 1) << '/' << total << ' ' << shown << std::flush;
                progressShown = true;
            }
            std::vector<std::string> notes;
            try {
                for (size_t j = 0; j < k; ++j)
                    if (outputs[j] == outputs[k])
                        throw Exception(FormatMessage(SameOutputText, {outputs[k]}));
                TStereoPair pair = job.Inputs.size() == 1 ? LoadStereoFile(job.Inputs[0], arguments.SideBySide)
                                                          : LoadPicturePair(job.Inputs[0], job.Inputs[1],
                                                                            PairReading(arguments.Options));
                SaveStereoAnaglyph(pair, arguments.Options, outputs[k], notes);
                std::lock_guard<std::mutex> guard(lock);
                for (const std::string& line : notes)
                    say(shown + " : " + line);
            } catch (const std::exception&) {
                const std::string text = CurrentFailureText();
                anyFailed = true;
                std::lock_guard<std::mutex> guard(lock);
                for (const std::string& line : notes)
                    say(shown + " : " + line);
                say(shown + " : " + text);
            }
        }
    };
    RunOnTwoThreads(work, work);
    if (progressShown)
        err << '\n';
    return anyFailed ? 1 : 0;
}

}  // namespace tremalu
