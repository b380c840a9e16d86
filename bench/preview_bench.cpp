// The image-choice window with two 24-megapixel photographs, against one
// full decode of the same file measured in the same run (the codec alone,
// as `djpeg` decodes it: file read, accurate DCT, blue-green-red rows):
//  - DialogOk: the open dialog's choice of the LEFT picture (what runs once
//    the dialog has closed) until the window, its preview and its size
//    label are painted; budget 0.8;
//  - StartPair: both pictures named on the command line, from the shown
//    window until both previews and labels are painted; budget 1.2;
//  - Glasses: the glasses button until the result window is painted,
//    against `tremalu-cli compose` of the same pair as a whole process;
//    budget 1.0.
// Then the peak memory of the program once both sides are shown, in a
// process of its own: at most 120 MiB.
//
//   preview_bench [Google Benchmark options]
//   preview_bench --script start|shown DIR     (what the memory children run)
#include "photo_input.h"
#include "ratio_report.h"

#include "application.h"
#include "formats/jpeg/jpeg_codec.h"
#include "help_window.h"
#include "image_choice_window.h"
#include "picture_modules.h"
#include "presenter.h"
#include "result_window.h"
#include "toolkit.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tremalu;

namespace {

constexpr double PeakLimitMiB = 120;

std::string Dir;
std::string ToolPath;

// One full decode of the file by the codec alone.
void FullDecode(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), {}};
    jpeg_decompress_struct codec{};
    jpeg_error_mgr errors{};
    codec.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&codec);
    jpeg_mem_src(&codec, file.data(), file.size());
    jpeg_read_header(&codec, TRUE);
    codec.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&codec);
    const size_t stride = size_t{codec.output_width} * 3;
    std::vector<unsigned char> pixels(stride * codec.output_height);
    while (codec.output_scanline < codec.output_height) {
        JSAMPROW rows[16];
        for (JDIMENSION i = 0; i < 16; ++i)
            rows[i] = pixels.data() + stride * std::min(codec.output_scanline + i, codec.output_height - 1);
        jpeg_read_scanlines(&codec, rows, std::min<JDIMENSION>(16, codec.output_height - codec.output_scanline));
    }
    jpeg_finish_decompress(&codec);
    jpeg_destroy_decompress(&codec);
    benchmark::DoNotOptimize(pixels.data());
}

// Modal windows are shown and painted, then closed at once; nothing else is
// asked of the user.
class TPaintingPresenter : public TPresenter {
public:
    int MessageBox(const TMessageBoxRequest& request) override
    {
        std::fprintf(stderr, "message: %s\n", request.Text.c_str());
        return mrOk;
    }
    int ShowModal(TForm& form) override
    {
        form.show();
        form.repaint();
        form.hide();
        return mrOk;
    }
    std::optional<TFileChoice> RunFileDialog(QFileDialog&) override { return std::nullopt; }
};

// The windows as the program makes them, the main one shown and painted.
void StartWindows(TApplication& application)
{
    application.SetTitle("TREMALU");
    application.CreateForm(Depart);
    application.CreateForm(Result);
    application.CreateForm(Faide);
    Depart->Show();
    QCoreApplication::processEvents();
    Depart->repaint();
}

void ShowBothSides()
{
    Depart->OpenPictures({{TPairSide::Left, Dir + "/left.jpg"}, {TPairSide::Right, Dir + "/right.jpg"}});
    Depart->repaint();
}

void Baseline(benchmark::State& state)
{
    for (auto _ : state)
        FullDecode(Dir + "/left.jpg");
}

void DialogOk_subject(benchmark::State& state)
{
    for (auto _ : state) {
        Depart->OpenPictures({{TPairSide::Left, Dir + "/left.jpg"}});
        Depart->repaint();
    }
}

void StartPair_subject(benchmark::State& state)
{
    for (auto _ : state)
        ShowBothSides();
}

void Glasses_baseline(benchmark::State& state)
{
    for (auto _ : state) {
        long peak = 0;
        if (!bench_support::RunProcess({ToolPath, "compose", Dir + "/left.jpg", Dir + "/right.jpg", Dir + "/a.bmp"},
                                       peak))
            state.SkipWithError("tremalu-cli compose failed");
    }
}

void Glasses_subject(benchmark::State& state)
{
    ShowBothSides();
    for (auto _ : state)
        Depart->calculClick(*Depart->calcul);
}

BENCHMARK(Baseline)->Name("DialogOk/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DialogOk_subject)->Name("DialogOk/subject")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Baseline)->Name("StartPair/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StartPair_subject)->Name("StartPair/subject")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Glasses_baseline)->Name("Glasses/baseline")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Glasses_subject)->Name("Glasses/subject")->Unit(benchmark::kMillisecond)->UseRealTime();

// What a memory child runs: the program started, with both sides shown or
// with none.
int RunScript(const std::string& script, char* argv0)
{
    TPictureModules modules;
    TToolkit toolkit(argv0);
    TApplication application;
    StartWindows(application);
    if (script == "shown")
        ShowBothSides();
    QCoreApplication::processEvents();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Real windows, drawn off any screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 4 && std::strcmp(argv[1], "--script") == 0) {
        Dir = argv[3];
        return RunScript(argv[2], argv[0]);
    }

    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
    ToolPath = (self.parent_path().parent_path() / "tools" / "tremalu-cli").string();
    char pattern[] = "/tmp/tremalu-previews-XXXXXX";
    Dir = ::mkdtemp(pattern);
    {
        TPictureModules modules;
        bench_support::WritePhotoJpeg(Dir + "/left.jpg", 1);
        bench_support::WritePhotoJpeg(Dir + "/right.jpg", 2);
    }
    long startKiB = 0, shownKiB = 0;
    const bool measured = bench_support::RunProcess({self.string(), "--script", "start", Dir}, startKiB) &&
                          bench_support::RunProcess({self.string(), "--script", "shown", Dir}, shownKiB);

    int status = 0;
    {
        TPictureModules modules;
        TToolkit toolkit(argv[0]);
        TApplication application;
        TPaintingPresenter presenter;
        TPresenterOverride installed(presenter);
        StartWindows(application);
        bench_support::Budget("DialogOk", 0.8, "dialog OK -> LEFT preview and label painted / one full decode");
        bench_support::Budget("StartPair", 1.2, "both sides given at start -> both painted / one full decode");
        bench_support::Budget("Glasses", 1.0, "glasses -> result window painted / tremalu-cli compose (BMP)");
        status = bench_support::RunAndReportRatios(argc, argv);
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }
    std::filesystem::remove_all(Dir);
    if (!measured) {
        std::printf("a memory run failed\n");
        return 1;
    }
    const double shownMiB = double(shownKiB) / 1024.0;
    std::printf("peak memory, program started with two 6000x4000 JPEGs shown: %.0f MiB (limit %.0f);\n"
                "  the same program with no picture: %.0f MiB\n",
                shownMiB, PeakLimitMiB, double(startKiB) / 1024.0);
    return shownMiB <= PeakLimitMiB ? status : 1;
}
