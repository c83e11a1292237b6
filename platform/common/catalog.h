// Compiled message catalogs (the GNU .mo format that msgfmt writes) read in place, and the rule
// that picks a user's catalog by language name. Pure: used where the system has no catalog
// calls of its own (Windows, whose catalogs are built into the programs), tested everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform::catalog {

// The translation of `text` in the compiled catalog `mo` (either byte order); nothing when the
// catalog has no translation for it, when its translation is empty, for the empty text (whose
// entry is the catalog's header), or when `mo` is no catalog
// or is cut short or malformed (then no text of it is used). The answer points into `mo`.
std::optional<std::string_view> LookUp(std::span<const std::uint8_t> mo, std::string_view text);

// Which of the `available` catalogs (named by language, "de", "pt_BR") serves a user whose
// language is `language` ("de_AT", "pt-BR", "pt_BR.UTF-8@x", "ja"): the catalog of the same
// language and country, else the one named by the language alone. Letter case and "-" against
// "_" do not count; a charset or modifier after "." or "@" is ignored. Nothing when none serves.
std::optional<std::size_t> Choose(std::string_view language,
                                  std::span<const std::string_view> available);

}  // namespace platform::catalog
