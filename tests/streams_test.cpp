#include "core/errors.h"
#include "core/streams.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tremalu;
using testing_support::TempDir;

TEST(Streams, ShortReadRaisesTheReadFailure)
{
    TMemoryStream s;
    s.WriteU16(7);
    s.SetPosition(0);
    try {
        s.ReadU32();
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Erreur de lecture du flux");
    }
}

TEST(Streams, ShortWriteRaisesTheWriteFailure)
{
    const uint8_t bytes[4] = {};
    TReadOnlyMemoryStream s(bytes, sizeof bytes);
    try {
        s.WriteU8(1);
        FAIL();
    } catch (const EWriteError& e) {
        EXPECT_STREQ(e.what(), "Erreur d'écriture dans le flux");
    }
}

TEST(Streams, OpenFailureNamesTheFileAsPassed)
{
    try {
        TFileStream s("./absent/../absent.bmp", TFileStream::Mode::OpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'ouvrir le fichier ./absent/../absent.bmp");
    }
}

TEST(Streams, WhatIsNotARegularFileIsRefusedAtOnce)
{
    // A pipe, a folder, an endless device: opening must neither wait for a
    // writer nor read forever.
    testing_support::TempDir dir;
    for (const std::string& name : testing_support::NonRegularPictureNames(dir)) {
        for (TFileStream::Mode mode : {TFileStream::Mode::OpenRead, TFileStream::Mode::OpenReadWrite}) {
            try {
                TFileStream stream(name, mode);
                ADD_FAILURE() << name << " opened";
            } catch (const EFOpenError& e) {
                EXPECT_EQ(e.message(), "Impossible d'ouvrir le fichier " + name);
            }
        }
        EXPECT_THROW(TFileStream(name, TFileStream::Mode::Create), EFCreateError) << name;
    }
}

TEST(Streams, CreateFailureNamesTheFileAsPassed)
{
    try {
        TFileStream s("/nonexistent-dir/x.bmp", TFileStream::Mode::Create);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_STREQ(e.what(), "Impossible de créer le fichier /nonexistent-dir/x.bmp");
    }
}

TEST(Streams, MemoryStreamGrowthFailureHasItsText)
{
    TMemoryStream s;
    s.SetCapacityLimit(100);
    s.WriteBuffer(std::string(100, 'x').data(), 100);
    try {
        s.WriteU8(1);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Plus de mémoire lors de l'expansion du flux mémoire");
    }
    EXPECT_EQ(s.Size(), 100);
}

TEST(Streams, FileRoundTripAndLittleEndianFields)
{
    TempDir dir;
    {
        TFileStream out(dir.File("f"), TFileStream::Mode::Create);
        out.WriteU32(0x04030201);
        out.WriteU16(0x0605);
    }
    EXPECT_EQ(testing_support::ReadBytes(dir.File("f")), (std::vector<unsigned char>{1, 2, 3, 4, 5, 6}));
    TFileStream in(dir.File("f"), TFileStream::Mode::OpenRead);
    EXPECT_EQ(in.Size(), 6);
    EXPECT_EQ(in.ReadU32(), 0x04030201u);
    EXPECT_EQ(in.Position(), 4);
}

TEST(Streams, CopyFromMovesExactlyTheCount)
{
    TMemoryStream source, dest;
    std::vector<uint8_t> data(200000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    source.WriteBuffer(data.data(), data.size());
    source.SetPosition(10);
    dest.CopyFrom(source, 150000);
    ASSERT_EQ(dest.Size(), 150000);
    EXPECT_EQ(0, std::memcmp(dest.Memory(), data.data() + 10, 150000));
    EXPECT_THROW(dest.CopyFrom(source, 100000), EReadError);
}
