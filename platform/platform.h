// The services that Velmora.scr and Velmora.dll need from the operating system, behind one
// interface. Each backend (platform/x11 now) implements these in files named by topic.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A window of the system's window system: an X window id on X11, an HWND on Windows. 0 is none.
using NativeWindow = std::uintptr_t;

// ---- Memory (memory.cpp) ---------------------------------------------------------------------

// Serves the program's large blocks (pictures, textures, images of the screen) from memory in
// large pages where the system has them, which makes their first touch far cheaper. Call once,
// first thing in main, before any thread starts; without such pages it changes nothing.
void PreferLargePages();

// ---- Programs and files (paths.cpp) ----------------------------------------------------------

// The folder that holds the running program, without a trailing separator.
std::string ProgramFolder();

// Where drive paths such as "C:\tolvik" live on this system: $VELMORA_ROOT when set, else
// $XDG_RUNTIME_DIR/velmora, else $HOME/.cache/velmora, else /tmp/velmora-<uid> (which, like
// every root, is only used when it is the user's own: see UnsafeFolderReason).
std::string DriveRoot();

// Maps a drive path ("c:\tolvik\Zentrova.bmp") below `root`: the drive letter selects
// <root>/<letter in lower case>, backslashes become "/", the rest keeps its case. A path that
// has no drive letter only has its backslashes turned round.
std::string MapDrivePathUnder(std::string_view root, std::string_view path);

// MapDrivePathUnder(DriveRoot(), path).
std::string MapDrivePath(std::string_view path);

// Why the folder `path` can't be trusted with the user's files, in one line; empty when it can.
// When `path` lies below the drive root, the root and every folder on the way down count too:
// each must be a real folder (not a symbolic link) of the user's own that no one else can write.
std::string UnsafeFolderReason(const std::string& path);

// Creates `path` and any missing parents, private to the user (0700). True when the folder
// exists afterwards and UnsafeFolderReason finds nothing; otherwise false, with the reason in
// `why` when given.
bool MakePrivateFolders(const std::string& path, std::string* why = nullptr);

// The folder for the user's own settings of Velmora, not created here: $XDG_CONFIG_HOME/velmora
// (~/.config/velmora when that is unset or not absolute) on Linux. Empty when the system names
// no such place for the user.
std::string UserSettingsFolder();

// True when the running user may create and replace files in `folder`.
bool FolderWritable(const std::string& folder);

// The system's words for why the latest failed call of this thread failed ("Permission
// denied"), to show to the user.
std::string LastErrorText();

// ---- Message box (message_box.cpp) -------------------------------------------------------------

// A modal box titled `title` showing `text` with one OK button; returns once it is dismissed
// (Return, Escape, Space, OK or closing the window).
void ShowMessageBox(std::string_view title, std::string_view text);

// Keeps the toolkit away from its preference files: its global options take their built-in
// defaults instead of being read from (and written back to) files outside our own folders.
// Called before the first widget is made; calling it again does nothing.
void KeepToolkitPreferencesUntouched();

// ---- Windows (windows.cpp) ----------------------------------------------------------------------

// True when any window of the display, mapped or not, carries exactly this title.
bool WindowWithTitleExists(std::string_view title);

// ---- Processes (process.cpp)
// ----------------------------------------------------------------------

// A program that StartProgram started. `handle` is the backend's own (the process id on POSIX, a
// process handle on Windows) and means nothing to callers; `id` is the system's process id. A
// default Process (id 0) is "nothing started".
struct Process {
    std::uintptr_t handle = 0;
    std::int32_t id = 0;
    bool Started() const { return id > 0; }
};

// Starts `path` as a new process with the path as its only argument and does not wait for it.
// Nothing started (id 0) when the program could not be started.
Process StartProgram(const std::string& path);

// True once `process` has ended; on POSIX asking also reaps it. A Process that was not started
// counts as ended. May be asked again after it answered true.
bool ProgramEnded(const Process& process);

// Lets go of what the backend holds for `process` (the handle on Windows) without waiting for
// or ending the program; `process` is "nothing started" afterwards.
void ReleaseProgram(Process& process);

// ---- Pointer (cursor.cpp)
// -------------------------------------------------------------------------

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
    NativeWindow window = 0;
    int windowX = 0, windowY = 0;
};
PointerHit WindowUnderPointer();

// ---- Screen (screen.cpp)
// --------------------------------------------------------------------------

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
std::optional<WindowRect> WindowScreenRect(NativeWindow id);

// Makes the shown FLTK window `child` a child of the foreign window `parent`, placed at (x, y)
// (child style and new parent in one), and runs `gone` from the event loop once either window
// is destroyed. From here on X errors are counted silently instead of printed: requests may race
// with the parent's end. False when the embedding failed (bad parent or child); `gone` is then
// never run.
bool EmbedWindow(NativeWindow child, NativeWindow parent, int x, int y, std::function<void()> gone);

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

// ---- Settings file (profile.cpp) --------------------------------------------------------------
namespace platform {

// The value of `key` in the first `section` of the INI file at `path`, read the way the
// system's profile calls read it: names in any letter case, blanks and matching quotes around
// the value removed, at most 255 bytes of the file's charset. Names and values are UTF-8 here
// and in the file's charset (the locale's, or the ANSI code page) there. Empty when the file,
// section or key is missing.
std::string ReadIniValue(std::string_view section, std::string_view key, const std::string& path);

// Sets `key` in `section` of the INI file at `path` to `value`, creating what is missing and
// leaving every other line as it was. False, with the file as it was, when the value can't be
// written: an empty name, a line break, text the file's charset can't carry, a folder that is
// not there or refuses the write.
bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::string& path);

}  // namespace platform

// ---- OpenGL (swap_control.cpp) ----------------------------------------------------------------
namespace platform {

// Asks the current OpenGL context for buffer swaps in step with the display refresh, where the
// system offers that; nothing happens without a current context or such an extension.
void RequestSwapControl();

}  // namespace platform

// ---- Web (web.cpp)
// --------------------------------------------------------------------------------
namespace platform {

// Opens `address` with the desktop's handler (xdg-open), without waiting for it. Failure, such
// as no handler at all, is silent.
void OpenWebAddress(std::string_view address);

}  // namespace platform
