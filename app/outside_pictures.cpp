#include "outside_pictures.h"

#include "stereo/stereo_sides.h"

#include <filesystem>

namespace tremalu {

namespace {

std::string FullPath(const std::string& name)
{
    return std::filesystem::absolute(std::filesystem::path(name)).lexically_normal().string();
}

}  // namespace

std::vector<TSideFile> CommandLinePictures(const std::vector<std::string>& names)
{
    if (names.size() == 1 && FillsBothSides(names[0]))
        return {{TPairSide::Both, FullPath(names[0])}};
    std::vector<TSideFile> pictures;
    const TPairSide sides[] = {TPairSide::Left, TPairSide::Right};
    for (size_t i = 0; i < names.size() && i < 2; ++i)
        if (!names[i].empty())
            pictures.push_back({sides[i], FullPath(names[i])});
    return pictures;
}

std::vector<TSideFile> DroppedPictures(TPairSide frame, const std::vector<std::string>& files)
{
    if (files.size() == 1)
        return {{FillsBothSides(files[0]) ? TPairSide::Both : frame, files[0]}};
    if (files.size() == 2)
        return {{TPairSide::Left, files[0]}, {TPairSide::Right, files[1]}};
    return {};
}

}  // namespace tremalu
