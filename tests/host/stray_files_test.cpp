// What the programs leave on disk: the settings dialog, a screensaver run and the renderer's
// "Error" box write nothing outside the working folder and the settings file. (FLTK, left to
// itself, rewrites its preference files under ~/.fltk and, as root, /etc/fltk in one go: a
// private $HOME shows it without depending on what else runs on the machine.)
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "desktop.h"

using namespace std::chrono_literals;
using testsupport::Child;
using testsupport::FindWindow;
using testsupport::WaitUntil;

namespace {

// Every file and folder below `folder`, as paths relative to it.
std::set<std::string> Contents(const std::string& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
        names.insert(std::filesystem::relative(entry.path(), folder).string());
    return names;
}

// The close request a window manager's close button sends, to each visible window so named
// (a vanished window is no error).
void SendClose(const std::string& display, const std::string& title) {
    const std::string ids =
        testsupport::Shell("DISPLAY=" + display + " xdotool search --onlyvisible --name '^" +
                           title + "$' 2>/dev/null");
    std::istringstream list(ids);
    for (unsigned long id = 0; list >> id;) testsupport::SendCloseRequest(display, id);
}

class StrayFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        for (const char* name : {"Velmora.scr", "Velmora.dll", "velmora_message_box.so"})
            std::filesystem::copy_file(std::string(VELMORA_BIN_DIR) + "/" + name,
                                       programs_.path() + "/" + name);
    }
    void TearDown() override {
        EXPECT_EQ(Contents(home_.path()), std::set<std::string>{}) << "written into $HOME";
        for (const auto& name : Contents(programs_.path()))
            EXPECT_TRUE(name == "Velmora.scr" || name == "Velmora.dll" || name == "Velmora.ini" ||
                        name == "velmora_message_box.so")
                << name;
    }
    std::unique_ptr<Child> Start(const std::string& program, const std::string& argument = "") {
        std::vector<std::string> argv{programs_.path() + "/" + program};
        if (!argument.empty()) argv.push_back(argument);
        return std::make_unique<Child>(
            argv, std::map<std::string, std::string>{{"DISPLAY", display_.name()},
                                                     {"HOME", home_.path()},
                                                     {"VELMORA_ROOT", root_.path()},
                                                     {"SDL_AUDIODRIVER", "dummy"}});
    }
    unsigned long WaitForWindow(const std::string& title) {
        unsigned long id = 0;
        WaitUntil([&] { return (id = FindWindow(display_.name(), title)) != 0; }, 10s);
        return id;
    }
    void Key(unsigned long window, const std::string& key) {
        testsupport::Shell("DISPLAY=" + display_.name() + " xdotool windowfocus --sync " +
                           std::to_string(window) + " key " + key + " 2>/dev/null");
    }

    testsupport::VirtualDisplay display_{640, 480};
    testsupport::TempFolder programs_, home_, root_;
};

}  // namespace

TEST_F(StrayFiles, TheRenderersErrorBox) {
    auto renderer = Start("Velmora.dll");  // no bitmap in the working folder
    const unsigned long box = WaitForWindow("Error");
    ASSERT_NE(box, 0u);
    std::optional<int> code;
    for (int attempt = 0; attempt < 10 && !code; ++attempt) {
        Key(box, "Return");
        code = renderer->Wait(500ms);
    }
    EXPECT_EQ(code, std::optional<int>(1));
}

TEST_F(StrayFiles, TheSettingsDialog) {
    auto dialog = Start("Velmora.scr", "/c");
    const unsigned long window = WaitForWindow("<Velmora>");
    ASSERT_NE(window, 0u);
    std::optional<int> code;
    for (int attempt = 0; attempt < 20 && !code; ++attempt) {
        SendClose(display_.name(), "<Velmora>");
        code = dialog->Wait(500ms);
    }
    EXPECT_TRUE(code.has_value());
}

TEST_F(StrayFiles, AScreensaverRun) {
    auto host = Start("Velmora.scr", "/s");
    const unsigned long window = WaitForWindow("Zentrova_VC");
    ASSERT_NE(window, 0u);
    std::this_thread::sleep_for(500ms);
    Key(window, "Escape");
    EXPECT_TRUE(host->Wait(10s).has_value());
    EXPECT_TRUE(Contents(root_.path()).count("c/tolvik/Zentrova.bmp"));
}
