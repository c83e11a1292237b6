// Zentrova_B, the host's main unit: the state shared by start-up, the settings file, the
// full-screen run, the music unit and the settings dialog. Zero or empty at program start.
#pragma once

#include <cstdint>
#include <string>

namespace Zentrova_B {

// Settings (filled by LoadSettings, edited by the dialog).
extern std::int16_t BgmMode;    // 0 none, 1 audio CD, 2 music file
extern std::int16_t BgmRepeat;  // CD track to repeat, 0 = whole disc
extern std::string BgmFile;     // music file path, UTF-8
extern std::string BgmFolder;   // start folder of the music-file chooser
extern std::string IniValue;    // last value read from the settings file

// Result of the most recent system call whose result the host keeps (the capture's save, the
// renderer start, settings writes, the music unit's commands): a mirror, written where each step
// writes it. No unit reads it: a step's result reaches its caller as the step's own return
// value (PutIniString's bool, the music unit's codes); the tests read it to see what a step
// kept.
extern std::int32_t LastApiResult;

extern std::int32_t CursorCount;  // display counter returned by ShowCursor
extern std::int16_t ZoomX;        // screen point of the dialog's zoom animation
extern std::int16_t ZoomY;
extern std::string RendererPath;  // full path of Velmora.dll

// Preview placement, in twips; 32 bits so that previews wider than 32767 twips keep their size.
extern std::int32_t PreviewLeft;
extern std::int32_t PreviewTop;
extern std::int32_t PreviewWidth;
extern std::int32_t PreviewHeight;

// The command line after the program name, as start-up received it.
extern std::string CommandLine;

}  // namespace Zentrova_B
