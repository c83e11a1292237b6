// Fuzz target: a push button's stored properties and a look image from arbitrary bytes. The
// bytes are read as a property store's text (loaded into a button, saved again) and as a bitmap
// file (painted as a look onto faces of several sizes).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/button/command_core.h"
#include "host/button/paint.h"
#include "forms/property_store.h"

namespace {

struct NullHost : button::CommandHost {
    void PaintFace(button::Look, bool) override {}
    void LabelChanged() override {}
    void OpacityChanged() override {}
    void RaiseClick() override {}
    void StartPoll(int) override {}
    void NotifyChanged(const char*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    forms::PropertyStore store;
    if (store.Load(text)) {
        NullHost host;
        button::CommandCore core(host);
        core.ReadProperties(store);
        core.GetAndRepaintEnabled();
        forms::PropertyStore saved;
        core.WriteProperties(saved);
        forms::PropertyStore again;
        if (!again.Load(saved.Save())) __builtin_trap();  // what we write we must read
    }
    forms::FontSpec::Parse(text);
    if (auto look = button::DecodeBitmap(data, size)) {
        for (auto [w, h] : {std::pair{77, 25}, {41, 21}, {3, 2}}) {
            button::Image face(w, h);
            button::PaintFace(face, *look, size % 2 == 0);
        }
    }
    return 0;
}
