#pragma once
// Finds and loads the media layer's modules (FFmpeg, playback) beside the running program or where they are installed.
#include <string>

namespace platform::media {

// The entry point `entryName` of module `file`, loaded once from the first folder that has it:
// $MT_MEDIA_MODULE_DIR, then the folders of moduleFolders() (the program's, the installed one).
// nullptr when it can't be found or loaded, after one log line naming `what`.
void* loadMediaModule(const char* file, const char* entryName, const char* what);

}  // namespace platform::media
