#include "photo_input.h"

#include "formats/jpeg/jpeg_image.h"
#include "raster/bitmap.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bench_support {

void WriteSceneJpegs(const std::string& dir, const std::function<std::unique_ptr<tremalu::TBitmap>(bool right)>& eye)
{
    for (const bool right : {false, true}) {
        tremalu::TJPEGImage jpeg;
        jpeg.SetEncodeQuality(92);
        jpeg.CopyFrom(eye(right).get());
        jpeg.WriteToFile(dir + (right ? "/scene_r.jpg" : "/scene_l.jpg"));
    }
}

void WritePhotoJpeg(const std::string& name, unsigned seed)
{
    using namespace tremalu;
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetPixelWidth(PhotoWidth);
    b.SetPixelHeight(PhotoHeight);
    for (int32_t y = 0; y < PhotoHeight; ++y) {
        uint8_t* row = b.Row(y);
        for (int32_t x = 0; x < PhotoWidth; ++x) {
            const unsigned detail = ((x * 7 + y * 13 + seed) * 2654435761u) >> 28;
            row[3 * x] = static_cast<uint8_t>((x / 24 + detail) & 255);
            row[3 * x + 1] = static_cast<uint8_t>((y / 16 + seed + detail) & 255);
            row[3 * x + 2] = static_cast<uint8_t>(((x + y) / 40 + detail) & 255);
        }
    }
    TJPEGImage jpeg;
    jpeg.SetEncodeQuality(92);
    jpeg.CopyFrom(&b);
    jpeg.WriteToFile(name);
}

bool RunProcess(const std::vector<std::string>& args, long& peakKiB, const std::string& errorFile)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!errorFile.empty()) {
            const int fd = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    peakKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace bench_support
