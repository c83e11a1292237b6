// The desktop capture (see capture.h).
#include "host/capture.h"

#include "forms/bitmap_file.h"
#include "host/zentrova_b.h"
#include "platform/base.h"
#include "platform/window_system.h"

namespace Zentrova_B {

bool CaptureDesktop(forms::PictureBox& display, const platform::CapturePlan& plan,
                    const std::string& file, std::string* why) {
    display.SetBackColour(0x000000);
    display.Cls();
    forms::Picture& image = display.Image();
    if (image.width > 0 && image.height > 0 &&
        !platform::CaptureScreen(plan, image.rgb.data(), image.width, image.height, image.width * 3,
                                 why)) {
        LastApiResult = 0;
        return false;
    }
    display.Redraw();
    // What runs killed while saving left behind: the run lock, held since start-up, keeps any
    // other writer of the picture away.
    platform::RemoveStaleTemporaries(platform::MapDrivePath(file));
    std::string failure;
    LastApiResult = forms::SavePicture(image, file, &failure) ? 1 : 0;
    // The reason first: a long path would push it out of a narrow message box.
    if (LastApiResult == 0 && why)
        *why = platform::FillIn(platform::Translate("the picture could not be saved (%s) as %s"),
                                {failure, platform::MapDrivePath(file)});
    return LastApiResult != 0;
}

}  // namespace Zentrova_B
