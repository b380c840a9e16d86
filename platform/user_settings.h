// What the program keeps between runs, in the desktop's usual settings file
// for the user: ~/.config/tremalu/tremalu.conf (XDG_CONFIG_HOME when set),
// a text file of "key=value" lines under [groups].
#pragma once

#include <string>

namespace tremalu {

// The value stored under key ("group/name"), or fallback when there is none.
std::string ReadSetting(const std::string& key, const std::string& fallback);
// Stores value under key; the file is written before this returns. A file
// that cannot be written raises EFCreateError "Impossible de créer le
// fichier %s" (the value is then not remembered). A settings file that cannot
// be read as one (damaged) is replaced by a new one: its values are lost.
void WriteSetting(const std::string& key, const std::string& value);

}  // namespace tremalu
