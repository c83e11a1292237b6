// The six look images compiled into the program, decoded once on first use.
#pragma once

#include "host/button/command_core.h"
#include "host/button/paint.h"

namespace button {

// The image of `look`; an image of the button's background colour if the embedded file could not
// be read (it always can: it is checked by the tests).
const Image& LookImage(Look look);

}  // namespace button
