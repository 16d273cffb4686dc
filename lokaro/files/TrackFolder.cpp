#include "files/TrackFolder.h"

#include "platform/file.h"

#include <string>

namespace lokaro {

int setTrackFolder(int mode, TrackPlace place) {
    const std::u16string root =
        place == TrackPlace::FlashDisk ? u"\\My Flash Disk" : u"\\Storage Card";
    const std::u16string tracks = root + u"\\Tracks";
    const std::u16string parked = root + u"\\notracking";
    if (mode == 1)
        mode = platform::DirectoryExists(tracks) ? 3 : 2;
    if (mode == 2 && !platform::MoveFile(parked, tracks))
        platform::CreateDirectory(tracks);
    if (mode == 3)
        platform::MoveFile(tracks, parked);
    return platform::DirectoryExists(tracks) ? 1 : 0;
}

} // namespace lokaro
