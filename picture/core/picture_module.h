// What a picture module gives the module list (picture_modules.cpp): how it
// adds its formats to the registry at start-up and takes them out again at
// shut-down. Every format folder has one.
#pragma once

namespace tremalu {

class TFileFormatsList;

struct TPictureModule {
    // Registers the module's formats (and sets up what they need).
    void (*Start)(TFileFormatsList& registry);
    // Undoes Start; null for formats that simply go with the registry.
    void (*Stop)(TFileFormatsList& registry);
};

}  // namespace tremalu
