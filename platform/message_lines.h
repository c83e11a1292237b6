// How a message is laid out in lines for a box on a monitor: broken at blanks so that no line is
// wider than the box may be, and a word too wide for any line (a long path, a command, a
// sentence in a script written without blanks) broken inside itself. Pure: the caller measures
// the text in the box's font, so both systems' boxes share one rule.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// How wide, in pixels, a line of a message box may be on a monitor whose work area is
// `monitorWidth` pixels wide: the box's icon, margins and frame fit beside it, and no line is
// wider than 600 pixels, which keeps long messages readable on wide monitors.
int MessageLineLimit(int monitorWidth);

// The width of a piece of text, as the box will draw it.
using TextWidth = std::function<double(std::string_view)>;

// `text` (UTF-8) with line breaks added so that no line is wider than `limit` as `width`
// measures it. Lines break at blanks, the blank dropped; a word wider than a line breaks after
// the last "/", "\" or "-" that still fits, else between characters, never inside a UTF-8
// sequence. The text's own line breaks stay. A line holds at least one character, however
// narrow the limit, so the text always comes back whole.
std::string WrapToWidth(std::string_view text, double limit, const TextWidth& width);

}  // namespace platform
