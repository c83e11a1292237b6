// The filter line of the FLTK backend's file chooser: pure text work, so that it is tested
// without a display; it includes nothing of the toolkit.
#pragma once

#include <string>

#include "forms/forms.h"

namespace forms::fltk {

// The filter line for a request's entry: FLTK reads the patterns from the first "(" of the
// line, so the name's brackets become full-width ones, and its patterns match in one letter case
// only, so "*.mp3;*.wav" becomes "*.{[Mm][Pp]3,[Ww][Aa][Vv]}".
std::string ChooserFilter(const FileRequest& request);

}  // namespace forms::fltk
