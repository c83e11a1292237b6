// Modules beside the program (velmora_sound.so, velmora_message_box.so): opened when first
// needed, checked to come from the same build as the program, never closed. A module that
// can't be used is told once, with the loader's own words, on standard error and in the timing
// trace; the caller then goes on without it.
#pragma once

#include <string>
#include <string_view>

namespace platform::modules {

// Opens `file` from the program folder and checks its version: the text its symbol
// `versionSymbol` holds must be `version`. The module's handle, or null after telling why
// ("Velmora: <file> not used: <why>", and the trace mark "module-refused:<file>:<why>" with
// its blanks made "_"): the file is missing or not a module the system can load, it has no
// version, or it comes from another build (stale).
void* Open(std::string_view file, const char* versionSymbol, std::string_view version);

// The address of `name` in the module `module` that Open gave. Null after telling why, as
// Open does, when the module has no such symbol.
void* Find(void* module, std::string_view file, const char* name);

// Tells why `file` is not used, as Open does: one line on standard error and one trace mark.
void Refused(std::string_view file, std::string_view why);

}  // namespace platform::modules
