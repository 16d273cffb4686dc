#pragma once
// The navigation application records tracks while a folder "Tracks" exists
// on its storage; "notracking" beside it is the same folder parked.
namespace lokaro {

enum class TrackPlace { StorageCard, FlashDisk };

// Mode 1 toggles, 2 switches recording on (unparks the folder, or creates it
// when there is none to unpark), 3 switches it off (parks it); other modes
// change nothing. Returns 1 when the track folder exists afterwards, else 0.
int setTrackFolder(int mode, TrackPlace place);

} // namespace lokaro
