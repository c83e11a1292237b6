// The services that Velmora.scr and Velmora.dll need from the operating system, behind one
// interface. Each backend (platform/x11 now) implements these in files named by topic.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// ---- Programs and files (paths.cpp) ----------------------------------------------------------

// The folder that holds the running program, without a trailing separator.
std::string ProgramFolder();

// Where drive paths such as "C:\tolvik" live on this system: $VELMORA_ROOT when set, else
// $XDG_RUNTIME_DIR/velmora, else $HOME/.cache/velmora.
std::string DriveRoot();

// Maps a drive path ("c:\tolvik\Zentrova.bmp") below `root`: the drive letter selects
// <root>/<letter in lower case>, backslashes become "/", the rest keeps its case. A path that
// has no drive letter only has its backslashes turned round.
std::string MapDrivePathUnder(std::string_view root, std::string_view path);

// MapDrivePathUnder(DriveRoot(), path).
std::string MapDrivePath(std::string_view path);

// Creates `path` and any missing parents, private to the user (0700). True when the folder
// exists afterwards.
bool MakePrivateFolders(const std::string& path);

// ---- Message box (message_box.cpp) -------------------------------------------------------------

// A modal box titled `title` showing `text` with one OK button; returns once it is dismissed
// (Return, Escape, Space, OK or closing the window).
void ShowMessageBox(std::string_view title, std::string_view text);

// ---- Windows (windows.cpp) ----------------------------------------------------------------------

// True when any window of the display, mapped or not, carries exactly this title.
bool WindowWithTitleExists(std::string_view title);

// ---- Processes (process.cpp) ----------------------------------------------------------------------

// Starts `path` as a new process with the path as its only argument and does not wait for it.
// Returns the process id, or 0 when the program could not be started.
std::int32_t StartProgram(const std::string& path);

// True once the process `pid` that StartProgram started has ended, which also reaps it. A pid of
// 0 or less (nothing was started) counts as ended.
bool ProgramEnded(std::int32_t pid);

// ---- Pointer (cursor.cpp) -------------------------------------------------------------------------

// The display counter of the pointer: each call adds one (show) or takes one away (hide) and
// returns the new value; the pointer is hidden while the counter is below zero.
std::int32_t ShowCursor(bool show);

// ---- Pointer position (pointer.cpp) -----------------------------------------------------------

// Where the pointer is and the innermost window under it (the window id, 0 for the root), with
// the pointer's position relative to that window. found is false without a display, when the
// pointer is on another screen, or when a window vanished while it was looked up.
struct PointerHit {
    bool found = false;
    int rootX = 0, rootY = 0;
    unsigned long window = 0;
    int windowX = 0, windowY = 0;
};
PointerHit WindowUnderPointer();

// ---- Screen (screen.cpp) --------------------------------------------------------------------------

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// The primary monitor's size in pixels.
ScreenSize PrimaryScreenSize();

// 1440 / the screen's dots per inch (Xft.dpi, else 96).
double TwipsPerPixel();

// ---- Preview embedding (embed.cpp) -------------------------------------------------------------

// A window's rectangle on the screen in pixels; right and bottom lie just outside it.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The screen rectangle of the window `id`; nothing when there is no such window. A zero or bad
// id is answered quietly, without an X error message.
std::optional<WindowRect> WindowScreenRect(unsigned long id);

// Makes the shown FLTK window `child` a child of the foreign window `parent`, placed at (x, y)
// (child style and new parent in one), and runs `gone` from the event loop once either window
// is destroyed. From here on X errors are counted silently instead of printed: requests may race
// with the parent's end. False when the embedding failed (bad parent or child); `gone` is then
// never run.
bool EmbedWindow(unsigned long child, unsigned long parent, int x, int y,
                 std::function<void()> gone);

// ---- Desktop capture (capture.cpp) ------------------------------------------------------------

// Copies the top-left `width` x `height` pixels of the primary monitor (XRandR; the whole root
// window without that information) 1:1 into `rgb` (rows top to bottom, 3 bytes a pixel, `stride`
// bytes a row). The part beyond the monitor is left as it was. MIT-SHM where the server offers
// it, else XGetImage. False when nothing could be read.
bool CaptureScreen(std::uint8_t* rgb, int width, int height, int stride);

// ---- Zoom animation (zoom.cpp) -----------------------------------------------------------------

// A short outline animation on the screen from one rectangle to another (screen pixels); it
// leaves the screen as it found it and takes at most 250 ms.
void AnimateZoom(const WindowRect& from, const WindowRect& to);

}  // namespace platform

// ---- Sound (sound.cpp, sound_*.cpp; library velmora_sound) ----------------------------------------
// The multimedia command-string interface and the wave-sound player, with the names and results
// of the system the music unit was written for. Text goes in and out in the locale's charset.
// No sound output means silence, never an error or a wait.
namespace platform {

// PlaySound flags.
constexpr std::uint32_t SND_ASYNC = 0x0001;  // return at once, play in the background
constexpr std::uint32_t SND_LOOP = 0x0008;   // repeat until stopped (needs SND_ASYNC)

// Executes one multimedia command ("open cdaudio", "status MP3Play mode", ...). Returns 0 on
// success, else an error number (256 and up). On success a reply (possibly empty) is written,
// NUL-terminated, into `reply` when `reply` is given and `replySize` > 0; a reply that does not
// fit fails with 268 and leaves the buffer alone, as does every failed command. `window` is
// accepted and ignored (no notifications are sent).
std::int32_t mciSendString(const char* command, char* reply, std::uint32_t replySize,
                           std::uintptr_t window);

// Writes the text for an error number of mciSendString into `text` (NUL-terminated, cut to
// `size`). Nonzero when a text was written.
std::int32_t mciGetErrorString(std::int32_t error, char* text, std::uint32_t size);

// The number of sound outputs that can be opened: 0 when none can.
std::uint32_t waveOutGetNumDevs();

// With a file name and SND_ASYNC | SND_LOOP: plays the file (WAV, MP3, ...) in the background
// over and over until stopped. With no name (nullptr or ""): stops that sound. Nonzero on success.
std::int32_t PlaySound(const char* name, std::uintptr_t module, std::uint32_t flags);

}  // namespace platform

// ---- Web (web.cpp) --------------------------------------------------------------------------------
namespace platform {

// Opens `address` with the desktop's handler (xdg-open), without waiting for it. Failure, such
// as no handler at all, is silent.
void OpenWebAddress(std::string_view address);

}  // namespace platform
