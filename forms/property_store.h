// The forms runtime's property store: the persisted properties of one control instance, kept as
// named text values, with the container's ambient font and its change notification.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace forms {

// A font object: what a caption is drawn with. Shared by reference between a control and whoever
// asked for it, so a change made through one holder shows in the other.
struct FontSpec {
    std::string face = "ＭＳ Ｐゴシック";
    double size = 9.75;  // points
    int weight = 400;    // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int charset = 128;  // 128 Japanese (Shift-JIS), 0 Western

    bool operator==(const FontSpec&) const = default;

    // One-line text form, "face;size;weight;italic;underline;strikethrough;charset", with ';' and
    // '\' in the face escaped by '\'. Parse gives nothing for text that is not such a line.
    std::string ToText() const;
    static std::optional<FontSpec> Parse(std::string_view text);
};

using FontRef = std::shared_ptr<FontSpec>;

class PropertyStore {
  public:
    // The stored value of `name`, or `defaultValue` when nothing is stored under it.
    std::string ReadProperty(std::string_view name, std::string_view defaultValue) const;

    // Stores `value` under `name`; a value equal to `defaultValue` is not written (and an older
    // value under the name is dropped, so reading gives the reader's default again).
    void WriteProperty(std::string_view name, std::string_view value,
                       std::string_view defaultValue);

    // A font value: read as a new font object (the default's copy when nothing usable is stored);
    // written as text with the same default rule.
    FontRef ReadFont(std::string_view name, const FontSpec& defaultValue) const;
    void WriteFont(std::string_view name, const FontSpec& value, const FontSpec& defaultValue);

    bool Contains(std::string_view name) const;
    std::size_t Count() const { return values_.size(); }
    void Clear() { values_.clear(); }

    // Tells the container that the property `name` of its control has changed.
    void PropertyChanged(std::string_view name);
    void SetChangeListener(std::function<void(const std::string&)> listener);

    // The container's font, the default of a control's own font.
    const FontSpec& AmbientFont() const { return ambientFont_; }
    void SetAmbientFont(const FontSpec& font) { ambientFont_ = font; }

    // Text form of the stored values, one "name=value" line each, '\', '=' and line breaks
    // escaped; Load replaces the stored values and gives false (keeping nothing of a bad
    // text) when a line is malformed.
    std::string Save() const;
    bool Load(std::string_view text);

  private:
    std::map<std::string, std::string, std::less<>> values_;
    std::function<void(const std::string&)> listener_;
    FontSpec ambientFont_;
};

// Conversions of stored text the way the controls read them; nothing when the text is not a
// value of the type.
std::optional<bool> TextToBool(std::string_view text);  // "-1"/"True" (any non-zero), "0"/"False"
std::optional<long long> TextToInteger(std::string_view text, long long low, long long high);

}  // namespace forms
