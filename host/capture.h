// The desktop capture of a full-screen run: every monitor copied 1:1 into a picture box's
// persistent image and saved as the hand-off bitmap that the renderer reads.
#pragma once

#include <string>

#include "forms/controls.h"
#include "platform/window_system.h"
#include "shared/names.h"

namespace Zentrova_B {

// Clears `display` to black, copies the monitors of `plan` (platform::PlanCapture) into the
// box's image (their bounding box from its top-left corner, at the plan's picture size, clipped
// to the image; what no monitor shows stays black)
// and saves the image to `file`, first removing the temporary files that saves of earlier runs,
// killed midway, left beside it (the caller holds the run lock, which keeps every other writer
// of `file` away). LastApiResult holds the save's result (1 written, 0 failed).
// False when the screen could not be read at all or its picture could not be saved: then there
// is no picture of this desktop to hand on (a black picture, or an earlier run's file left in
// place, must not stand in for it), LastApiResult is 0 and `why`, when given, says why in words
// for the user.
bool CaptureDesktop(forms::PictureBox& display, const platform::CapturePlan& plan,
                    const std::string& file = names::kHandOffBitmap, std::string* why = nullptr);

}  // namespace Zentrova_B
