// Zentrova_P, the settings dialog: the window "<Velmora>" where the user picks the background
// music (none, an audio CD with an optional track to repeat, or an MP3 or WAV file) and saves it
// to the settings file.
#include <FL/Fl.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_PNG_Image.H>

#include <array>
#include <memory>

#include "host/button/command.h"
#include "host/dialog/dialog_logic.h"
#include "host/dialog/dialog_widgets.h"
#include "host/dialog/file_chooser.h"
#include "host/forms.h"
#include "host/roles.h"
#include "host/settings.h"
#include "host/zentrova_b.h"
#include "host/zoom.h"
#include "platform/platform.h"

extern const unsigned char dialog_metal_strip_png[];
extern const std::size_t dialog_metal_strip_png_size;
extern const unsigned char dialog_radio_off_png[];
extern const std::size_t dialog_radio_off_png_size;
extern const unsigned char dialog_radio_on_png[];
extern const std::size_t dialog_radio_on_png_size;
extern const unsigned char dialog_icon_png[];
extern const std::size_t dialog_icon_png_size;
extern const unsigned char dialog_hand_cursor_png[];
extern const std::size_t dialog_hand_cursor_png_size;

namespace Zentrova_P {
namespace {

// The project's own page, behind the web-address label.
constexpr const char* kWebAddress = "https://velmora.example.org/";
constexpr const char* kCredit = "Velmora  Version 1.0.0";

// "ＭＳ Ｐゴシック" 9.75 pt and Tahoma 8.25 pt at 96 dots per inch.
constexpr Fl_Font kGothic = FL_HELVETICA;
constexpr int kGothicSize = 13;
constexpr Fl_Font kSans = FL_FREE_FONT;
constexpr int kSansSize = 11;

// The hand cursor's hot spot: the tip of the finger.
constexpr int kHandHotX = 12;
constexpr int kHandHotY = 10;

Fl_RGB_Image* Decode(const char* name, const unsigned char* data, std::size_t size) {
    return new Fl_PNG_Image(name, data, static_cast<int>(size));
}

// The dialog's pictures, decoded once for the program's life.
struct Pictures {
    Fl_RGB_Image* metal = Decode("metal", dialog_metal_strip_png, dialog_metal_strip_png_size);
    std::array<Fl_RGB_Image*, 2> radio = {
        Decode("radio_off", dialog_radio_off_png, dialog_radio_off_png_size),
        Decode("radio_on", dialog_radio_on_png, dialog_radio_on_png_size)};
    Fl_RGB_Image* icon = Decode("icon", dialog_icon_png, dialog_icon_png_size);
    Fl_RGB_Image* hand = Decode("hand", dialog_hand_cursor_png, dialog_hand_cursor_png_size);
};

const Pictures& Images() {
    static const Pictures pictures;
    return pictures;
}

// Pic_Mbl: the texture strip as a persistent picture, the source of the panel's tiles.
forms::Picture TexturePicture() {
    forms::Picture picture;
    const Fl_RGB_Image* strip = Images().metal;
    if (!strip || strip->w() <= 0 || strip->d() < 3 || strip->count() < 1) return picture;
    picture.Reset(strip->w(), strip->h());
    const auto* data = reinterpret_cast<const std::uint8_t*>(strip->data()[0]);
    const int stride = strip->ld() ? strip->ld() : strip->w() * strip->d();
    for (int y = 0; y < strip->h(); ++y)
        for (int x = 0; x < strip->w(); ++x)
            for (int c = 0; c < 3; ++c)
                picture.Row(y)[x * 3 + c] = data[y * stride + x * strip->d() + c];
    return picture;
}

// The combo box's list entries, kept for as long as a menu may point at them.
const std::vector<std::string>& RepeatTexts() {
    static const std::vector<std::string> texts = RepeatEntries();
    return texts;
}

class SettingsDialog : public forms::Form {
  public:
    SettingsDialog() : Form(kClientWidth, kClientHeight, "<Velmora>") {}

  protected:
    Fl_Double_Window* MakeWindow(int width, int height, const char* caption) override {
        return window_ = new DialogWindow(width, height, caption);
    }
    void CreateControls(Fl_Double_Window& window) override;
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;

  private:
    void CreatePanelControls();
    Command* NewCommand(int x, int y, int w, int h, const char* caption);
    void Form_Resize();
    void SetButtons(bool initialize, bool enabled);
    void TileTexture(Panel& target);
    void ShowKind(const ControlState& state);
    void BGM_MouseDown(int index);
    void Cmd_File_Click();
    void Cmd_Set_Click();
    void Cmd_Can_Click();
    void lbl_URL_Click();

    DialogWindow* window_ = nullptr;
    Panel* Pic_C = nullptr;
    std::array<ImageBox*, 3> Img_BGM{};
    std::array<TextLabel*, 3> lbl_BGM{};
    Fl_Input_Choice* BGM_Repeat = nullptr;
    TextLabel* lbl_Fname = nullptr;
    LinkLabel* lbl_URL = nullptr;
    Command* Cmd_File = nullptr;
    Command* Cmd_Set = nullptr;
    Command* Cmd_Can = nullptr;
    std::vector<Command*> commands_;
    std::vector<Fl_Menu_Item> repeatMenu_;
    forms::Picture Pic_Mbl;
};

TextLabel* NewLabel(int x, int y, int w, int h, const char* text) {
    auto* label = new TextLabel(x, y, w, h, text);
    label->SetFontFace(kGothic, kGothicSize);
    return label;
}

Command* SettingsDialog::NewCommand(int x, int y, int w, int h, const char* caption) {
    auto* command = new Command(x, y, w, h);
    // The dialog's stored layout gives each button its caption and font; everything else is at
    // its default.
    forms::PropertyStore store;
    store.WriteProperty("Caption", caption, "Command");
    forms::FontSpec font;
    font.face = "ＭＳ Ｐゴシック";
    font.size = 9.75;
    store.WriteFont("Font", font, store.AmbientFont());
    command->ReadProperties(store);
    commands_.push_back(command);
    return command;
}

void SettingsDialog::CreateControls(Fl_Double_Window& window) {
    window.size_range(kClientWidth, kClientHeight, kClientWidth, kClientHeight);  // fixed border
    if (Images().icon) window.icon(Images().icon);

    Pic_C = new Panel(12, 16, 469, 165);
    Pic_C->begin();
    CreatePanelControls();
    Pic_C->end();

    auto* credit = NewLabel(12, 192, 165, 13, kCredit);
    credit->SetColour(FL_WHITE);
    lbl_URL = new LinkLabel(12, 208, 207, 13, kWebAddress);
    lbl_URL->SetFontFace(kGothic, kGothicSize);
    lbl_URL->SetColour(FL_WHITE);
    lbl_URL->SetUnderlined(true);
    lbl_URL->SetCursor(Images().hand, kHandHotX, kHandHotY);
    lbl_URL->OnClick([this] { lbl_URL_Click(); });

    Cmd_Set = NewCommand(324, 200, 77, 25, "設定");
    Cmd_Set->OnClick([this] { Cmd_Set_Click(); });
    Cmd_Can = NewCommand(404, 200, 77, 25, "ｷｬﾝｾﾙ");
    Cmd_Can->OnClick([this] { Cmd_Can_Click(); });
}

void SettingsDialog::CreatePanelControls() {
    Panel& p = *Pic_C;
    auto* title = NewLabel(p.ClientX(20), p.ClientY(24), 111, 13, "BGM");
    title->SetCentred(true);
    new FrameShape(p.ClientX(20), p.ClientY(20), 113, 21);

    // The radio rows: index 1 (audio CD) on top, then 0 (none), then 2 (music file).
    const std::array<int, 3> rowTop = {76, 56, 96};
    const std::array<const char*, 3> caption = {"なし", "音楽CD", "MP3、WAV"};
    for (int i = 0; i < 3; ++i) {
        Img_BGM[i] = new ImageBox(p.ClientX(28), p.ClientY(rowTop[i]), 13, 13);
        Img_BGM[i]->OnMouseDown([this, i] { BGM_MouseDown(i); });
        lbl_BGM[i] = NewLabel(p.ClientX(44), p.ClientY(rowTop[i]), 1, 13, caption[i]);
        lbl_BGM[i]->AutoSize();
        lbl_BGM[i]->OnMouseDown([this, i] { BGM_MouseDown(i); });
    }

    BGM_Repeat = new Fl_Input_Choice(p.ClientX(112), p.ClientY(52), 41, 20);
    BGM_Repeat->textfont(kSans);
    BGM_Repeat->textsize(kSansSize);
    BGM_Repeat->input()->color(FL_WHITE);
    auto* repeatCaption = NewLabel(p.ClientX(156), p.ClientY(56), 1, 13, "曲目をﾘﾋﾟｰﾄ");
    repeatCaption->AutoSize();

    Cmd_File = NewCommand(p.ClientX(28), p.ClientY(116), 41, 21, "...");
    Cmd_File->OnClick([this] { Cmd_File_Click(); });
    lbl_Fname = NewLabel(p.ClientX(72), p.ClientY(116), 373, 33, "");
    lbl_Fname->SetFramed(true);
}

void SettingsDialog::Form_Load() {
    Fl_Window& window = *Window();
    // 1. Centred across the screen, at a third of the free height from the top.
    const Point at = Placement(forms::ScreenWidthPixels(), forms::ScreenHeightPixels(), window.w(),
                               window.h(), forms::TwipsPerPixelX());
    window.position(at.x, at.y);
    window_->OnResize([this] { Form_Resize(); });
    // 2-3. Buttons ready, panel textured.
    SetButtons(true, true);
    Pic_Mbl = TexturePicture();
    TileTexture(*Pic_C);
    // 4-7. The radio group and the controls that depend on the music kind.
    BGM_Repeat->deactivate();
    ShowKind(ControlsFor(Zentrova_B::BgmMode));
    // 8-9. The repeat track and the list of tracks.
    BGM_Repeat->value(FormatHashes(Zentrova_B::BgmRepeat).c_str());
    repeatMenu_.clear();
    for (const std::string& text : RepeatTexts()) {
        Fl_Menu_Item item{};
        item.text = text.c_str();
        repeatMenu_.push_back(item);
    }
    repeatMenu_.push_back(Fl_Menu_Item{});  // the end of the menu
    BGM_Repeat->menubutton()->menu(repeatMenu_.data());
    // 10. The music file.
    lbl_Fname->SetText(Zentrova_B::BgmFile);
    // 11-12. The zoom opens from the mouse position.
    int mouseX = 0, mouseY = 0;
    Fl::get_mouse(mouseX, mouseY);
    RecordZoomPoint(Point{mouseX, mouseY});
    Zentrova_B::ZoomOpen(&window);
    // 13.
    forms::SetScreenMousePointer(forms::MousePointer::Default);
}

void SettingsDialog::Form_Unload(bool&) {
    Zentrova_B::ZoomClose(Window());
}

void SettingsDialog::Form_Resize() {
    const double height = window_->h();
    std::vector<Rgb> rows;
    for (int y = 0; y <= GradientLastRow(height); ++y) rows.push_back(GradientRow(y, height));
    window_->SetGradient(std::move(rows));
}

void SettingsDialog::SetButtons(bool initialize, bool enabled) {
    for (Command* command : commands_) {
        if (initialize)
            command->Initialize();
        else
            command->SetEnabled(enabled);
    }
}

void SettingsDialog::TileTexture(Panel& target) {
    forms::PictureBox& surface = target.Surface();
    surface.SetBackColour(0xE0E0E0);
    surface.Cls();
    for (const Point& at : TileOrigins(surface.w(), surface.h(), Pic_Mbl.width, Pic_Mbl.height))
        surface.CopyFrom(Pic_Mbl, 0, 0, Pic_Mbl.width, Pic_Mbl.height, at.x, at.y);
    surface.redraw();
}

void SettingsDialog::ShowKind(const ControlState& state) {
    for (std::size_t i = 0; i < 3; ++i) Img_BGM[i]->SetPicture(Images().radio[state.radioOn[i]]);
    if (state.repeatEnabled)
        BGM_Repeat->activate();
    else
        BGM_Repeat->deactivate();
    Cmd_File->SetEnabled(state.fileEnabled);
}

void SettingsDialog::BGM_MouseDown(int index) {
    ShowKind(SelectKind(static_cast<std::int16_t>(index)));
}

void SettingsDialog::Cmd_File_Click() {
    const auto chosen = ChooseFile(MusicFileRequest());
    Zentrova_B::LastApiResult = chosen ? 1 : 0;
    if (chosen && AcceptChosenFile(*chosen)) lbl_Fname->SetText(Zentrova_B::BgmFile);
}

void SettingsDialog::Cmd_Set_Click() {
    const std::string path = Zentrova_B::SettingsPath();
    SaveSettings(BGM_Repeat->value(), [&path](std::string_view key, const std::string& value) {
        Zentrova_B::PutIniString(Zentrova_B::kSection, key, value, path);
    });
    Unload();
}

void SettingsDialog::Cmd_Can_Click() {
    Unload();
}

void SettingsDialog::lbl_URL_Click() {
    forms::SetScreenMousePointer(forms::MousePointer::Hourglass);
    Fl::flush();
    platform::OpenWebAddress(lbl_URL->Text());
    forms::SetScreenMousePointer(forms::MousePointer::Default);
    lbl_URL->RefreshCursor();
}

}  // namespace

void ShowModal() {
    // FLTK has no glyph fallback: the Japanese captions need a Japanese font by name.
    Fl::set_font(kGothic, " IPAPGothic");
    Fl::set_font(kSans, " DejaVu Sans");
    SettingsDialog dialog;
    dialog.ShowModal();
    dialog.Unload();
}

}  // namespace Zentrova_P
