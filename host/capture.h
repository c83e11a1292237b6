// The desktop capture of a full-screen run: every monitor copied 1:1 into a picture box's
// persistent image and saved as the hand-off bitmap that the renderer reads.
#pragma once

#include <string>

#include "forms/controls.h"
#include "shared/names.h"

namespace Zentrova_B {

// Clears `display` to black, copies every monitor into the box's image (their bounding box from
// its top-left corner, clipped to the image; what no monitor shows stays black) and saves the
// image to `file`. LastApiResult holds the save's result (1 written, 0 failed); a failed save is
// silent and leaves an earlier file in place. False when the screen could not be read at all:
// then nothing is saved (a black picture is never handed on as the desktop), LastApiResult is 0
// and `why`, when given, says why in words for the user.
bool CaptureDesktop(forms::PictureBox& display, const std::string& file = names::kHandOffBitmap,
                    std::string* why = nullptr);

}  // namespace Zentrova_B
