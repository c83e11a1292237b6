// Names every function of the platform's headers (base.h, window_system.h, gl.h,
// message_box.h) and of platform/common/for_tests.h, so that linking this program fails
// on a system whose backend leaves one undefined. Run, it does nothing and ends with
// status 0.
#include <cstdint>

#include "platform/base.h"
#include "platform/common/for_tests.h"
#include "platform/gl.h"
#include "platform/message_box.h"
#include "platform/window_system.h"

namespace {

// Keeps the address of each function where the optimiser can't drop it.
template <class... Functions>
std::uintptr_t Keep(Functions... functions) {
    const void* volatile table[] = {reinterpret_cast<const void*>(functions)...};
    std::uintptr_t sum = 0;
    for (const void* entry : table) sum += reinterpret_cast<std::uintptr_t>(entry);
    return sum;
}

}  // namespace

int main(int argc, char**) {
    using namespace platform;
    const std::uintptr_t sum = Keep(
        // Memory, paths, files
        &PreferLargePages, &ProgramFolder, &PathInFolder, &DriveRoot, &MapDrivePathUnder,
        &MapDrivePath, &FolderIsSafe, &MakePrivateFolders, &UserSettingsFolder, &FolderWritable,
        &LastErrorText, &ReadRegularFile, &IsReadableRegularFile, &ReplaceFile, &ReplaceFileFrom,
        &RemoveStaleTemporaries, &WriteTarget, &AppendToFile,
        // Text, clock, process
        &LocaleCharset, &IsUtf8, &ConvertText, &ConvertTextLossy, &CutBytes, &ErrorWords,
        &SystemText, &WriteToStandardError, &MonotonicNanoseconds, &CurrentProcessId, &SleepUntil,
        static_cast<Process (*)(const ProgramStart&, std::string*)>(&StartProgram), &ProgramStatus,
        &ProgramEnded, &EndProgram, &ReleaseProgram, &CatchEndRequests, &EndRequest,
        &EndRequestWaitable, &HoldLockForLife, &DesktopShieldName,
        // Language
        &Translate, &Translatable, &FillIn,
        // Message box, windows, pointer, screen
        &ShowMessageBox, &ShowMessageBoxFor, &TellOnStandardError, &RunIsUnattended,
        &SetLostDisplayStatus, &WindowWithTitleExists, &WindowWithAnyTitleExists,
        &WatchedWindowWithTitleExists, &InCompositorSession, &WindowSearchMissesSurfaces,
        &ShowCursor, &WindowUnderPointer, &PrimaryScreenSize, &TwipsPerPixel, &Monitors,
        &WindowScreenRect, &EmbedWindow, &PlanCapture, &CaptureScreen, &AnimateZoom,
        // OpenGL, settings file, web
        &CoverMonitors, &RequestSwapControl, &DisplayRefreshRate, &OpenOutputSurfaces,
        &OutputSurfaces, &DrawOnOutputSurface, &ShowOutputSurface, &WaitForOutputSurfaces,
        &CloseOutputSurfaces, &ReadIniValue, &WriteIniValue, &OpenWebAddress);
    if (argc > 1000) {  // never true: the classes' constructors, destructors and calls linked
        const MappedFile file("");
        DesktopShieldWatch shields;
        if (shields.Active() != DesktopShield::Off) return 3;
        return file.Ok() ? static_cast<int>(sum & 1) : 2;
    }
    return 0;
}
