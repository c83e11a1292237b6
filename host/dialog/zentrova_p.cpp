// Zentrova_P, the settings dialog: the window "<Velmora>" where the user picks the background
// music (none, an audio CD with an optional track to repeat, or an MP3 or WAV file) and saves it
// to the settings file.
#include <array>
#include <memory>
#include <vector>

#include "embedded_files.h"
#include "forms/forms.h"
#include "host/button/command.h"
#include "host/dialog/dialog_logic.h"
#include "host/dialog/file_chooser.h"
#include "host/roles.h"
#include "host/settings.h"
#include "host/zentrova_b.h"
#include "host/zoom.h"
#include "platform/base.h"
#include "platform/window_system.h"
#include "shared/names.h"

namespace Zentrova_P {
namespace {

// The project's own page, behind the web-address label.
constexpr const char* kWebAddress = "https://velmora.example.org/";
constexpr const char* kCredit = "Velmora  Version 1.0.0";

// The hand cursor's hot spot: the tip of the finger.
constexpr int kHandHotX = 12;
constexpr int kHandHotY = 10;

// The captions' font: "ＭＳ Ｐゴシック" 9.75 pt; the combo box's: Tahoma 8.25 pt.
forms::FontSpec GothicFont() {
    return forms::FontSpec{};
}

forms::FontSpec SansFont() {
    forms::FontSpec font;
    font.face = "Tahoma";
    font.size = 8.25;
    font.charset = 0;
    return font;
}

forms::ImageData Decode(const unsigned char* data, std::size_t size) {
    return forms::DecodeImage(data, size).value_or(forms::ImageData{});
}

// The dialog's pictures, decoded once for the program's life.
struct Pictures {
    forms::ImageData metal = Decode(dialog_metal_strip_png, dialog_metal_strip_png_size);
    forms::ImageData radioOff = Decode(dialog_radio_off_png, dialog_radio_off_png_size);
    forms::ImageData radioOn = Decode(dialog_radio_on_png, dialog_radio_on_png_size);
    forms::ImageData icon = Decode(dialog_icon_png, dialog_icon_png_size);
    forms::ImageData hand = Decode(dialog_hand_cursor_png, dialog_hand_cursor_png_size);
};

const Pictures& Images() {
    static const Pictures pictures;
    return pictures;
}

std::uint32_t Colour(const Rgb& rgb) {
    return (std::uint32_t{rgb.r} << 16) | (std::uint32_t{rgb.g} << 8) | rgb.b;
}

class SettingsDialog : public forms::Form {
  public:
    SettingsDialog() : Form(kClientWidth, kClientHeight, names::kDialogTitle) {
        forms::FormStyle style;
        style.fixedSize = true;
        style.backColour = 0xC0C0C0;
        style.icon = Images().icon;
        SetStyle(std::move(style));
    }

  protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload(bool& cancel) override;

  private:
    void CreatePanelControls();
    forms::Label* NewLabel(const forms::Rect& r, const char* text, forms::Panel* in = nullptr,
                           forms::LabelStyle style = {});
    Command* NewCommand(const forms::Rect& r, const char* caption, forms::Panel* in = nullptr);
    void InitializeButtons();
    void TileTexture(forms::Panel& target);
    void ShowKind(const ControlState& state);
    void BGM_MouseDown(int index);
    void Cmd_File_Click();
    void Cmd_Set_Click();
    void Cmd_Can_Click();
    void lbl_URL_Click();

    forms::Panel* Pic_C = nullptr;
    std::array<forms::OptionButton*, 3> Img_BGM{};
    std::array<forms::Label*, 3> lbl_BGM{};
    forms::ComboBox* BGM_Repeat = nullptr;
    forms::Label* lbl_Fname = nullptr;
    forms::Label* lbl_URL = nullptr;
    Command* Cmd_File = nullptr;
    Command* Cmd_Set = nullptr;
    Command* Cmd_Can = nullptr;
    std::vector<std::unique_ptr<Command>> commands_;
    forms::Picture Pic_Mbl;
};

forms::Label* SettingsDialog::NewLabel(const forms::Rect& r, const char* text, forms::Panel* in,
                                       forms::LabelStyle style) {
    forms::Label* label = AddLabel(r, text, in);
    style.font = GothicFont();
    label->SetStyle(style);
    return label;
}

Command* SettingsDialog::NewCommand(const forms::Rect& r, const char* caption, forms::Panel* in) {
    commands_.push_back(std::make_unique<Command>(*this, r, in));
    Command* command = commands_.back().get();
    // The dialog's stored layout gives each button its caption and font; everything else is at
    // its default.
    forms::PropertyStore store;
    store.WriteProperty("Caption", caption, "Command");
    store.WriteFont("Font", GothicFont(), store.AmbientFont());
    command->ReadProperties(store);
    return command;
}

void SettingsDialog::CreateControls() {
    commands_.clear();
    Pic_C = AddPanel({12, 16, 469, 165});
    CreatePanelControls();

    forms::LabelStyle white;
    white.colour = 0xFFFFFF;
    NewLabel({12, 192, 165, 13}, kCredit, nullptr, white);
    forms::LabelStyle link = white;
    link.underlined = true;
    lbl_URL = NewLabel({12, 208, 207, 13}, kWebAddress, nullptr, link);
    lbl_URL->SetCursor(Images().hand, kHandHotX, kHandHotY);
    lbl_URL->OnClick([this] { lbl_URL_Click(); });

    Cmd_Set = NewCommand({324, 200, 77, 25}, platform::Translate("設定"));
    Cmd_Set->OnClick([this] { Cmd_Set_Click(); });
    Cmd_Can = NewCommand({404, 200, 77, 25}, platform::Translate("ｷｬﾝｾﾙ"));
    Cmd_Can->OnClick([this] { Cmd_Can_Click(); });
}

void SettingsDialog::CreatePanelControls() {
    forms::Panel* const p = Pic_C;
    forms::LabelStyle centred;
    centred.centred = true;
    NewLabel({20, 24, 111, 13}, platform::Translate("BGM"), p, centred);
    AddFrameShape({20, 20, 113, 21}, p);

    // The radio rows: index 1 (audio CD) on top, then 0 (none), then 2 (music file).
    const std::array<int, 3> rowTop = {76, 56, 96};
    const std::array<const char*, 3> caption = {platform::Translate("なし"),
                                                platform::Translate("音楽CD"),
                                                platform::Translate("MP3、WAV")};
    for (int i = 0; i < 3; ++i) {
        Img_BGM[i] =
            AddOptionButton({28, rowTop[i], 13, 13}, Images().radioOff, Images().radioOn, p);
        Img_BGM[i]->OnMouseDown([this, i](int) { BGM_MouseDown(i); });
        lbl_BGM[i] = NewLabel({44, rowTop[i], 1, 13}, caption[i], p);
        lbl_BGM[i]->AutoSize();
        lbl_BGM[i]->OnMouseDown([this, i](int) { BGM_MouseDown(i); });
    }

    BGM_Repeat = AddComboBox({112, 52, 41, 20}, p);
    BGM_Repeat->SetFont(SansFont());
    NewLabel({156, 56, 1, 13}, platform::Translate("曲目をﾘﾋﾟｰﾄ"), p)->AutoSize();

    Cmd_File = NewCommand({28, 116, 41, 21}, "...", p);
    Cmd_File->OnClick([this] { Cmd_File_Click(); });
    forms::LabelStyle framed;
    framed.framed = true;
    lbl_Fname = NewLabel({72, 116, 373, 33}, "", p, framed);
}

void SettingsDialog::Form_Load() {
    // 1. Centred across the screen, at a third of the free height from the top.
    const forms::Rect bounds = Bounds();
    const Point at = Placement(forms::ScreenWidthPixels(), forms::ScreenHeightPixels(),
                               bounds.width, bounds.height, forms::TwipsPerPixelX());
    Move(at.x, at.y);
    // 2-3. Buttons ready, panel textured.
    InitializeButtons();
    Pic_Mbl = Images().metal.ToPicture();
    TileTexture(*Pic_C);
    // 4-7. The radio group and the controls that depend on the music kind.
    BGM_Repeat->SetEnabled(false);
    ShowKind(ControlsFor(Zentrova_B::BgmMode));
    // 8-9. The repeat track and the list of tracks.
    BGM_Repeat->SetText(FormatHashes(Zentrova_B::BgmRepeat));
    BGM_Repeat->SetItems(RepeatEntries());
    // 10. The music file.
    lbl_Fname->SetText(Zentrova_B::BgmFile);
    // 11-12. The zoom opens from the mouse position.
    const platform::PointerHit pointer = platform::WindowUnderPointer();
    RecordZoomPoint(pointer.found ? std::optional<Point>(Point{pointer.rootX, pointer.rootY})
                                  : std::nullopt);
    Zentrova_B::ZoomOpen(this);
    // 13.
    forms::SetScreenMousePointer(forms::MousePointer::Default);
}

void SettingsDialog::Form_Unload(bool&) {
    Zentrova_B::ZoomClose(this);
}

void SettingsDialog::Form_Resize() {
    const double height = Bounds().height;
    std::vector<std::uint32_t> rows;
    for (int y = 0; y <= GradientLastRow(height); ++y)
        rows.push_back(Colour(GradientRow(y, height)));
    SetBackgroundRows(std::move(rows));
}

void SettingsDialog::InitializeButtons() {
    for (const auto& command : commands_) command->Initialize();
}

void SettingsDialog::TileTexture(forms::Panel& target) {
    forms::PictureBox& surface = target.Surface();
    surface.SetBackColour(0xE0E0E0);
    surface.Cls();
    const forms::Rect area = surface.Bounds();
    for (const Point& at : TileOrigins(area.width, area.height, Pic_Mbl.width, Pic_Mbl.height))
        surface.CopyFrom(Pic_Mbl, 0, 0, Pic_Mbl.width, Pic_Mbl.height, at.x, at.y);
    surface.Redraw();
}

void SettingsDialog::ShowKind(const ControlState& state) {
    for (std::size_t i = 0; i < 3; ++i) Img_BGM[i]->SetValue(state.radioOn[i]);
    BGM_Repeat->SetEnabled(state.repeatEnabled);
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
    const auto files = Zentrova_B::LocateSettings();
    std::string why;
    bool saved = Zentrova_B::PrepareSettingsSave(files, &why);
    if (saved)
        SaveSettings(BGM_Repeat->Text(), [&](std::string_view key, const std::string& value) {
            // The first failure ends the save.
            saved = saved &&
                    Zentrova_B::PutIniString(Zentrova_B::kSection, key, value, files.write, &why);
        });
    if (!saved) {
        // The dialog stays open: nothing the user chose is lost, and Settings can be tried again.
        forms::MsgBox(platform::Translate("Error"),
                      Zentrova_B::SaveFailedMessage(files.write, why));
        return;
    }
    Unload();
}

void SettingsDialog::Cmd_Can_Click() {
    Unload();
}

void SettingsDialog::lbl_URL_Click() {
    forms::SetScreenMousePointer(forms::MousePointer::Hourglass);
    platform::OpenWebAddress(lbl_URL->Text());
    forms::SetScreenMousePointer(forms::MousePointer::Default);
    lbl_URL->RefreshCursor();
}

}  // namespace

void ShowModal() {
    SettingsDialog dialog;
    dialog.ShowModal();
    dialog.Unload();
}

}  // namespace Zentrova_P
