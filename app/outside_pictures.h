// Pictures that reach the image-choice window without its open dialog:
// named on the program's command line, or dropped onto a preview frame.
// These rules say which side each file goes to; the window loads each one
// exactly as if the dialog had chosen it.
#pragma once

#include <string>
#include <vector>

namespace tremalu {

// Both: a stereo camera's file (MPO, JPS), whose two pictures fill the two
// sides (stereo_sides.h).
enum class TPairSide { Left, Right, Both };

struct TSideFile {
    TPairSide Side;
    std::string FileName;  // full path, as the open dialog gives it
    friend bool operator==(const TSideFile&, const TSideFile&) = default;
};

// `tremalu [GAUCHE [DROITE]]`: the first name for the LEFT side, the second
// for the RIGHT; names beyond the second are not used, and an empty name
// loads nothing (`tremalu "" DROITE` loads the RIGHT side only). A stereo
// camera's file named alone fills both sides. Each name is made a
// full path against the current directory, without resolving links, so the
// labels show what the dialog would show.
std::vector<TSideFile> CommandLinePictures(const std::vector<std::string>& names);

// Files dropped together onto the frame of one side, in the drag's order:
// one file goes to that side (both sides for a stereo camera's file), two
// go LEFT then RIGHT whatever the frame. Any other number is refused:
// nothing.
std::vector<TSideFile> DroppedPictures(TPairSide frame, const std::vector<std::string>& files);

}  // namespace tremalu
