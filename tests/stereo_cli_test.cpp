// The batch tool's stereo commands: option errors, the shift's refusal, MPO
// and JPS files made by our own writers, the batch's pairing rules and a
// batch with a failing file; the MPO index reader's refusals; two files read
// as they are composed against the same files read as pictures; a batch
// reading what it writes; the batch's threads over animated GIFs and a
// failure on a second thread.
#include "stereo/batch_plan.h"
#include "bmp_builder.h"
#include "cli_commands.h"
#include "cli_stereo.h"
#include "core/errors.h"
#include "core/second_thread.h"
#include "formats/jpeg/mpo_index.h"
#include "gif_builder.h"
#include "jpeg_fixtures.h"
#include "mpo_builder.h"
#include "stereo/stereo_compose.h"
#include "stereo_scene.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <regex>
#include <filesystem>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

using namespace tremalu;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

struct ToolRun {
    int Code;
    std::string Err;
};

ToolRun Tool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, err.str()};
}

std::vector<uint8_t> Jpeg(int32_t w, int32_t h, uint32_t seed)
{
    return testing_support::EncodeJpeg(
        *testing_support::DeviceBitmap(w, h, [seed](int32_t x, int32_t y) { return (x * 7 + y * 13 + seed) * 0x010305u & 0xFFFFFF; }),
        90);
}

std::vector<uint8_t> Bmp(int32_t w, int32_t h, uint32_t color)
{
    testing_support::BmpFields f;
    f.Width = w;
    f.Height = h;
    f.Pixels = testing_support::Rows24(w, std::vector<std::vector<uint32_t>>(static_cast<size_t>(h), std::vector<uint32_t>(w, color)));
    return testing_support::BuildBmp(f);
}

struct UsageCase {
    const char* Name;
    std::vector<std::string> Args;  // "@" stands for an existing picture
};

class StereoUsage : public testing::TestWithParam<UsageCase> {};

const UsageCase UsageCases[] = {
    {"UnknownOption", {"compose", "--couleur", "@", "@", "out.jpg"}},
    {"UnknownMethod", {"compose", "--methode", "rouge", "@", "@", "out.jpg"}},
    {"MethodWithoutValue", {"compose", "@", "@", "out.jpg", "--methode"}},
    {"UnknownGlasses", {"compose", "--lunettes=bleu-rouge", "@", "@", "out.jpg"}},
    {"HalfColourForGreenMagenta", {"compose", "--methode", "demi-couleur", "--lunettes", "vert-magenta", "@", "@", "out.jpg"}},
    {"ShiftNotANumber", {"compose", "--decalage", "dix", "@", "@", "out.jpg"}},
    {"ShiftWithEmptyDy", {"compose", "--decalage", "3,", "@", "@", "out.jpg"}},
    {"ShiftWithThreeValues", {"compose", "--decalage", "1,2,3", "@", "@", "out.jpg"}},
    {"ShiftOutOfRange", {"compose", "--decalage", "99999999999", "@", "@", "out.jpg"}},
    {"FlagWithValue", {"compose", "--aligner=oui", "@", "@", "out.jpg"}},
    {"OnePlainPicture", {"compose", "@", "out.jpg"}},
    {"SideBySideWithTwoPictures", {"compose", "--cote-a-cote", "@", "@", "out.jpg"}},
    {"BatchWithoutFiles", {"lot", "."}},
};

}  // namespace

TEST_P(StereoUsage, GivesTheUsageAndWritesNothing)
{
    TempDir dir;
    WriteBytes(dir.File("p.bmp"), Bmp(4, 3, 0x336699));
    std::vector<std::string> args = GetParam().Args;
    for (std::string& a : args)
        a = a == "@" ? dir.File("p.bmp") : a == "out.jpg" ? dir.File(a) : a;
    const ToolRun r = Tool(args);
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("Usage :"), std::string::npos);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"p.bmp"});
}

INSTANTIATE_TEST_SUITE_P(, StereoUsage, testing::ValuesIn(UsageCases), [](const auto& info) { return info.param.Name; });

TEST(StereoCompose, AShiftWithoutOverlapIsRefusedAndWritesNothing)
{
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), Bmp(4, 3, 0x336699));
    const ToolRun r = Tool({"compose", "--decalage", "-2,3", dir.File("g.bmp"), dir.File("g.bmp"), dir.File("a.jpg")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, std::string(NoOverlapText) + "\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"g.bmp"});
}

TEST(StereoCompose, SwappedSidesAndShiftCropTheResult)
{
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), Bmp(6, 4, 0x804020));
    WriteBytes(dir.File("d.bmp"), Bmp(6, 4, 0x102030));
    const ToolRun r = Tool({"compose", "--inverser", "--decalage=2,-1", dir.File("g.bmp"), dir.File("d.bmp"), dir.File("a.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    const std::vector<unsigned char> out = ReadBytes(dir.File("a.bmp"));
    ASSERT_EQ(out.size(), 54u + 4 * 4 * 3);
    // Red of the picture given second, green and blue of the first.
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + 54, out.begin() + 58), (std::vector<unsigned char>{0x20, 0x40, 0x10, 0}));
}

TEST(StereoCompose, AnMpoFileGivesTheAnaglyphOfItsFirstTwoImages)
{
    TempDir dir;
    const std::vector<uint8_t> left = Jpeg(40, 24, 1), right = Jpeg(40, 24, 2);
    WriteBytes(dir.File("l.jpg"), left);
    WriteBytes(dir.File("r.jpg"), right);
    testing_support::MpoFields f;
    f.Images = {left, right, Jpeg(8, 8, 3)};
    WriteBytes(dir.File("p.MPO"), testing_support::BuildMpo(f));
    f.BigEndian = false;
    f.Images.pop_back();
    f.Parallax = std::pair{-35, 10};  // -3.5 % of 40 pixels: DX = Round(-1.4) = -1
    WriteBytes(dir.File("fuji.mpo"), testing_support::BuildMpo(f));

    ASSERT_EQ(Tool({"compose", dir.File("l.jpg"), dir.File("r.jpg"), dir.File("pair.jpg")}).Code, 0);
    ToolRun r = Tool({"compose", dir.File("p.MPO"), dir.File("mpo.jpg")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("mpo.jpg")), ReadBytes(dir.File("pair.jpg")));

    // The camera's parallax is applied only when asked for.
    ASSERT_EQ(Tool({"compose", "--decalage", "-1", dir.File("l.jpg"), dir.File("r.jpg"), dir.File("shifted.jpg")}).Code, 0);
    r = Tool({"compose", "--parallaxe", dir.File("fuji.mpo"), dir.File("fuji.jpg")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_TRUE(r.Err.empty()) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("fuji.jpg")), ReadBytes(dir.File("shifted.jpg")));
    ASSERT_EQ(Tool({"compose", dir.File("fuji.mpo"), dir.File("plain.jpg")}).Code, 0);
    EXPECT_EQ(ReadBytes(dir.File("plain.jpg")), ReadBytes(dir.File("pair.jpg")));

    // Without a parallax in the file, --parallaxe says so and goes on.
    r = Tool({"compose", "--parallaxe", dir.File("p.MPO"), dir.File("none.jpg")});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Err, std::string(NoParallaxText) + "\n");
    EXPECT_EQ(ReadBytes(dir.File("none.jpg")), ReadBytes(dir.File("pair.jpg")));
}

TEST(StereoCompose, AJpsFileIsCrossEyedAndSideBySideIsNot)
{
    TempDir dir;
    // 41 pixels wide: halves of 20, the last column unused. Left half pure
    // cyan, right half pure red.
    const auto halves = [](int32_t x, int32_t) { return x < 20 ? 0x00FFFFu : x < 40 ? 0xFF0000u : 0x000000u; };
    const std::vector<uint8_t> jps = testing_support::EncodeJpeg(*testing_support::DeviceBitmap(41, 16, halves), 100);
    WriteBytes(dir.File("x.jps"), jps);
    ToolRun r = Tool({"compose", dir.File("x.jps"), dir.File("a.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    // LEFT eye (right half) red, RIGHT eye (left half) green and blue: white.
    std::vector<unsigned char> out = ReadBytes(dir.File("a.bmp"));
    ASSERT_EQ(out.size(), 54u + 4 * 20 * 16);
    for (size_t p = 54 + 4 * (8 * 20 + 10); p < 54 + 4 * (8 * 20 + 10) + 3; ++p)
        EXPECT_GE(out[p], 0xF0);

    // The same picture side by side the other way: nothing of either.
    WriteBytes(dir.File("x.jpg"), jps);
    r = Tool({"compose", "--cote-a-cote", dir.File("x.jpg"), dir.File("b.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    out = ReadBytes(dir.File("b.bmp"));
    for (size_t p = 54 + 4 * (8 * 20 + 10); p < 54 + 4 * (8 * 20 + 10) + 3; ++p)
        EXPECT_LE(out[p], 0x10);
}

TEST(StereoCompose, AlignmentPrintsItsEstimateAndCorrectsIt)
{
    TempDir dir;
    testing_support::StereoScene s;
    s.Width = 360;
    s.Height = 240;
    s.RightLower = 7;
    s.RightGain = 0.9;
    WriteBytes(dir.File("g.jpg"), testing_support::EncodeJpeg(*testing_support::RenderStereoEye(s, false), 90));
    WriteBytes(dir.File("d.jpg"), testing_support::EncodeJpeg(*testing_support::RenderStereoEye(s, true), 90));
    const ToolRun r = Tool({"compose", "--aligner", "--decalage", "0,1", dir.File("g.jpg"), dir.File("d.jpg"), dir.File("a.bmp")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r.Err, m, std::regex("Décalage vertical estimé : (-?[0-9]+) pixels\n"))) << r.Err;
    const int estimate = std::stoi(m[1]);
    EXPECT_NEAR(estimate, 7, 1);
    // The estimate is added to the DY given: the result loses that many rows.
    const std::vector<unsigned char> out = ReadBytes(dir.File("a.bmp"));
    EXPECT_EQ(out[22] | out[23] << 8, 240 - (estimate + 1));
}

namespace {

// The automatic window against the shift it prints: the same bytes, from
// compose and from lot; with nothing to match, the shift given unchanged.
struct AutoWindowCase {
    const char* Name;
    bool Textured;           // a layered scene, or plain black in both eyes
    const char* GivenShift;  // --decalage given besides
    const char* Expected;  // the lines on standard error, the shift and depth as groups
};

class AutomaticWindow : public testing::TestWithParam<AutoWindowCase> {};

const AutoWindowCase AutoWindowCases[] = {
    {"LayeredScene", true, "3",
     "Fenêtre stéréo estimée : (-?[0-9]+) pixels\nProfondeur : ([0-9]+) pixels \\(([0-9]+,[0-9]) % de la largeur\\)\n"},
    {"NothingToMatch", false, "3", "(Aucun appui trouvé : décalage inchangé\\.)\n"},
};

}  // namespace

TEST_P(AutomaticWindow, GivesTheBytesOfTheShiftItPrints)
{
    const AutoWindowCase& c = GetParam();
    TempDir dir;
    testing_support::LayeredScene s;
    s.Width = 360;
    s.Height = 240;
    s.BackgroundDisparity = 2;
    s.Layers = {{0.2, 0.2, 0.6, 0.8, 13}};
    // A gain of zero leaves the RIGHT eye plain black; the plain case shows
    // it to both eyes.
    if (!c.Textured)
        s.RightGain = 0.0;
    WriteBytes(dir.File("g_L.jpg"), testing_support::EncodeJpeg(*testing_support::RenderLayeredEye(s, !c.Textured), 90));
    WriteBytes(dir.File("g_R.jpg"), testing_support::EncodeJpeg(*testing_support::RenderLayeredEye(s, true), 90));
    ::mkdir(dir.File("out").c_str(), 0755);

    ToolRun r = Tool({"compose", "--fenetre-auto", "--decalage", c.GivenShift, dir.File("g_L.jpg"), dir.File("g_R.jpg"),
                      dir.File("auto.jpg")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r.Err, m, std::regex(c.Expected))) << r.Err;
    const std::string shift = c.Textured ? m[1].str() : std::string(c.GivenShift);
    if (c.Textured)
        EXPECT_NEAR(std::stoi(shift), 3 - 13, 1);  // the nearest layer onto the screen, plus the shift given
    const ToolRun batch = Tool({"lot", "--fenetre-auto", "--decalage", c.GivenShift, dir.File("out"),
                                dir.File("g_L.jpg"), dir.File("g_R.jpg")});
    ASSERT_EQ(batch.Code, 0) << batch.Err;
    EXPECT_NE(batch.Err.find("g_L.jpg : "), std::string::npos) << batch.Err;

    r = Tool({"compose", "--decalage", shift + ",0", dir.File("g_L.jpg"), dir.File("g_R.jpg"), dir.File("given.jpg")});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(ReadBytes(dir.File("auto.jpg")), ReadBytes(dir.File("given.jpg")));
    EXPECT_EQ(ReadBytes(dir.File("out/g.jpg")), ReadBytes(dir.File("given.jpg")));
}

INSTANTIATE_TEST_SUITE_P(, AutomaticWindow, testing::ValuesIn(AutoWindowCases), [](const auto& info) { return info.param.Name; });

// A picture that fails while the two are decoded at once, on this thread
// (LEFT) or on the second one (RIGHT): the automatic window gives the
// composition's own failure and writes nothing.
TEST(StereoCompose, TheAutomaticWindowFailsAsTheCompositionDoes)
{
    TempDir dir;
    const std::vector<uint8_t> good = Jpeg(64, 48, 1);
    WriteBytes(dir.File("a.jpg"), good);
    WriteBytes(dir.File("abime.jpg"), testing_support::WithSecondFrameHeader(Jpeg(64, 48, 2)));
    for (const auto& [left, right] : {std::pair{"a.jpg", "abime.jpg"}, std::pair{"abime.jpg", "a.jpg"}}) {
        const ToolRun plain = Tool({"compose", dir.File(left), dir.File(right), dir.File("plain.jpg")});
        const ToolRun window = Tool({"compose", "--fenetre-auto", dir.File(left), dir.File(right), dir.File("auto.jpg")});
        EXPECT_EQ(plain.Code, 1) << left;
        EXPECT_EQ(window.Code, 1) << left;
        EXPECT_EQ(window.Err, plain.Err) << left;
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.jpg", "abime.jpg"}));
    }
}

TEST(StereoCompose, AnMpoWithOneImageIsRefused)
{
    TempDir dir;
    testing_support::MpoFields f;
    f.Images = {Jpeg(8, 8, 1)};
    WriteBytes(dir.File("one.mpo"), testing_support::BuildMpo(f));
    const ToolRun r = Tool({"compose", dir.File("one.mpo"), dir.File("a.jpg")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_EQ(r.Err, MessageBoxText(texts::MpoTooFewImages) + "\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"one.mpo"});
}

namespace {

struct IndexCase {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Damage;
    const char* Text;
};

class MpoIndexRefusal : public testing::TestWithParam<IndexCase> {};

// A field of the big-endian index.
void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        file[at + k] = static_cast<uint8_t>(value >> (8 * (3 - k)));
}

const IndexCase IndexCases[] = {
    {"NoIndex", [](auto& f) { f[4] = 'X'; }, texts::MpoNoIndex},  // the APP2 signature
    {"SecondImageOutsideTheFile", [](auto& f) { Put32(f, testing_support::MpoEntryAt(1) + 8, 0x7FFFFFF0); }, texts::MpoBadEntry},
    {"SecondImageOverTheFirst", [](auto& f) { Put32(f, testing_support::MpoEntryAt(1) + 8, 40); }, texts::MpoBadEntry},
    {"AbsurdSize", [](auto& f) { Put32(f, testing_support::MpoEntryAt(1) + 4, 0xFFFFFFFF); }, texts::MpoBadEntry},
    {"EmptyImage", [](auto& f) { Put32(f, testing_support::MpoEntryAt(1) + 4, 0); }, texts::MpoBadEntry},
    {"FirstImageElsewhere", [](auto& f) { Put32(f, testing_support::MpoEntryAt(0) + 8, 16); }, texts::MpoBadEntry},
};

}  // namespace

TEST_P(MpoIndexRefusal, GivesTheReadersText)
{
    testing_support::MpoFields f;
    f.Images = {Jpeg(8, 8, 1), Jpeg(8, 8, 2)};
    std::vector<uint8_t> file = testing_support::BuildMpo(f);
    ASSERT_EQ(ReadMpoIndex(file.data(), file.size()).size(), 2u);
    GetParam().Damage(file);
    try {
        ReadMpoIndex(file.data(), file.size());
        ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), GetParam().Text);
    }
}

INSTANTIATE_TEST_SUITE_P(, MpoIndexRefusal, testing::ValuesIn(IndexCases), [](const auto& info) { return info.param.Name; });

TEST(BatchPlan, PairsByTheirEndingsAndKeepsTheRest)
{
    const TBatchPlan plan = PlanBatch({"a/DSCF0012.MPO", "b/x_R.jpg", "b/x_L.JPG", "b/y_l.jpg", "b/y_r.jpg", "zL.bmp",
                                       "zR.bmp", "c/w_L.jpg", "d/w_R.jpg", "v_L.jpg", "v_R.bmp", "alone.jpg", "s.jps"},
                                      false);
    std::vector<std::string> jobs;
    for (const TBatchJob& job : plan.Jobs) {
        std::string line = job.Name + ":";
        for (const std::string& input : job.Inputs)
            line += " " + input;
        jobs.push_back(line);
    }
    EXPECT_EQ(jobs, (std::vector<std::string>{"DSCF0012: a/DSCF0012.MPO", "x: b/x_L.JPG b/x_R.jpg",
                                               "y: b/y_l.jpg b/y_r.jpg", "z: zL.bmp zR.bmp", "s: s.jps"}));
    // Different folders or extensions do not pair.
    EXPECT_EQ(plan.Unpaired, (std::vector<std::string>{"c/w_L.jpg", "d/w_R.jpg", "v_L.jpg", "v_R.bmp", "alone.jpg"}));

    EXPECT_EQ(PlanBatch({"p_L.jpg", "p_R.jpg"}, true).Jobs.size(), 2u);  // side by side: each on its own
}

TEST(Batch, ComposesEveryJobAndReportsTheFailingOnes)
{
    TempDir dir;
    WriteBytes(dir.File("a_L.jpg"), Jpeg(16, 8, 1));
    WriteBytes(dir.File("a_R.jpg"), Jpeg(16, 8, 2));
    WriteBytes(dir.File("bL.bmp"), Bmp(5, 4, 0x804020));
    WriteBytes(dir.File("bR.bmp"), Bmp(5, 4, 0x102030));
    testing_support::MpoFields f;
    f.Images = {Jpeg(16, 8, 3), Jpeg(16, 8, 4)};
    WriteBytes(dir.File("c.mpo"), testing_support::BuildMpo(f));
    WriteBytes(dir.File("broken.mpo"), Jpeg(16, 8, 5));
    WriteBytes(dir.File("seul.jpg"), Jpeg(16, 8, 6));
    ::mkdir(dir.File("out").c_str(), 0755);

    const ToolRun r = Tool({"lot", "--methode", "gris", dir.File("out"), dir.File("a_L.jpg"), dir.File("a_R.jpg"),
                        dir.File("broken.mpo"), dir.File("bL.bmp"), dir.File("bR.bmp"), dir.File("c.mpo"),
                        dir.File("seul.jpg")});
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("broken.mpo : " + MessageBoxText(texts::MpoNoIndex) + "\n"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(std::string("seul.jpg : ") + UnpairedText + ".\n"), std::string::npos) << r.Err;
    EXPECT_EQ(r.Err.find('\r'), std::string::npos);  // no progress line off a terminal
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        EXPECT_GT(ReadBytes(dir.File(std::string("out/") + name)).size(), 2u) << name;
}

namespace {

// Two files composed as they are read, against the same files read as
// pictures first: the same file, or the same failure.
struct ReadingCase {
    const char* Name;
    const char* Left;
    const char* Right;
    int64_t ShiftY;  // a shift crops both sides, one at the top, the other at the bottom
    bool Composes;
};

class PairReading : public testing::TestWithParam<ReadingCase> {};

const ReadingCase ReadingCases[] = {
    {"TwoJpegFiles", "a.jpg", "b.jpg", 0, true},
    {"JpegAndBitmap", "a.jpg", "c.bmp", 0, true},
    {"BitmapAndJpeg", "c.bmp", "b.jpg", 0, true},
    {"ShiftedFarMoreThanTheRowsHeldAhead", "a.jpg", "b.jpg", 100, true},
    {"ShiftedTheOtherWay", "a.jpg", "b.jpg", -100, true},
    {"RightFarTallerThanLeft", "a.jpg", "grand.jpg", 0, true},
    {"TruncatedFile", "a.jpg", "tronque.jpg", 0, true},
    {"DamagedAfterTheImage", "abime.jpg", "b.jpg", 0, false},
    {"EmptyFile", "vide.jpg", "b.jpg", 0, false},
    {"NotAJpegFile", "a.jpg", "texte.jpg", 0, false},
    {"MissingFile", "absent.jpg", "b.jpg", 0, false},
    {"BothFailTheLeftIsTold", "texte.jpg", "vide.jpg", 0, false},
};

// The anaglyph's bytes, or the failure's text.
std::string Compose(const TempDir& dir, const ReadingCase& c, TPairReading reading)
{
    const std::string out = dir.File(reading == TPairReading::Pictures ? "pictures.jpg" : "rows.jpg");
    try {
        TStereoPair pair = LoadPicturePair(dir.File(c.Left), dir.File(c.Right), reading);
        TStereoOptions options;
        options.Shift = c.ShiftY != 0;
        options.ShiftY = c.ShiftY;
        std::vector<std::string> notes;
        SaveStereoAnaglyph(pair, options, out, notes);
    } catch (const std::exception&) {
        return "failure: " + CurrentFailureText();
    }
    const std::vector<unsigned char> bytes = ReadBytes(out);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST_P(PairReading, RowsReadAsComposedGiveWhatPicturesGive)
{
    TempDir dir;
    WriteBytes(dir.File("a.jpg"), Jpeg(24, 230, 1));
    const std::vector<uint8_t> b = Jpeg(24, 230, 2);
    WriteBytes(dir.File("b.jpg"), b);
    WriteBytes(dir.File("c.bmp"), Bmp(24, 230, 0x336699));
    WriteBytes(dir.File("grand.jpg"), Jpeg(24, 400, 3));
    WriteBytes(dir.File("tronque.jpg"), std::vector<uint8_t>(b.begin(), b.begin() + static_cast<long>(b.size() / 2)));
    WriteBytes(dir.File("abime.jpg"), testing_support::WithSecondFrameHeader(b));
    WriteBytes(dir.File("vide.jpg"), {});
    WriteBytes(dir.File("texte.jpg"), {'n', 'o', 'n'});

    const ReadingCase& c = GetParam();
    const std::string pictures = Compose(dir, c, TPairReading::Pictures);
    EXPECT_EQ(pictures.rfind("failure: ", 0) != 0, c.Composes) << pictures;
    EXPECT_EQ(Compose(dir, c, TPairReading::ComposedRows), pictures);
}

INSTANTIATE_TEST_SUITE_P(, PairReading, testing::ValuesIn(ReadingCases), [](const auto& info) { return info.param.Name; });

TEST(ComposedRows, AnOutputThatReplacesItsOwnInputIsMadeFromTheOldFile)
{
    TempDir dir;
    WriteBytes(dir.File("a.jpg"), Jpeg(24, 90, 1));
    WriteBytes(dir.File("b.jpg"), Jpeg(24, 90, 2));
    ASSERT_EQ(Tool({"compose", dir.File("a.jpg"), dir.File("b.jpg"), dir.File("ref.jpg")}).Code, 0);
    ASSERT_EQ(Tool({"compose", dir.File("a.jpg"), dir.File("b.jpg"), dir.File("a.jpg")}).Code, 0);
    EXPECT_EQ(ReadBytes(dir.File("a.jpg")), ReadBytes(dir.File("ref.jpg")));
}

namespace {

// A batch where one pair's output is another pair's input, the input named
// in different ways. In every case the pair Y_L (in/Y_L_L.jpg, in/Y_L_R.jpg)
// writes out/Y_L.jpg.
struct ChainCase {
    const char* Name;
    std::string ReadFrom;   // how the pair Y names the folder of its pictures (out/ is meant)
    bool OutputExists;      // out/Y_L.jpg is there before the batch
    bool ThroughLink;       // link/ is a symbolic link to out/
};

class ChainedBatch : public testing::TestWithParam<ChainCase> {};

const ChainCase ChainCases[] = {
    {"OutputNotWrittenYet", "out/", false, false},
    {"OutputAlreadyThere", "out/", true, false},
    {"FolderSpelledAnotherWay", "out/./", false, false},
    {"FolderReachedThroughALink", "link/", false, true},
};

}  // namespace

TEST_P(ChainedBatch, IsRefusedBeforeAnythingIsWritten)
{
    const ChainCase& c = GetParam();
    TempDir dir;
    ::mkdir(dir.File("in").c_str(), 0755);
    ::mkdir(dir.File("out").c_str(), 0755);
    if (c.ThroughLink)
        ASSERT_EQ(::symlink(dir.File("out").c_str(), dir.File("link").c_str()), 0);
    WriteBytes(dir.File("in/Y_L_L.jpg"), Jpeg(16, 8, 1));
    WriteBytes(dir.File("in/Y_L_R.jpg"), Jpeg(16, 8, 2));
    WriteBytes(dir.File("out/Y_R.jpg"), Jpeg(16, 8, 3));
    if (c.OutputExists)
        WriteBytes(dir.File("out/Y_L.jpg"), Jpeg(16, 8, 4));
    const auto outputs = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.File("out")))
            names.push_back(entry.path().filename().string() + ":" + std::to_string(entry.file_size()));
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = outputs();
    const std::vector<uint8_t> right = ReadBytes(dir.File("out/Y_R.jpg"));

    const ToolRun r = Tool({"lot", dir.File("out"), dir.File("in/Y_L_L.jpg"), dir.File("in/Y_L_R.jpg"),
                            dir.File(c.ReadFrom + "Y_L.jpg"), dir.File(c.ReadFrom + "Y_R.jpg")});
    EXPECT_EQ(r.Code, 2);
    EXPECT_EQ(r.Err.rfind(MessageBoxText(FormatMessage(ChainedInputText, {dir.File(c.ReadFrom + "Y_L.jpg")})) + "\n", 0), 0u)
        << r.Err;
    EXPECT_EQ(outputs(), before);
    EXPECT_EQ(ReadBytes(dir.File("out/Y_R.jpg")), right);
}

INSTANTIATE_TEST_SUITE_P(, ChainedBatch, testing::ValuesIn(ChainCases), [](const auto& info) { return info.param.Name; });

// Outputs in the inputs' folder that no job reads: the batch runs.
TEST(Batch, WritingBesideInputsThatNoJobReadsRuns)
{
    TempDir dir;
    WriteBytes(dir.File("a_L.jpg"), Jpeg(16, 8, 1));
    WriteBytes(dir.File("a_R.jpg"), Jpeg(16, 8, 2));
    WriteBytes(dir.File("b_L.jpg"), Jpeg(16, 8, 3));
    WriteBytes(dir.File("b_R.jpg"), Jpeg(16, 8, 4));
    const ToolRun r = Tool({"lot", dir.Path(), dir.File("a_L.jpg"), dir.File("a_R.jpg"), dir.File("b_L.jpg"),
                            dir.File("b_R.jpg")});
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_GT(ReadBytes(dir.File("a.jpg")).size(), 2u);
    EXPECT_GT(ReadBytes(dir.File("b.jpg")).size(), 2u);
}

// ---------------------------------------------------------------- the batch's threads

namespace {

// An animated GIF of four frames on a 40 × 30 screen, looping for ever:
// the first frame covers part of the screen, with transparent pixels, and
// is cleared to the background after it (disposal 2). No colour of the
// table is white, the colour showing through.
std::vector<uint8_t> AnimatedGif(uint8_t seed)
{
    const std::vector<uint32_t> colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                          0xFFFF00, 0x808080, 0x123456, 0x00FFFF};
    testing_support::GifWriter w;
    w.Header(40, 30, colors, 3).Loop(0);
    for (uint8_t frame = 0; frame < 4; ++frame) {
        const uint16_t width = frame == 0 ? 30 : 40, height = frame == 0 ? 20 : 30;
        std::vector<uint8_t> pixels(size_t{width} * height);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>((i * (seed + 3) / 7 + frame + seed) % 8);
        w.GraphicControl(frame == 0 ? 2 : 1, 2, 0);
        w.Image(frame == 0 ? 5 : 0, frame == 0 ? 4 : 0, width, height, pixels);
    }
    return w.Trailer().Bytes();
}

}  // namespace

// Both batch threads meet animated GIF pairs. Only the tool's main thread
// animates (and runs what painters hand over); the other draws first frames
// without a painter. Every run must end, with what compose (on the main
// thread, through a painter) makes of each pair. It hung about every other
// run when both threads started painters.
TEST(Batch, OfAnimatedGifPairsEndsEveryTimeWithWhatComposeMakes)
{
    TempDir dir;
    for (const char* pair : {"p1", "p2"}) {
        const uint8_t seed = pair[1] == '1' ? 1 : 4;
        WriteBytes(dir.File(std::string(pair) + "_L.gif"), AnimatedGif(seed));
        WriteBytes(dir.File(std::string(pair) + "_R.gif"), AnimatedGif(static_cast<uint8_t>(seed + 1)));
        ASSERT_EQ(Tool({"compose", dir.File(std::string(pair) + "_L.gif"), dir.File(std::string(pair) + "_R.gif"),
                        dir.File(std::string(pair) + "_ref.jpg")})
                      .Code,
                  0);
    }
    for (int run = 0; run < 8; ++run) {
        const std::string out = dir.File("out" + std::to_string(run));
        ::mkdir(out.c_str(), 0755);
        const ToolRun r = Tool({"lot", out, dir.File("p1_L.gif"), dir.File("p1_R.gif"), dir.File("p2_L.gif"),
                                dir.File("p2_R.gif")});
        ASSERT_EQ(r.Code, 0) << r.Err;
        EXPECT_EQ(ReadBytes(out + "/p1.jpg"), ReadBytes(dir.File("p1_ref.jpg"))) << "run " << run;
        EXPECT_EQ(ReadBytes(out + "/p2.jpg"), ReadBytes(dir.File("p2_ref.jpg"))) << "run " << run;
    }
}

namespace {

// Memory running out on every second thread, for the test's lifetime.
class SecondThreadsOutOfMemory {
public:
    SecondThreadsOutOfMemory() { SetSecondThreadFault([] { throw std::bad_alloc(); }); }
    ~SecondThreadsOutOfMemory() { SetSecondThreadFault(nullptr); }
    SecondThreadsOutOfMemory(const SecondThreadsOutOfMemory&) = delete;
    SecondThreadsOutOfMemory& operator=(const SecondThreadsOutOfMemory&) = delete;
};

// The three places that put work on a second thread.
struct SecondThreadCase {
    const char* Name;
    std::vector<std::string> Args;  // "@x" is the file x of the test's folder
    bool WritesNothing;             // the batch's first thread still makes its jobs
};

class SecondThreadFailure : public testing::TestWithParam<SecondThreadCase> {};

const SecondThreadCase SecondThreadCases[] = {
    {"AlignmentReduction", {"compose", "--aligner", "@g.bmp", "@d.bmp", "@a.jpg"}, true},
    {"SecondDecodeOfTheAlignment", {"compose", "--aligner", "@g.jpg", "@d.jpg", "@a.jpg"}, true},
    {"BatchSecondJob", {"lot", "@out", "@g_L.jpg", "@g_R.jpg", "@d_L.jpg", "@d_R.jpg"}, false},
};

}  // namespace

// A failure on the second thread is raised on the thread that joins it and
// reported as the program reports it: "Mémoire insuffisante.", exit 1, not
// the end of the process.
TEST_P(SecondThreadFailure, IsCarriedBackAndReported)
{
    const SecondThreadCase& c = GetParam();
    TempDir dir;
    WriteBytes(dir.File("g.bmp"), Bmp(40, 600, 0x336699));
    WriteBytes(dir.File("d.bmp"), Bmp(40, 600, 0x996633));
    for (const char* name : {"g.jpg", "d.jpg", "g_L.jpg", "g_R.jpg", "d_L.jpg", "d_R.jpg"})
        WriteBytes(dir.File(name), Jpeg(48, 64, static_cast<uint32_t>(name[0] + name[1])));
    ::mkdir(dir.File("out").c_str(), 0755);
    std::vector<std::string> args = c.Args;
    for (std::string& a : args)
        if (a[0] == '@')
            a = dir.File(a.substr(1));
    const std::vector<std::string> before = dir.Entries();
    ToolRun r{};
    {
        SecondThreadsOutOfMemory fault;
        r = Tool(args);
    }
    EXPECT_EQ(r.Code, 1);
    const std::string text = MessageBoxText(texts::OutOfMemory) + "\n";
    ASSERT_GE(r.Err.size(), text.size()) << r.Err;
    EXPECT_EQ(r.Err.substr(r.Err.size() - text.size()), text) << r.Err;
    if (c.WritesNothing)
        EXPECT_EQ(dir.Entries(), before);
}

INSTANTIATE_TEST_SUITE_P(, SecondThreadFailure, testing::ValuesIn(SecondThreadCases),
                         [](const auto& info) { return info.param.Name; });
