// The headless sway session the Wayland tests run in: it starts with what the tests rely on
// (the background colour on screen, XWayland open to root, the portal on the session bus) and
// leaves no process of its own behind.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <filesystem>
#include <string>

#include "desktop.h"
#include "wayland_session.h"

using namespace testsupport;

namespace {

// The processes whose environment names `runtimeFolder` as their XDG_RUNTIME_DIR.
int ProcessesOfSession(const std::string& runtimeFolder) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string environ = ReadFile(entry.path() / "environ");
        if (environ.find("XDG_RUNTIME_DIR=" + runtimeFolder + '\0') != std::string::npos) ++count;
    }
    return count;
}

// The colour of one pixel of a PNG as "RRGGBB" (ImageMagick).
std::string PixelOf(const std::string& png, int x, int y) {
    return Shell("convert '" + png + "' -format '%[hex:p{" + std::to_string(x) + "," +
                 std::to_string(y) + "}]' info: 2>/dev/null");
}

}  // namespace

TEST(WaylandSession, ShowsItsBackgroundLetsRootIntoXWaylandAndEndsWithItsHelpers) {
    std::string runtime;
    {
        WaylandSession session({.width = 800, .height = 600, .background = "ff8000"});
        ASSERT_TRUE(session.ok()) << session.Failure();
        runtime = session.Get("XDG_RUNTIME_DIR");
        EXPECT_GT(ProcessesOfSession(runtime), 0);

        // The compositor's own picture of the output (grim reads it through screen-copy).
        const std::string png = session.UserFolder("shots") + "/screen.png";
        int code = -1;
        session.UserShell("grim '" + png + "'", &code);
        ASSERT_EQ(code, 0);
        EXPECT_EQ(PixelOf(png, 400, 300), "FF8000");

        // Root's tests reach XWayland.
        Display* display = XOpenDisplay(session.Get("DISPLAY").c_str());
        ASSERT_NE(display, nullptr);
        XCloseDisplay(display);

        // The portal answers on the session bus.
        const std::string owner = session.UserShell(
            "dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
            "org.freedesktop.DBus.NameHasOwner string:org.freedesktop.portal.Desktop");
        EXPECT_NE(owner.find("boolean true"), std::string::npos) << owner;
    }
    EXPECT_EQ(ProcessesOfSession(runtime), 0);
}

TEST(WaylandSession, TypesThroughTheCompositor) {
    WaylandSession session({.portal = false});
    ASSERT_TRUE(session.ok()) << session.Failure();
    // A native Wayland terminal that writes what it is typed into a file.
    const std::string folder = session.UserFolder("typed");
    const std::string file = folder + "/keys";
    Child terminal(session.AsUser({"foot", "--log-level=error", "sh", "-c",
                                   "read line; echo \"$line\" > '" + file + "'"}),
                   session.Environment());
    ASSERT_TRUE(WaitUntil(
        [&] {
            return session.UserShell("swaymsg -t get_tree").find("\"app_id\": \"foot\"") !=
                   std::string::npos;
        },
        10s));
    ASSERT_TRUE(session.Type({"hello", "-k", "Return"}));
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(file) == "hello\n"; }, 5s)) << ReadFile(file);
}

TEST(WaylandSession, HidesScreenCopyFromItsClientsWhenAsked) {
    WaylandSession session({.width = 320, .height = 240, .portal = false, .screencopy = false});
    ASSERT_TRUE(session.ok()) << session.Failure();
    const std::string png = session.UserFolder("shots") + "/screen.png";
    int code = -1;
    const std::string said = session.UserShell("grim '" + png + "' 2>&1", &code);
    EXPECT_NE(code, 0);
    EXPECT_NE(said.find("screencopy"), std::string::npos) << said;
    // Everything else still passes: a native window opens and takes typed keys.
    const std::string file = session.UserFolder("typed") + "/keys";
    Child terminal(
        session.AsUser({"foot", "--log-level=error", "sh", "-c", "read l; echo $l > " + file}),
        session.Environment());
    ASSERT_TRUE(WaitUntil(
        [&] {
            return session.UserShell("swaymsg -t get_tree").find("\"foot\"") != std::string::npos;
        },
        10s));
    ASSERT_TRUE(session.Type({"ok", "-k", "Return"}));
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(file) == "ok\n"; }, 5s));
}
