// Tests of the real settings dialog, Velmora.scr /c, under a private Xvfb: its window, clicks
// on its controls with xdotool, the settings file it writes (byte for byte), Cancel and the
// title-bar close, a refused second start, the web-address label, where the settings go when the
// program folder is read-only, a failed save shown in a box, the dialog in the user's language,
// and a screenshot of the dialog for each music kind and language (saved into the artifact folder
// for people to look at).
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktop.h"

namespace {

using namespace std::chrono_literals;
using testsupport::Child;
using testsupport::Shell;
using testsupport::TempFolder;
using testsupport::VirtualDisplay;
using testsupport::WaitUntil;

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct WindowInfo {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
};

int Field(const std::string& text, const std::string& name) {
    const auto at = text.find(name);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size());
}

WindowInfo Info(const std::string& display, unsigned long id) {
    const std::string out =
        Shell("xwininfo -display " + display + " -id " + std::to_string(id) + " 2>/dev/null");
    return {Field(out, "Absolute upper-left X:"), Field(out, "Absolute upper-left Y:"),
            Field(out, "Width:"), Field(out, "Height:"),
            out.find("Map State: IsViewable") != std::string::npos};
}

struct PointerLook {
    int width = 0, height = 0, hotX = 0, hotY = 0;
};

// The pointer's current look on the display.
PointerLook CurrentCursor(const std::string& display) {
    PointerLook shape;
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return shape;
    if (XFixesCursorImage* image = XFixesGetCursorImage(d)) {
        shape = {image->width, image->height, image->xhot, image->yhot};
        XFree(image);
    }
    XCloseDisplay(d);
    return shape;
}

// The window's pixels as 0xRRGGBB, rows top to bottom; empty when they can't be read.
std::vector<std::uint32_t> WindowPixels(const std::string& display, unsigned long window, int width,
                                        int height) {
    std::vector<std::uint32_t> pixels;
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return pixels;
    if (XImage* image = XGetImage(d, window, 0, 0, width, height, AllPlanes, ZPixmap)) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return pixels;
}

// A box of the client area, edges included.
struct Box {
    int left, top, right, bottom;
    bool Holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// Where each caption may draw in another language without leaving its control: inside the
// buttons' faces (clear of their frames), the "BGM" title inside its frame, the audio CD's
// label short of the combo box, the other labels within the panel's right edge.
std::vector<Box> CaptionBoxes(int panelX, int panelY) {
    const auto inPanel = [&](int left, int top, int right, int bottom) {
        return Box{panelX + left, panelY + top, panelX + right, panelY + bottom};
    };
    return {
        inPanel(22, 22, 131, 39),   // "BGM", in its frame at 20, 20, 113 x 21
        inPanel(44, 54, 109, 71),   // "音楽CD", left of the combo box at 112
        inPanel(156, 54, 464, 71),  // "曲目をﾘﾋﾟｰﾄ"
        inPanel(44, 74, 464, 91),   // "なし"
        inPanel(44, 94, 464, 112),  // "MP3、WAV", above the "..." button at 116
        {324 + 3, 200 + 3, 324 + 77 - 4, 200 + 25 - 4},  // 設定
        {404 + 3, 200 + 3, 404 + 77 - 4, 200 + 25 - 4},  // ｷｬﾝｾﾙ
    };
}

// Points of the dialog's client area (pixels) that the tests click.
struct Spot {
    int x, y;
};
constexpr Spot kLabelNone{60, 100};   // "なし"
constexpr Spot kLabelCd{60, 80};      // "音楽CD"
constexpr Spot kLabelFile{60, 120};   // "MP3、WAV"
constexpr Spot kImageFile{48, 120};   // the file kind's radio image
constexpr Spot kRepeatText{132, 80};  // the combo box's text field
constexpr Spot kFileButton{62, 144};  // "..."
constexpr Spot kSettings{362, 212};
constexpr Spot kCancel{442, 212};
constexpr Spot kWebAddress{40, 214};
// Where the panel's inside (its controls' origin) lies in the client area.
constexpr int kPanelX = 14;
constexpr int kPanelY = 18;

// One Velmora.scr /c in a folder of its own, so that the Velmora.ini beside it is the test's.
class Dialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        program_ = folder_.path() + "/Velmora.scr";
        std::filesystem::copy_file(VELMORA_BIN_DIR "/Velmora.scr", program_);
        // The catalogs beside the program, as in the build's own folder.
        std::filesystem::create_directory_symlink(VELMORA_BIN_DIR "/locale",
                                                  folder_.path() + "/locale");
        ini_ = folder_.path() + "/Velmora.ini";
        env_ = {{"DISPLAY", display_.name()},
                {"VELMORA_ROOT", root_.path()},
                {"LC_ALL", "C.UTF-8"},
                {"SDL_AUDIODRIVER", "dummy"}};
    }

    // Starts the dialog (behind the command `runAs`, when given) and waits until its window is
    // on the screen.
    void Open(std::vector<std::string> runAs = {}) {
        runAs.insert(runAs.end(), {program_, "/c"});
        dialog_ = std::make_unique<Child>(runAs, env_);
        ASSERT_TRUE(WaitUntil(
            [&] {
                window_ = testsupport::FindWindow(display_.name(), "<Velmora>");
                return window_ != 0 && Info(display_.name(), window_).viewable;
            },
            10s));
        info_ = Info(display_.name(), window_);
        std::this_thread::sleep_for(300ms);  // the opening zoom and the first paint
    }

    void Xdotool(const std::string& args) {
        Shell("DISPLAY=" + display_.name() + " xdotool " + args);
    }

    // Moves the pointer to a client point, lets the controls see it, then presses and releases.
    // (xdotool's mousemove --sync waits for a motion, so it is left out when the pointer is
    // there already.)
    void Click(Spot spot, int button = 1) {
        const std::string to =
            std::to_string(info_.x + spot.x) + " " + std::to_string(info_.y + spot.y);
        const std::string move = to == pointer_ ? "" : "mousemove --sync " + to + " sleep 0.15 ";
        pointer_ = to;
        Xdotool(move + "click " + std::to_string(button) + " sleep 0.15");
    }

    void TypeRepeat(const std::string& text) {
        Click(kRepeatText);
        Xdotool("key ctrl+a BackSpace type '" + text + "'");
        std::this_thread::sleep_for(100ms);
    }

    void Screenshot(const std::string& name) {
        EXPECT_TRUE(testsupport::Screenshot(display_.name(),
                                            testsupport::ArtifactFolder() + "/" + name, window_));
    }

    // The dialog ends the program once it has closed.
    void ExpectClosed() {
        const auto code = dialog_->Wait(10s);
        ASSERT_TRUE(code.has_value()) << "the dialog did not close";
    }

    static std::string Expected(int mode, int repeat, const std::string& file) {
        return "[Section]\nBGM区分= " + std::to_string(mode) +
               "\nBGMﾘﾋﾟｰﾄ= " + std::to_string(repeat) + "\nBGMﾌｧｲﾙ=" + file + "\n";
    }

    VirtualDisplay display_;
    TempFolder folder_, root_;
    std::string program_, ini_;
    std::map<std::string, std::string> env_;
    std::unique_ptr<Child> dialog_;
    unsigned long window_ = 0;
    WindowInfo info_;
    std::string pointer_;
};

TEST_F(Dialog, OpensCentredWithItsClientSizeAndRefusesASecondStart) {
    Open();
    EXPECT_EQ(info_.width, 496);
    EXPECT_EQ(info_.height, 246);
    EXPECT_EQ(info_.x, (1024 - 496) / 2);
    EXPECT_EQ(info_.y, (768 - 246) / 3);

    Child second({program_, "/c"}, env_);
    EXPECT_TRUE(second.Wait(5s).has_value()) << "a second start must end at once";
    EXPECT_TRUE(dialog_->Running());

    Click(kCancel);
    ExpectClosed();
    EXPECT_FALSE(std::filesystem::exists(ini_));
}

TEST_F(Dialog, ClickedChoicesAreSavedByteForByte) {
    const std::string song = root_.path() + "/Song & Dance @ Home.MP3";
    WriteAll(song, "not really music");
    env_["VELMORA_TEST_CHOSEN_FILE"] = song;
    Open();
    Screenshot("dialog_kind_0.png");  // no settings file: no music

    Click(kLabelFile, 3);  // any mouse button selects
    Click(kFileButton);
    Screenshot("dialog_kind_2.png");

    Click(kLabelCd);
    TypeRepeat("7");
    Screenshot("dialog_kind_1.png");
    Click(kSettings);
    ExpectClosed();
    EXPECT_EQ(testsupport::ReadFile(ini_), Expected(1, 7, song));
}

TEST_F(Dialog, LoadedSettingsAreShownAndSavedAgain) {
    const std::string song = root_.path() + "/a.wav";
    WriteAll(song, "RIFF");
    WriteAll(ini_, Expected(1, 12, song));
    Open();
    Screenshot("dialog_kind_1_repeat_12.png");
    Click(kSettings);
    ExpectClosed();
    EXPECT_EQ(testsupport::ReadFile(ini_), Expected(1, 12, song));

    // File kind without a file, and a typed half that rounds to the even neighbour.
    WriteAll(ini_, "");
    Open();
    Click(kImageFile);
    Click(kLabelCd);
    TypeRepeat("2.5");
    Click(kLabelFile);
    Click(kSettings);
    ExpectClosed();
    EXPECT_EQ(testsupport::ReadFile(ini_), Expected(2, 2, ""));
}

TEST_F(Dialog, CancelTitleBarCloseAndKeysWriteNothing) {
    const std::string before = "; kept as it is\r\n[Section]\r\nBGM区分= 1\r\n";
    WriteAll(ini_, before);
    env_["VELMORA_TEST_CHOSEN_FILE"] = root_.path() + "/missing.mp3";
    Open();
    Click(kLabelFile);
    Click(kFileButton);
    Xdotool("key Escape Return");  // to the window under the pointer
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(dialog_->Running()) << "Escape and Return are not bound";
    Click(kCancel);
    ExpectClosed();
    EXPECT_EQ(testsupport::ReadFile(ini_), before);

    Open();
    Click(kLabelNone);
    testsupport::SendCloseRequest(display_.name(), window_);
    ExpectClosed();
    EXPECT_EQ(testsupport::ReadFile(ini_), before);
}

TEST_F(Dialog, WebAddressOpensWithXdgOpenAndTheDialogStaysUsable) {
    TempFolder bin;
    const std::string log = bin.path() + "/opened";
    const std::string fake = bin.path() + "/xdg-open";
    WriteAll(fake, "#!/bin/sh\necho \"$1\" > " + log + "\n");
    chmod(fake.c_str(), 0755);
    env_["PATH"] = bin.path() + ":/usr/bin:/bin";
    Open();
    Xdotool("mousemove --sync " + std::to_string(info_.x + kWebAddress.x) + " " +
            std::to_string(info_.y + kWebAddress.y) + " sleep 0.2");
    pointer_ =
        std::to_string(info_.x + kWebAddress.x) + " " + std::to_string(info_.y + kWebAddress.y);
    const PointerLook hand = CurrentCursor(display_.name());
    EXPECT_EQ(hand.width, 32);
    EXPECT_EQ(hand.hotX, 12);
    EXPECT_EQ(hand.hotY, 10);
    Click(kWebAddress);
    EXPECT_TRUE(WaitUntil([&] { return !testsupport::ReadFile(log).empty(); }, 5s));
    EXPECT_EQ(testsupport::ReadFile(log), "https://velmora.example.org/\n");

    // A handler that fails (no browser configured): nothing shown, and the dialog still saves.
    WriteAll(fake, "#!/bin/sh\necho 'no method available for opening' >&2\nexit 3\n");
    Click(kWebAddress);
    Click(kLabelCd);
    Click(kSettings);
    ExpectClosed();
    EXPECT_EQ(testsupport::ReadFile(ini_), Expected(1, 0, ""));
}

// A program folder the user can't write (an installed package): the dialog starts from the file
// there and saves to $XDG_CONFIG_HOME/velmora/Velmora.ini, leaving the program folder's file as
// it was. Root (as in CI) runs the dialog as "nobody"; anyone else gets a read-only folder.
TEST_F(Dialog, ReadOnlyProgramFolderSavesToTheUsersSettingsFolder) {
    const std::string start = "; from the package\n" + Expected(1, 12, "");
    WriteAll(ini_, start);
    TempFolder user;
    const std::string config = user.path() + "/config";
    std::filesystem::create_directories(user.path() + "/home");
    for (const auto& open : {folder_.path(), user.path(), user.path() + "/home"})
        chmod(open.c_str(), 0777);
    chmod(ini_.c_str(), 0644);
    chmod(folder_.path().c_str(), 0555);
    // A working root of the user's own, which the run lock needs.
    env_["VELMORA_ROOT"] = user.path() + "/root";
    env_["XDG_CONFIG_HOME"] = config;
    env_["HOME"] = user.path() + "/home";
    std::vector<std::string> runAs;
    if (geteuid() == 0)
        runAs = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    Open(runAs);
    Click(kLabelNone);
    Click(kSettings);
    ExpectClosed();
    chmod(folder_.path().c_str(), 0755);
    EXPECT_EQ(testsupport::ReadFile(ini_), start);
    EXPECT_EQ(testsupport::ReadFile(config + "/velmora/Velmora.ini"),
              "; from the package\n" + Expected(0, 12, ""));
}

// The dialog in the user's language: the C locale shows the design, a Japanese desktop exactly
// the same picture, and in each other language only the captions change, every one inside its
// control (pictures for people in the artifact folder: dialog_language_<locale>.png).
TEST_F(Dialog, SpeaksTheUsersLanguageWithEachCaptionInsideItsControl) {
    const auto openIn = [&](const std::string& locale) {
        env_["LC_ALL"] = locale;
        if (locale != "C.UTF-8") env_["LOCPATH"] = VELMORA_TEST_LOCALES;
        Xdotool("mousemove --sync 0 0");  // no button under the pointer
        pointer_.clear();
        Open();
        Screenshot("dialog_language_" + locale + ".png");
        return WindowPixels(display_.name(), window_, info_.width, info_.height);
    };
    const auto close = [&] {
        Click(kCancel);
        ExpectClosed();
    };
    const std::vector<std::uint32_t> design = openIn("C.UTF-8");
    ASSERT_EQ(design.size(), 496u * 246u);
    close();
    EXPECT_TRUE(openIn("ja_JP.UTF-8") == design) << "a Japanese desktop sees the design";
    close();

    const std::vector<Box> boxes = CaptionBoxes(kPanelX, kPanelY);
    for (const char* locale :
         {"de_DE.UTF-8", "fr_FR.UTF-8", "es_ES.UTF-8", "pt_BR.UTF-8", "en_US.UTF-8"}) {
        SCOPED_TRACE(locale);
        const std::vector<std::uint32_t> shown = openIn(locale);
        ASSERT_EQ(shown.size(), design.size());
        std::vector<int> changedIn(boxes.size(), 0);
        int outside = 0;
        for (int y = 0; y < 246; ++y)
            for (int x = 0; x < 496; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * 496 + x;
                if (shown[at] == design[at]) continue;
                bool inside = false;
                for (std::size_t b = 0; b < boxes.size(); ++b)
                    if (boxes[b].Holds(x, y)) {
                        ++changedIn[b];
                        inside = true;
                        break;
                    }
                if (!inside && outside++ < 5)
                    ADD_FAILURE() << "changed outside every caption's place at " << x << ", " << y;
            }
        EXPECT_EQ(outside, 0);
        for (std::size_t b = 0; b < boxes.size(); ++b)
            EXPECT_GT(changedIn[b], 0) << "caption " << b << " is not translated";
        close();  // Cancel still closes at its place
    }
}

TEST_F(Dialog, AFailedSaveIsShownInABoxAndTheDialogStaysOpen) {
    std::filesystem::create_directory(ini_);  // a folder where the settings file should be
    Open();
    Click(kLabelCd);
    Click(kSettings);
    unsigned long box = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            box = testsupport::FindWindow(display_.name(), "Error");
            return box != 0 && Info(display_.name(), box).viewable;
        },
        5s));
    EXPECT_TRUE(testsupport::Screenshot(display_.name(),
                                        testsupport::ArtifactFolder() + "/dialog_save_failed.png"));
    EXPECT_TRUE(dialog_->Running());
    Xdotool("windowfocus --sync " + std::to_string(box) + " key Return");
    EXPECT_TRUE(WaitUntil([&] { return !Info(display_.name(), box).viewable; }, 5s));
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(dialog_->Running()) << "the dialog must stay open after a failed save";
    Click(kCancel);
    ExpectClosed();
    EXPECT_TRUE(std::filesystem::is_directory(ini_));

    // On a German desktop the box is titled and worded in German.
    env_["LC_ALL"] = "de_DE.UTF-8";
    env_["LOCPATH"] = VELMORA_TEST_LOCALES;
    Open();
    Click(kLabelCd);
    Click(kSettings);
    ASSERT_TRUE(WaitUntil(
        [&] {
            box = testsupport::FindWindow(display_.name(), "Fehler");
            return box != 0 && Info(display_.name(), box).viewable;
        },
        5s));
    EXPECT_TRUE(testsupport::Screenshot(
        display_.name(), testsupport::ArtifactFolder() + "/dialog_save_failed_de_DE.png"));
    Xdotool("windowfocus --sync " + std::to_string(box) + " key Return");
    EXPECT_TRUE(WaitUntil([&] { return !Info(display_.name(), box).viewable; }, 5s));
    Click(kCancel);
    ExpectClosed();
}

}  // namespace
