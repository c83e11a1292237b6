// The idle sources each backend opens (platform/idle.h's OpenMonitor picks one): for the
// backends' use only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/idle.h"

namespace platform::idle {

// MIT-SCREEN-SAVER on $DISPLAY (x11/idle.cpp).
std::unique_ptr<Monitor> OpenXScreenSaver(std::string& error);

}  // namespace platform::idle
