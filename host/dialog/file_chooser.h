// The music-file chooser of the settings dialog: the system's file chooser with one filter entry.
#pragma once

#include <optional>
#include <string>

#include "host/dialog/dialog_logic.h"

namespace Zentrova_P {

// Shows the chooser modally and returns the path the user confirmed, or nothing when the
// chooser was cancelled or failed. A name typed in need not exist.
//
// For tests only: when the environment variable VELMORA_TEST_CHOSEN_FILE is set, no chooser is
// shown and its value is the answer (the empty value stands for Cancel). Tests cannot type into
// a chooser reliably; this is the one place that reads the variable.
std::optional<std::string> ChooseFile(const ChooserRequest& request);

}  // namespace Zentrova_P
