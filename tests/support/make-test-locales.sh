#!/usr/bin/env bash
# Compiles the locales the tests run programs in ("de_DE.UTF-8", ...) into <folder>, for the
# programs' LOCPATH, so that no test relies on the locales a machine happens to have. A locale
# already in the folder is kept. Usage: make-test-locales.sh <folder> <locale>...
set -euo pipefail
folder=$1
shift
mkdir -p "$folder"
for locale in "$@"; do
  [ -f "$folder/$locale/LC_MESSAGES/SYS_LC_MESSAGES" ] && continue
  rm -rf "$folder/$locale.new"
  localedef -i "${locale%%.*}" -f "${locale#*.}" "$folder/$locale.new"
  rm -rf "${folder:?}/$locale"
  mv "$folder/$locale.new" "$folder/$locale"
done
