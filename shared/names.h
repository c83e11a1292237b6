// The names that the host, the renderer and the settings dialog agree on: the hand-off folder
// and bitmap as the programs spell them (drive paths, mapped by the platform), the window titles
// that the single-instance check and the renderer watch look for, and the file names beside the
// host program.
#pragma once

namespace names {

// The working folder, and the desktop picture the host leaves there for the renderer.
inline constexpr const char* kWorkingFolder = "C:\\tolvik";
inline constexpr const char* kHandOffBitmap = "C:\\tolvik\\Zentrova.bmp";

// Window titles: the full-screen run's hidden form, the settings dialog, the renderer's window.
inline constexpr const char* kRunTitle = "Zentrova_Main";
inline constexpr const char* kDialogTitle = "<Velmora>";
inline constexpr const char* kRendererTitle = "Zentrova_VC";

// Files in the host program's folder: the host itself (the program that starts a run), the
// renderer and the settings file.
inline constexpr const char* kHostFileName = "Velmora.scr";
inline constexpr const char* kRendererFileName = "Velmora.dll";
inline constexpr const char* kSettingsFileName = "Velmora.ini";

}  // namespace names
