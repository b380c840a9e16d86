#include "core/errors.h"

#include <gtest/gtest.h>

using namespace tremalu;

TEST(MessageBoxText, AddsPeriodAfterLettersDigitsAndAccents)
{
    EXPECT_EQ(MessageBoxText("Image bitmap incorrecte"), "Image bitmap incorrecte.");
    EXPECT_EQ(MessageBoxText("Erreur JPEG #53"), "Erreur JPEG #53.");
    // The last byte of a multi-byte character sorts after "." too.
    EXPECT_EQ(MessageBoxText("Impossible de créer"), "Impossible de créer.");
    EXPECT_EQ(MessageBoxText("Division par zéro"), "Division par zéro.");
}

TEST(MessageBoxText, LeavesMessagesEndingAtOrBeforePeriod)
{
    EXPECT_EQ(MessageBoxText("Allons, voyons."), "Allons, voyons.");
    EXPECT_EQ(MessageBoxText("Chaussez vos lunettes !"), "Chaussez vos lunettes !");
    EXPECT_EQ(MessageBoxText("Extension de fichier graphique inconnue (.png)"),
              "Extension de fichier graphique inconnue (.png)");
    EXPECT_EQ(MessageBoxText("a-"), "a-");
    EXPECT_EQ(MessageBoxText("a/"), "a/.");
    EXPECT_EQ(MessageBoxText(""), "");
}

TEST(FormatMessage, FillsPlaceholdersInOrder)
{
    EXPECT_EQ(FormatMessage(texts::AssignError, {"TBitmap", "TJPEGImage"}), "Impossible d'affecter TBitmap à TJPEGImage");
    EXPECT_EQ(FormatMessage(texts::JpegError, {"53"}), "Erreur JPEG #53");
    // A file name holding "%s" is inserted as it is, not expanded again.
    EXPECT_EQ(FormatMessage(texts::CannotOpenFile, {"/tmp/100%s.bmp"}), "Impossible d'ouvrir le fichier /tmp/100%s.bmp");
}

TEST(FailureKinds, KeepTheirFamilies)
{
    EXPECT_THROW(throw EJPEG("x"), EInvalidGraphic);
    EXPECT_THROW(throw GIFException("x"), EInvalidGraphic);
    EXPECT_THROW(throw EFOpenError("x"), EStreamError);
    EXPECT_THROW(throw EReadError("x"), Exception);
}
