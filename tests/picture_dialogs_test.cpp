// The picture dialogs run on the real file dialog, driven as a user would:
// the filter pairs and the file list they filter, the returned name and
// pair with their carry-over, the name completed from the selected pair,
// the guards of the save dialog and the dialog's place on its monitor.
#include "file_dialog_driver.h"
#include "dialogs/file_dialog_window.h"
#include "dialog_rules/filter_pairs.h"
#include "core/format_registry.h"
#include "core/graphic.h"
#include "dialogs/picture_dialogs.h"
#include "temp_dir.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

using namespace tremalu;
using testing_support::ChooseType;
using testing_support::Pick;
using testing_support::PressAccept;
using testing_support::PressCancel;
using testing_support::ShownNames;
using testing_support::ShownType;
using testing_support::TFileDialogDriver;
using testing_support::TypeName;
using testing_support::TypeTexts;

namespace {

const char* const SaveFilter = "Fichier image JPEG (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp";

QStringList Descriptions(const std::string& filter)
{
    QStringList texts;
    for (const TFilterPair& pair : ParseFilter(filter))
        texts << QString::fromStdString(pair.Description);
    return texts;
}

// A folder with files of several extensions in several cases; the files
// are empty, since only their names count here.
class PictureDialogs : public ::testing::Test {
protected:
    PictureDialogs()
    {
        for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "D.JpEg", "e.bmp", "F.BMP", "g.png", "notes.txt",
                                 "sans_extension", "x.jpg.bak"})
            Touch(name);
        std::filesystem::create_directory(Dir.File("Dossier"));
    }

    void Touch(const std::string& name) { std::ofstream(Dir.File(name)) << "x"; }
    QString Path(const std::string& name) const { return QString::fromStdString(Dir.File(name)); }

    // The save dialog of the result window.
    void AsResultWindowDoes(TSavePictureDialog& dialog) const
    {
        dialog.DefaultExt = "jpg";
        dialog.Filter = SaveFilter;
        dialog.Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofHideReadOnly,
                          TOpenOption::ofNoReadOnlyReturn};
        dialog.InitialDir = Dir.Path();
    }

    testing_support::TempDir Dir;
    TFileDialogDriver Driver;
    TPresenterOverride Installed{Driver};
};

TEST_F(PictureDialogs, OpenDialogShowsEveryRegisteredKindWithTheAllPairFirst)
{
    TOpenPictureDialog dialog;
    EXPECT_EQ(dialog.Filter, PictureFilter(TGraphic::StaticClass()));
    const std::vector<TFilterPair> pairs = ParseFilter(dialog.Filter);
    ASSERT_GE(pairs.size(), 4u);  // bmp, jpeg and jpg at least, and "Tout"
    // The first pair gathers every other pair's pattern, in their order.
    std::vector<std::string> others;
    for (size_t i = 1; i < pairs.size(); ++i)
        others.insert(others.end(), pairs[i].Patterns.begin(), pairs[i].Patterns.end());
    EXPECT_EQ(pairs[0].Patterns, others);
    std::string joined;
    for (const std::string& pattern : others)
        joined += (joined.empty() ? "" : ";") + pattern;
    EXPECT_EQ(pairs[0].Description, "Tout (" + joined + ")");

    QStringList shown;
    Driver.Drive = [&](QFileDialog& d) {
        shown = TypeTexts(d);
        EXPECT_EQ(ShownType(d), shown.value(0));
        PressCancel(d);
    };
    dialog.InitialDir = Dir.Path();
    EXPECT_FALSE(dialog.Run());
    // Each description exactly as written, in the filter's order.
    EXPECT_EQ(shown, Descriptions(dialog.Filter));
    EXPECT_TRUE(shown.contains(QStringLiteral("Fichier image JPEG (*.jpg)")));
    EXPECT_TRUE(shown.contains(QStringLiteral("Bitmaps (*.bmp)")));
    EXPECT_TRUE(shown.contains(QStringLiteral("Icônes (*.ico)")));
    EXPECT_TRUE(shown.contains(QStringLiteral("MétaFichiers évolués (*.emf)")));
    EXPECT_TRUE(shown.contains(QStringLiteral("MétaFichiers (*.wmf)")));
}

TEST_F(PictureDialogs, SaveDialogShowsItsTwoPairsJpegFirst)
{
    TSavePictureDialog dialog;
    AsResultWindowDoes(dialog);
    QStringList shown;
    Driver.Drive = [&](QFileDialog& d) {
        shown = TypeTexts(d);
        PressCancel(d);
    };
    dialog.Run();
    EXPECT_EQ(shown, (QStringList{"Fichier image JPEG (*.jpg)", "Bitmaps (*.bmp)"}));
}

TEST_F(PictureDialogs, FileListShowsFoldersAndTheFilesOfTheSelectedPairWhateverTheirCase)
{
    TOpenPictureDialog dialog;
    dialog.Filter = "Tout (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG (*.jpg)|*.jpg|JPEG (*.jpeg)|*.jpeg|"
                    "Bitmaps (*.bmp)|*.bmp|Texte ou sans extension|*.txt;sans_*";
    dialog.InitialDir = Dir.Path();
    std::vector<QStringList> lists;
    Driver.Drive = [&](QFileDialog& d) {
        lists.push_back(ShownNames(d, {"Dossier", "a.jpg", "B.JPG", "c.jpeg", "D.JpEg", "e.bmp", "F.BMP"}));
        // Chosen by the user in the file type box...
        ChooseType(d, 1);
        lists.push_back(ShownNames(d, {"Dossier", "a.jpg", "B.JPG"}));
        ChooseType(d, 4);
        lists.push_back(ShownNames(d, {"Dossier", "notes.txt", "sans_extension"}));
        // ...or selected by the program.
        d.selectNameFilter(QStringLiteral("JPEG (*.jpeg)"));
        lists.push_back(ShownNames(d, {"Dossier", "c.jpeg", "D.JpEg"}));
        ChooseType(d, 3);
        lists.push_back(ShownNames(d, {"Dossier", "e.bmp", "F.BMP"}));
        PressCancel(d);
    };
    dialog.Run();
    ASSERT_EQ(lists.size(), 5u);
    EXPECT_EQ(lists[0], (QStringList{"B.JPG", "D.JpEg", "Dossier", "F.BMP", "a.jpg", "c.jpeg", "e.bmp"}));
    EXPECT_EQ(lists[1], (QStringList{"B.JPG", "Dossier", "a.jpg"}));
    EXPECT_EQ(lists[2], (QStringList{"Dossier", "notes.txt", "sans_extension"}));
    EXPECT_EQ(lists[3], (QStringList{"D.JpEg", "Dossier", "c.jpeg"}));
    EXPECT_EQ(lists[4], (QStringList{"Dossier", "F.BMP", "e.bmp"}));
}

TEST_F(PictureDialogs, TheFilterIndexOpensWithItsPairAndItsFiles)
{
    TSavePictureDialog dialog;
    AsResultWindowDoes(dialog);
    dialog.FilterIndex = 2;
    QString type;
    QStringList names;
    Driver.Drive = [&](QFileDialog& d) {
        type = ShownType(d);
        names = ShownNames(d, {"Dossier", "e.bmp", "F.BMP"});
        PressCancel(d);
    };
    dialog.Run();
    EXPECT_EQ(type, "Bitmaps (*.bmp)");
    EXPECT_EQ(names, (QStringList{"Dossier", "F.BMP", "e.bmp"}));
}

TEST_F(PictureDialogs, ConfirmedRunReturnsTheFullPathAndPairThatCarryOverToTheNextRun)
{
    TOpenPictureDialog dialog;
    dialog.Filter = "JPEG (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp";
    dialog.InitialDir = Dir.Path();
    Driver.Drive = [&](QFileDialog& d) {
        ChooseType(d, 1);
        ASSERT_TRUE(Pick(d, "F.BMP"));
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("F.BMP"));
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_EQ(dialog.Files, std::vector<std::string>{Dir.File("F.BMP")});

    // The next run shows the previous choice again; cancelling it keeps it.
    QString type, name;
    Driver.Drive = [&](QFileDialog& d) {
        type = ShownType(d);
        name = d.selectedFiles().value(0);
        PressCancel(d);
    };
    EXPECT_FALSE(dialog.Run());
    EXPECT_EQ(type, "Bitmaps (*.bmp)");
    EXPECT_EQ(name, Path("F.BMP"));
    EXPECT_EQ(dialog.FileName, Dir.File("F.BMP"));
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_TRUE(dialog.Files.empty());
    EXPECT_EQ(Driver.FileDialogs, 2);
}

TEST_F(PictureDialogs, NameTypedWithoutExtensionGetsTheSelectedPairsExtension)
{
    TSavePictureDialog dialog;
    AsResultWindowDoes(dialog);
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "photo");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("photo.jpg"));
    EXPECT_EQ(dialog.FilterIndex, 1);
    EXPECT_FALSE(dialog.Options.contains(TOpenOption::ofExtensionDifferent));

    Driver.Drive = [&](QFileDialog& d) {
        ChooseType(d, 1);
        TypeName(d, "vue");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("vue.bmp"));
    EXPECT_EQ(dialog.FilterIndex, 2);
    // bmp is not the default extension jpg.
    EXPECT_TRUE(dialog.Options.contains(TOpenOption::ofExtensionDifferent));

    // A name with an extension of its own keeps it.
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "scan.tif");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("scan.tif"));
}

TEST_F(PictureDialogs, PairWithoutASingleExtensionGivesTheDefaultOne)
{
    TSavePictureDialog dialog;
    dialog.Filter = "Tous (*.*)|*.*";
    dialog.DefaultExt = "bmp";
    dialog.InitialDir = Dir.Path();
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "photo");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("photo.bmp"));
}

TEST_F(PictureDialogs, OpenDialogReturnsAnExistingFileWithoutExtensionAsItIs)
{
    TOpenPictureDialog dialog;
    dialog.Filter = "Tous (*)|*";
    dialog.DefaultExt = "jpg";
    dialog.InitialDir = Dir.Path();
    Driver.Drive = [&](QFileDialog& d) {
        ASSERT_TRUE(Pick(d, "sans_extension"));
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("sans_extension"));

    // A name that no file bears is completed.
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "nouveau");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("nouveau.jpg"));
}

TEST_F(PictureDialogs, ReplacingAFileIsConfirmedAndARefusalKeepsTheDialogOpen)
{
    TSavePictureDialog dialog;
    AsResultWindowDoes(dialog);
    Touch("vue.jpg");
    bool openAfterNo = false;
    Driver.MessageBoxAnswer = mrNo;
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "vue");
        ASSERT_TRUE(PressAccept(d));
        openAfterNo = d.isVisible();
        Driver.MessageBoxAnswer = mrYes;
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_TRUE(openAfterNo);
    EXPECT_EQ(dialog.FileName, Dir.File("vue.jpg"));
    ASSERT_EQ(Driver.Boxes.size(), 2u);
    const TMessageBoxRequest& question = Driver.Boxes[0];
    EXPECT_NE(question.Text.find("vue.jpg"), std::string::npos) << question.Text;
    EXPECT_EQ(question.Buttons, TMessageButtons::YesNo);
    EXPECT_EQ(question.Icon, TMessageIcon::Exclamation);

    // A new name asks nothing.
    Driver.Boxes.clear();
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "autre");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_TRUE(Driver.Boxes.empty());
}

TEST_F(PictureDialogs, WithoutTheOverwriteOptionAnExistingFileIsTakenAtOnce)
{
    TSavePictureDialog dialog;
    AsResultWindowDoes(dialog);
    dialog.Options.erase(TOpenOption::ofOverwritePrompt);
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "a.jpg");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("a.jpg"));
    EXPECT_TRUE(Driver.Boxes.empty());
}

TEST_F(PictureDialogs, ReadOnlyFileIsRefusedWithAMessageAndTheDialogStaysOpen)
{
    TSavePictureDialog dialog;
    AsResultWindowDoes(dialog);
    Touch("fige.jpg");
    ASSERT_EQ(::chmod(Dir.File("fige.jpg").c_str(), 0444), 0);
    bool openAfterRefusal = false;
    Driver.Drive = [&](QFileDialog& d) {
        TypeName(d, "fige");
        ASSERT_TRUE(PressAccept(d));
        openAfterRefusal = d.isVisible();
        TypeName(d, "libre");
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(dialog.FileName, Dir.File("libre.jpg"));
    // Refused, not asked about: the refusal is the only box.
    ASSERT_EQ(Driver.Boxes.size(), 1u);
    EXPECT_EQ(Driver.Boxes[0].Text, ReadOnlyRefusalText("fige.jpg"));
    EXPECT_EQ(Driver.Boxes[0].Buttons, TMessageButtons::Ok);
}

TEST_F(PictureDialogs, OpenDialogTakesAReadOnlyFile)
{
    TOpenPictureDialog dialog;
    dialog.InitialDir = Dir.Path();
    ASSERT_EQ(::chmod(Dir.File("a.jpg").c_str(), 0444), 0);
    Driver.Drive = [&](QFileDialog& d) {
        ASSERT_TRUE(Pick(d, "a.jpg"));
        ASSERT_TRUE(PressAccept(d));
    };
    ASSERT_TRUE(dialog.Run());
    EXPECT_EQ(dialog.FileName, Dir.File("a.jpg"));
    EXPECT_TRUE(Driver.Boxes.empty());
}

TEST_F(PictureDialogs, DialogSitsCentredAcrossAndAThirdDownItsMonitor)
{
    // A dialog window of a size that fits the test screen (the offscreen
    // platform keeps windows from sticking out at the left).
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    TOpenPictureDialog settings;
    settings.InitialDir = Dir.Path();
    TFileDialogWindow window(settings, false);
    window.resize(monitor.width() / 2 + 1, monitor.height() / 2 - 1);
    window.open();
    (void)QTest::qWaitForWindowExposed(&window);
    const QRect placed = window.frameGeometry();
    window.reject();
    EXPECT_EQ(placed.left(), monitor.left() + (monitor.width() - placed.width()) / 2);
    EXPECT_EQ(placed.top(), monitor.top() + (monitor.height() - placed.height()) / 3);

    // The dialogs as they run: a third of the way down, open or save.
    for (const bool saving : {false, true}) {
        std::unique_ptr<TOpenPictureDialog> dialog =
            saving ? std::make_unique<TSavePictureDialog>() : std::make_unique<TOpenPictureDialog>();
        dialog->InitialDir = Dir.Path();
        QRect run;
        Driver.Drive = [&](QFileDialog& d) {
            run = d.frameGeometry();
            PressCancel(d);
        };
        dialog->Run();
        ASSERT_FALSE(run.isEmpty());
        EXPECT_EQ(run.top(), monitor.top() + (monitor.height() - run.height()) / 3) << saving;
    }
}

TEST_F(PictureDialogs, OnlyTheDialogWithTheSizingOptionCanBeResized)
{
    TOpenPictureDialog open;
    TSavePictureDialog save;
    AsResultWindowDoes(save);
    open.InitialDir = Dir.Path();
    bool fixed = false;
    Driver.Drive = [&](QFileDialog& d) {
        fixed = d.minimumSize() == d.maximumSize();
        PressCancel(d);
    };
    open.Run();
    EXPECT_FALSE(fixed);
    save.Run();
    EXPECT_TRUE(fixed);
}

}  // namespace
