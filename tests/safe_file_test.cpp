// Saving never destroys what was there: these tests make each step of a save
// fail and check that the previous file is intact and nothing is left over.
#include "core/errors.h"
#include "core/graphic.h"
#include "core/safe_file.h"
#include "temp_dir.h"
#include "test_kinds.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tremalu;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace {

const std::vector<unsigned char> OldContent = {'o', 'l', 'd'};

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

// Lowers the largest file this process may write, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &Saved);
        OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = Saved;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, OldHandler);
    }

private:
    rlimit Saved{};
    void (*OldHandler)(int);
};

}  // namespace

TEST(SafeSave, FailureWhileMakingTheBytesLeavesTheOldFile)
{
    TempDir dir;
    const std::string target = dir.File("picture.tst");
    WriteBytes(target, OldContent);
    testing_support::TFailingWriteGraphic graphic;
    graphic.Width = 4;
    EXPECT_THROW(graphic.WriteToFile(target), EWriteError);
    EXPECT_EQ(ReadBytes(target), OldContent);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.tst"});
}

TEST(SafeSave, FailureWhileWritingTheDiskLeavesTheOldFileAndNoTemporary)
{
    TempDir dir;
    const std::string target = dir.File("picture.bin");
    WriteBytes(target, OldContent);
    const std::vector<unsigned char> big(4096, 0x5A);
    {
        FileSizeLimit limit(100);
        EXPECT_THROW(WriteFileSafely(target, big.data(), big.size()), EWriteError);
    }
    EXPECT_EQ(ReadBytes(target), OldContent);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.bin"});
}

TEST(SafeSave, NewFileIsCreatedWithTheUsualPermissions)
{
    TempDir dir;
    const std::string target = dir.File("new.bin");
    const mode_t mask = ::umask(022);
    WriteFileSafely(target, "abc", 3);
    ::umask(mask);
    EXPECT_EQ(ReadBytes(target), (std::vector<unsigned char>{'a', 'b', 'c'}));
    EXPECT_EQ(ModeOf(target), 0644u);
}

TEST(SafeSave, ReplacedFileKeepsItsPermissionBits)
{
    TempDir dir;
    const std::string target = dir.File("kept.bin");
    WriteBytes(target, OldContent);
    ::chmod(target.c_str(), 0640);
    WriteFileSafely(target, "new", 3);
    EXPECT_EQ(ReadBytes(target), (std::vector<unsigned char>{'n', 'e', 'w'}));
    EXPECT_EQ(ModeOf(target), 0640u);
}

TEST(SafeSave, ReadOnlyFileIsRefusedAndLeftAlone)
{
    TempDir dir;
    const std::string target = dir.File("locked.bin");
    WriteBytes(target, OldContent);
    ::chmod(target.c_str(), 0444);
    try {
        WriteFileSafely(target, "new", 3);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Impossible de créer le fichier " + target);
    }
    EXPECT_EQ(ReadBytes(target), OldContent);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"locked.bin"});
}

TEST(SafeSave, SymbolicLinkIsFollowedAndStays)
{
    TempDir dir;
    const std::string real = dir.File("real.bin");
    WriteBytes(real, OldContent);
    ASSERT_EQ(::symlink("real.bin", dir.File("link.bin").c_str()), 0);
    WriteFileSafely(dir.File("link.bin"), "new", 3);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.bin")));
    EXPECT_EQ(ReadBytes(real), (std::vector<unsigned char>{'n', 'e', 'w'}));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.bin", "real.bin"}));
}

TEST(SafeSave, MissingFolderGivesTheCreateFailureWithTheNameAsPassed)
{
    TempDir dir;
    const std::string target = dir.File("absent/../absent/x.bmp");
    try {
        WriteFileSafely(target, "new", 3);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Impossible de créer le fichier " + target);
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(SafeSave, ADirectoryIsNotReplaced)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.bmp"));
    EXPECT_THROW(WriteFileSafely(dir.File("folder.bmp"), "x", 1), EFCreateError);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.bmp")));
}

TEST(SafeSave, StreamLeftWithoutCommitLeavesTheTargetAndNoNewFile)
{
    TempDir dir;
    const std::string target = dir.File("picture.jpg");
    WriteBytes(target, OldContent);
    {
        TSafeFileStream file(target);
        const std::vector<unsigned char> big(200000, 1);
        file.WriteBuffer(big.data(), big.size());
        file.WriteBuffer("x", 1);
        EXPECT_EQ(file.Size(), 200001);
        // A failure of the encoder here would leave the stream uncommitted.
    }
    EXPECT_EQ(ReadBytes(target), OldContent);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.jpg"});
}

TEST(SafeSave, StreamWritesEverythingOnCommit)
{
    TempDir dir;
    const std::string target = dir.File("picture.jpg");
    std::vector<unsigned char> expected;
    {
        TSafeFileStream file(target);
        for (int i = 0; i < 5000; ++i) {
            const unsigned char chunk[37] = {static_cast<unsigned char>(i)};
            file.WriteBuffer(chunk, sizeof chunk);
            expected.insert(expected.end(), chunk, chunk + sizeof chunk);
        }
        file.Commit();
    }
    EXPECT_EQ(ReadBytes(target), expected);
}

TEST(SafeSave, StreamThatRunsOutOfRoomRaisesTheWriteFailure)
{
    TempDir dir;
    const std::string target = dir.File("picture.jpg");
    WriteBytes(target, OldContent);
    {
        FileSizeLimit limit(1000);
        TSafeFileStream file(target);
        const std::vector<unsigned char> big(100000, 1);
        EXPECT_THROW(file.WriteBuffer(big.data(), big.size()), EWriteError);
    }
    EXPECT_EQ(ReadBytes(target), OldContent);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.jpg"});
}

namespace {

// A child process that saves a new file in chunks through the safe stream,
// reporting each chunk on a pipe and waiting for the go-ahead before the
// next, so that the parent can kill it at a chosen point.
class SavingChild {
public:
    static constexpr int Chunks = 8;
    static constexpr size_t ChunkSize = 1 << 20;

    explicit SavingChild(const std::string& target)
    {
        EXPECT_EQ(::pipe(ToParent), 0);
        EXPECT_EQ(::pipe(ToChild), 0);
        Pid = ::fork();
        if (Pid == 0)
            Save(target);  // never returns
    }
    // Waits for the child to report a chunk written (or the save committed).
    bool Reported()
    {
        char c;
        return ::read(ToParent[0], &c, 1) == 1;
    }
    void Proceed() { EXPECT_EQ(::write(ToChild[1], "g", 1), 1); }
    int KillAndWait()
    {
        ::kill(Pid, SIGKILL);
        return Wait();
    }
    int Wait()
    {
        int status = 0;
        ::waitpid(Pid, &status, 0);
        return status;
    }

private:
    [[noreturn]] void Save(const std::string& target)
    {
        const std::vector<uint8_t> chunk(ChunkSize, 'n');
        char c;
        {
            TSafeFileStream file(target);
            for (int i = 0; i < Chunks; ++i) {
                file.WriteBuffer(chunk.data(), chunk.size());
                if (::write(ToParent[1], "w", 1) != 1 || ::read(ToChild[0], &c, 1) != 1)
                    ::_exit(2);
            }
            file.Commit();
        }
        ::write(ToParent[1], "c", 1);
        ::_exit(0);
    }

    int ToParent[2] = {-1, -1};
    int ToChild[2] = {-1, -1};
    pid_t Pid = -1;
};

}  // namespace

TEST(SafeSave, SaveKilledAtAnyPointLeavesTheOldFileOrTheNewOneAndNothingElse)
{
    // Killed at once, after some chunks, after all of them but before the
    // commit (the child waits for the go-ahead after each chunk, so it is
    // killed exactly there); and left to finish.
    constexpr int Finish = -1;
    for (int killAfter : {0, 1, SavingChild::Chunks / 2, SavingChild::Chunks, Finish}) {
        TempDir dir;
        const std::string target = dir.File("big.bmp");
        WriteBytes(target, OldContent);
        SavingChild child(target);
        const int chunks = killAfter == Finish ? SavingChild::Chunks : killAfter;
        for (int i = 1; i <= chunks; ++i) {
            ASSERT_TRUE(child.Reported());
            if (i < chunks || killAfter == Finish)
                child.Proceed();
        }
        if (killAfter == Finish) {
            EXPECT_TRUE(child.Reported());  // committed
        }
        const int status = killAfter == Finish ? child.Wait() : child.KillAndWait();
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"big.bmp"}) << "killed after " << killAfter;
        const auto size = std::filesystem::file_size(target);
        if (killAfter == Finish) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            EXPECT_EQ(size, SavingChild::Chunks * SavingChild::ChunkSize);
        } else {
            EXPECT_EQ(ReadBytes(target), OldContent) << "killed after " << killAfter;
        }
    }
}
