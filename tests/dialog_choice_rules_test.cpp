// What the file dialogs make of a confirmed name, the file checks behind
// their guarding options, and where a dialog goes on its monitor.
#include "dialog_rules/chosen_name.h"
#include "dialog_rules/dialog_placement.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

using namespace tremalu;

namespace {

TEST(ChosenName, SaveDialogsCompleteEveryNameWithoutExtension)
{
    testing_support::TempDir dir;
    std::ofstream(dir.File("photo")) << "x";
    const TFilterPair jpeg{"Fichier image JPEG (*.jpg)", {"*.jpg"}};
    EXPECT_EQ(CompleteChosenName(dir.File("photo"), &jpeg, "bmp", true), dir.File("photo.jpg"));
    EXPECT_EQ(CompleteChosenName(dir.File("neuf"), &jpeg, "bmp", true), dir.File("neuf.jpg"));
    EXPECT_EQ(CompleteChosenName(dir.File("neuf.BMP"), &jpeg, "", true), dir.File("neuf.BMP"));
}

TEST(ChosenName, OpenDialogsKeepAnExistingFileAndCompleteAnyOtherName)
{
    testing_support::TempDir dir;
    std::ofstream(dir.File("photo")) << "x";
    std::filesystem::create_directory(dir.File("dossier"));
    const TFilterPair bmp{"Bitmaps (*.bmp)", {"*.bmp"}};
    EXPECT_EQ(CompleteChosenName(dir.File("photo"), &bmp, "", false), dir.File("photo"));
    EXPECT_EQ(CompleteChosenName(dir.File("absent"), &bmp, "", false), dir.File("absent.bmp"));
    // A folder is not a file that the name would name.
    EXPECT_EQ(CompleteChosenName(dir.File("dossier"), &bmp, "", false), dir.File("dossier.bmp"));
}

TEST(ChosenName, ExistingFilesAreFilesNotFolders)
{
    testing_support::TempDir dir;
    std::ofstream(dir.File("f.jpg")) << "x";
    std::filesystem::create_directory(dir.File("d.jpg"));
    EXPECT_TRUE(IsExistingFile(dir.File("f.jpg")));
    EXPECT_FALSE(IsExistingFile(dir.File("d.jpg")));
    EXPECT_FALSE(IsExistingFile(dir.File("absent.jpg")));
    EXPECT_FALSE(IsExistingFile(""));
}

TEST(ChosenName, AFileWithoutAnyWriteBitIsReadOnlyEvenForRoot)
{
    testing_support::TempDir dir;
    const std::string file = dir.File("f.jpg");
    std::ofstream(file) << "x";
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    EXPECT_FALSE(IsReadOnlyFile(file));
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    EXPECT_TRUE(IsReadOnlyFile(file));
    // Writable by the group only: the owner (this process, or root) may
    // not write unless it is root, whom any write bit lets write.
    ASSERT_EQ(::chmod(file.c_str(), 0464), 0);
    EXPECT_EQ(IsReadOnlyFile(file), ::geteuid() != 0);
    EXPECT_FALSE(IsReadOnlyFile(dir.File("absent.jpg")));
}

TEST(ChosenName, ExtensionDiffersFromTheDefaultOnlyWhenThereIsOne)
{
    EXPECT_FALSE(HasOtherExtension("/a/photo.jpg", "jpg"));
    EXPECT_FALSE(HasOtherExtension("/a/photo.JPG", "jpg"));
    EXPECT_TRUE(HasOtherExtension("/a/photo.bmp", "jpg"));
    EXPECT_TRUE(HasOtherExtension("/a/photo", "jpg"));
    EXPECT_FALSE(HasOtherExtension("/a/photo.bmp", ""));
}

TEST(DialogPlacement, CentredAcrossAndAThirdDownTruncatingTowardZero)
{
    // A second monitor right of a first one of 1920 pixels.
    EXPECT_EQ(DialogPlacement(Bounds(1920, 0, 1280, 1024), 805, 415), (TPoint{1920 + 237, 203}));
    // A dialog larger than its monitor sticks out on both sides: -51 div 2
    // is -25 and -20 div 3 is -6, not -26 and -7.
    EXPECT_EQ(DialogPlacement(Bounds(0, 0, 800, 600), 851, 620), (TPoint{-25, -6}));
    EXPECT_EQ(DialogPlacement(Bounds(0, 100, 800, 600), 800, 600), (TPoint{0, 100}));
}

}  // namespace
