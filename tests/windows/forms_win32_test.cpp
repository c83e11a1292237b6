// The forms runtime's Win32 backend under Wine: forms sized by client area and findable while
// hidden, what the form paints (rows, panels, transparent labels and faces), the pointer reaching
// windowless controls and paint surfaces in the promised order, timers that never nest, the combo
// box's typed text, and pictures decoded by the system's codecs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/forms.h"
#include "platform/common/for_tests.h"

#include "embedded_files.h"

namespace {

using forms::Rect;

constexpr std::uint32_t kBack = 0x203040;
constexpr std::uint32_t kRow = 0x5080C0;

// A form built by the test: its controls are made by `build` when it loads.
class TestForm : public forms::Form {
  public:
    explicit TestForm(std::string caption, int width = 200, int height = 120)
        : Form(width, height, std::move(caption)) {
        forms::FormStyle style;
        style.fixedSize = true;
        style.backColour = kBack;
        SetStyle(std::move(style));
    }
    std::function<void(TestForm&)> build;
    std::function<void()> onUnload;
    int resizes = 0;

  protected:
    void CreateControls() override {
        if (build) build(*this);
    }
    void Form_Resize() override { ++resizes; }
    void Form_Unload(bool&) override {
        if (onUnload) onUnload();
    }
};

HWND Handle(const forms::Form& form) {
    return reinterpret_cast<HWND>(form.WindowId());
}

// The form's client area as painted: the form and its child windows redrawn once, then read
// pixel by pixel as 0xRRGGBB.
class Painted {
  public:
    explicit Painted(const forms::Form& form) : window_(reinterpret_cast<HWND>(form.WindowId())) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        forms::WaitEvents(50);
    }
    std::uint32_t operator()(int x, int y) const {
        POINT p{x, y};
        HWND target = ChildWindowFromPointEx(window_, p, CWP_SKIPINVISIBLE);
        if (!target) target = window_;
        MapWindowPoints(window_, target, &p, 1);
        HDC dc = GetDC(target);
        const COLORREF c = GetPixel(dc, p.x, p.y);
        ReleaseDC(target, dc);
        return (std::uint32_t{GetRValue(c)} << 16) | (std::uint32_t{GetGValue(c)} << 8) |
               GetBValue(c);
    }

  private:
    HWND window_;
};

void Pump(int ms = 100) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    while (static_cast<int>(end - GetTickCount()) > 0) forms::WaitEvents(10);
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

forms::ImageData Solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    forms::ImageData image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) image.pixels.insert(image.pixels.end(), {r, g, b});
    return image;
}

TEST(FormsWin32, FormIsSizedByClientAreaAndFoundByTitleWhileHidden) {
    TestForm form("Forms Test Hidden", 496, 246);
    ASSERT_TRUE(form.Load());
    EXPECT_FALSE(form.Visible());
    EXPECT_NE(form.WindowId(), 0u);
    EXPECT_TRUE(platform::WindowWithTitleExists("Forms Test Hidden"));
    EXPECT_EQ(form.resizes, 0);

    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.resizes, 1);  // the first size, as the form shows
    RECT client{};
    GetClientRect(Handle(form), &client);
    EXPECT_EQ(client.right, 496);
    EXPECT_EQ(client.bottom, 246);
    const Rect bounds = form.Bounds();
    EXPECT_EQ(bounds.width, 496);
    EXPECT_EQ(bounds.height, 246);
    EXPECT_EQ(form.BackColour(), kBack);

    form.SetCaption("Forms Test Renamed");
    EXPECT_TRUE(platform::WindowWithTitleExists("Forms Test Renamed"));
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(platform::WindowWithTitleExists("Forms Test Renamed"));
    EXPECT_EQ(form.WindowId(), 0u);
}

TEST(FormsWin32, TheCloseBoxUnloadsUnlessTheFormCancels) {
    TestForm form("Forms Test Close");
    form.Show();
    SendMessageW(Handle(form), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(platform::WindowWithTitleExists("Forms Test Close"));
}

TEST(FormsWin32, FormPaintsRowsPanelsAndTransparentLabels) {
    TestForm form("Forms Test Paint");
    forms::Panel* panel = nullptr;
    form.build = [&](TestForm& f) {
        panel = f.AddPanel({100, 10, 60, 40});
        forms::PictureBox& surface = panel->Surface();
        surface.SetBackColour(0x00FF00);
        surface.Cls();
        forms::LabelStyle white;
        white.colour = 0xFFFFFF;
        f.AddLabel({4, 2, 90, 14}, "& 楽")->SetStyle(white);
        f.AddFrameShape({10, 60, 30, 20});
    };
    form.Show();
    form.SetBackgroundRows(std::vector<std::uint32_t>(30, kRow));
    ASSERT_NE(panel, nullptr);

    const Painted pixel(form);
    EXPECT_EQ(pixel(190, 5), kRow);     // a row
    EXPECT_EQ(pixel(190, 100), kBack);  // below the rows: the back colour
    // The label lets the rows show between its letters, and draws white ones.
    int white = 0, rows = 0;
    for (int x = 4; x < 60; ++x) {
        for (int y = 2; y < 16; ++y) {
            const std::uint32_t p = pixel(x, y);
            white += p == 0xFFFFFF;
            rows += p == kRow;
        }
    }
    EXPECT_GT(white, 10);
    EXPECT_GT(rows, 200);
    // The panel's picture starts inside its two-pixel border.
    EXPECT_EQ(pixel(100 + forms::Panel::kBorder, 10 + forms::Panel::kBorder), 0x00FF00);
    EXPECT_NE(pixel(100, 10), 0x00FF00);
    EXPECT_EQ(panel->Surface().Bounds().width, 60 - 2 * forms::Panel::kBorder);
    // The frame shape: a black edge, the inside not filled.
    EXPECT_EQ(pixel(10, 70), 0x000000);
    EXPECT_EQ(pixel(25, 70), kBack);
}

TEST(FormsWin32, PaintSurfaceShowsItsFaceOrWhatLiesBeneath) {
    TestForm form("Forms Test Surface");
    forms::PaintSurface* surface = nullptr;
    form.build = [&](TestForm& f) { surface = f.AddPaintSurface({20, 20, 40, 20}); };
    form.Show();
    ASSERT_NE(surface, nullptr);
    forms::Picture face;
    face.Reset(40, 20, 0xFF, 0x00, 0x00);
    surface->SetFace(&face);
    EXPECT_EQ(Painted(form)(30, 25), 0xFF0000);
    surface->SetFace(nullptr);
    EXPECT_EQ(Painted(form)(30, 25), kBack);
    form.SetBackgroundRows(std::vector<std::uint32_t>(60, kRow));
    EXPECT_EQ(Painted(form)(30, 25), kRow);  // the rows painted later show through too
}

TEST(FormsWin32, PointerReachesLabelsAndOptionButtonsWithAnyButton) {
    TestForm form("Forms Test Pointer");
    std::vector<std::string> seen;
    form.build = [&](TestForm& f) {
        forms::Label* label = f.AddLabel({10, 10, 50, 13}, "label");
        label->OnMouseDown([&](int b) { seen.push_back("label down " + std::to_string(b)); });
        label->OnClick([&] { seen.push_back("label click"); });
        forms::OptionButton* option = f.AddOptionButton(
            {10, 40, 13, 13}, Solid(12, 12, 255, 255, 255), Solid(12, 12, 0, 0, 255));
        option->OnMouseDown([&](int b) { seen.push_back("option down " + std::to_string(b)); });
        f.AddLabel({10, 60, 50, 13}, "no handlers");
    };
    form.Show();
    HWND w = Handle(form);
    SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, At(15, 15));
    SendMessageW(w, WM_RBUTTONUP, 0, At(15, 15));
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    SendMessageW(w, WM_LBUTTONUP, 0, At(16, 16));
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    SendMessageW(w, WM_LBUTTONUP, 0, At(150, 100));  // released elsewhere: no click
    SendMessageW(w, WM_MBUTTONDOWN, MK_MBUTTON, At(12, 42));
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(12, 62));  // a label without handlers
    SendMessageW(w, WM_LBUTTONUP, 0, At(12, 62));
    const std::vector<std::string> expected = {"label down 3", "label down 1", "label click",
                                               "label down 1", "option down 2"};
    EXPECT_EQ(seen, expected);
}

TEST(FormsWin32, ClickHandlerMayUnloadItsForm) {
    TestForm form("Forms Test Unload Click");
    form.build = [&](TestForm& f) {
        f.AddLabel({10, 10, 50, 13}, "close")->OnClick([&] { form.Unload(); });
    };
    form.Show();
    HWND w = Handle(form);
    SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    SendMessageW(w, WM_LBUTTONUP, 0, At(15, 15));
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(IsWindow(w));
}

TEST(FormsWin32, SurfaceReportsPointerThenFocusThenPressAndMayUnloadOnRelease) {
    TestForm form("Forms Test Surface Events");
    forms::PaintSurface* surface = nullptr;
    std::vector<std::string> seen;
    bool accepts = true;
    form.build = [&](TestForm& f) {
        surface = f.AddPaintSurface({20, 20, 40, 20});
        forms::PaintSurface::Events events;
        events.pointerMoved = [&] { seen.push_back("moved"); };
        events.pressed = [&](int b) { seen.push_back("pressed " + std::to_string(b)); };
        events.released = [&](int b) {
            seen.push_back("released " + std::to_string(b));
            if (b == forms::kLeftButton) form.Unload();
        };
        events.focusChanged = [&](bool gained) { seen.push_back(gained ? "focus" : "blur"); };
        events.acceptsFocus = [&] { return accepts; };
        surface->SetEvents(std::move(events));
    };
    form.Show();
    HWND child = ChildWindowFromPointEx(Handle(form), POINT{30, 30}, CWP_SKIPINVISIBLE);
    ASSERT_NE(child, Handle(form));

    accepts = false;  // a refusing surface takes no focus
    SendMessageW(child, WM_RBUTTONDOWN, MK_RBUTTON, At(5, 5));
    SendMessageW(child, WM_RBUTTONUP, 0, At(5, 5));
    accepts = true;
    SendMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    SendMessageW(child, WM_MOUSEMOVE, MK_LBUTTON, At(500, 5));  // off the surface: not reported
    SendMessageW(child, WM_LBUTTONUP, 0, At(5, 5));
    const std::vector<std::string> expected = {"moved", "pressed 3", "released 3", "moved",
                                               "focus", "pressed 1", "released 1"};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(IsWindow(child));
}

TEST(FormsWin32, WherePointerTellsTheSurfaceFromItsFormAndTheRest) {
    TestForm form("Forms Test Where");
    forms::PaintSurface* surface = nullptr;
    form.build = [&](TestForm& f) { surface = f.AddPaintSurface({20, 20, 40, 20}); };
    form.Show();
    form.Move(100, 100);
    Pump(200);
    const Rect b = form.Bounds();
    const auto placeAt = [&](int x, int y) {
        SetCursorPos(x, y);
        Pump(100);
        return surface->WherePointer();
    };
    EXPECT_EQ(placeAt(b.x + 30, b.y + 30), forms::PointerPlace::OverControl);
    EXPECT_EQ(placeAt(b.x + 150, b.y + 90), forms::PointerPlace::OverForm);
    EXPECT_EQ(placeAt(b.x + b.width + 200, b.y + b.height + 200), forms::PointerPlace::Elsewhere);
}

TEST(FormsWin32, TimerTicksNeverNestAndStopWithTheForm) {
    TestForm form("Forms Test Timer");
    form.Load();
    forms::Timer timer(&form);
    int ticks = 0, depth = 0, deepest = 0;
    timer.OnTimer([&] {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        if (ticks == 1) Pump(300);  // a nested loop, as a message box runs one
        --depth;
    });
    timer.SetInterval(10);
    timer.SetEnabled(true);
    Pump(600);
    EXPECT_GT(ticks, 3);
    EXPECT_EQ(deepest, 1);
    form.Unload();
    EXPECT_FALSE(timer.Enabled());
    const int before = ticks;
    Pump(100);
    EXPECT_EQ(ticks, before);
}

TEST(FormsWin32, ComboBoxTakesTypedTextAndKeepsItsHeight) {
    TestForm form("Forms Test Combo");
    forms::ComboBox* combo = nullptr;
    form.build = [&](TestForm& f) { combo = f.AddComboBox({10, 10, 41, 20}); };
    form.Show();
    ASSERT_NE(combo, nullptr);
    combo->SetText("12");
    combo->SetItems({"", "1", "2"});
    EXPECT_EQ(combo->Text(), "12");  // the list does not replace what the field shows
    combo->SetText("曲 7");
    EXPECT_EQ(combo->Text(), "曲 7");
    HWND box = FindWindowExW(Handle(form), nullptr, L"ComboBox", nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 3);
    RECT r{};
    GetWindowRect(box, &r);
    EXPECT_EQ(r.bottom - r.top, 20);
    combo->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(box));
}

TEST(FormsWin32, LabelAutoSizeFitsItsText) {
    TestForm form("Forms Test AutoSize");
    forms::Label* shortLabel = nullptr;
    forms::Label* longLabel = nullptr;
    form.build = [&](TestForm& f) {
        shortLabel = f.AddLabel({10, 10, 1, 13}, "なし");
        longLabel = f.AddLabel({10, 30, 1, 13}, "曲目をﾘﾋﾟｰﾄ and more");
    };
    form.Load();
    shortLabel->AutoSize();
    longLabel->AutoSize();
    EXPECT_GT(shortLabel->Bounds().width, 10);
    EXPECT_GT(longLabel->Bounds().width, shortLabel->Bounds().width);
    EXPECT_EQ(longLabel->Bounds().height, 13);
}

TEST(FormsWin32, SystemCodecsDecodeOurPicturesAndRefuseOthers) {
    const auto radio = forms::DecodeImage(test_radio_off_png, test_radio_off_png_size);
    ASSERT_TRUE(radio);
    EXPECT_EQ(radio->width, 12);
    EXPECT_EQ(radio->height, 12);
    EXPECT_EQ(radio->channels, 3);
    const auto hand = forms::DecodeImage(test_hand_png, test_hand_png_size);
    ASSERT_TRUE(hand);
    EXPECT_EQ(hand->width, 32);
    EXPECT_EQ(hand->channels, 4);  // see-through around the hand
    const auto preview = forms::DecodeImage(test_preview_jpg, test_preview_jpg_size);
    ASSERT_TRUE(preview);
    EXPECT_GT(preview->width, 0);
    EXPECT_EQ(preview->pixels.size(),
              static_cast<std::size_t>(preview->width) * preview->height * preview->channels);

    std::vector<std::uint8_t> cut(test_radio_off_png, test_radio_off_png + 40);
    EXPECT_FALSE(forms::DecodeImage(cut.data(), cut.size()));
    const std::uint8_t bitmap[] = {'B', 'M', 0, 0, 0, 0};
    EXPECT_FALSE(forms::DecodeImage(bitmap, sizeof bitmap));
    EXPECT_FALSE(forms::DecodeImage(nullptr, 0));
}

}  // namespace
