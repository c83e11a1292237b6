// The catalogs built into a Windows program: the table that the build generates from po/
// (catalog_table.cpp) for win32/language.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::win32 {

// One language's compiled catalog (.mo bytes) and its name ("de", "pt_BR").
struct BuiltInCatalog {
    const char* language;
    const std::uint8_t* bytes;
    std::size_t size;
};

// Every built-in catalog, in the build's order of languages.
extern const std::span<const BuiltInCatalog> kCatalogs;

}  // namespace platform::win32
