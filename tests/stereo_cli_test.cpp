// The batch tool's stereo commands: option errors, the shift's refusal, MPO
// and JPS files made by our own writers, the batch's pairing rules and a
// batch with a failing file; the MPO index reader's refusals; two files read
// as they are composed against the same files read as pictures.
#include "stereo/batch_plan.h"
#include "bmp_builder.h"
#include "cli_commands.h"
#include "cli_stereo.h"
#include "core/errors.h"
#include "formats/jpeg/mpo_index.h"
#include "jpeg_fixtures.h"
#include "mpo_builder.h"
#include "stereo/stereo_compose.h"
#include "stereo_scene.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sys/stat.h>
#include <sstream>

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
