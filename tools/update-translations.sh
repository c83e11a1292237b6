#!/usr/bin/env bash
# Makes po/velmora.pot anew from the sources (every text given to platform::Translate or marked
# by platform::Translatable, and the desktop entries' names and comments, the AppStream
# metadata's texts) and merges it into each po/<language>.po, so that new texts show there
# untranslated and changed ones as fuzzy, ready to be translated.
# `tools/update-translations.sh --template-to FILE` only writes the template to FILE (the catalog
# test compares it with po/velmora.pot); `--sources` lists the program sources it reads.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
template=$here/po/velmora.pot
[ "${1:-}" = "--template-to" ] && template=$2

cd "$here"
# Every source of the programs, in a fixed order so that the template is the same on any machine.
mapfile -t sources < <(git ls-files -- 'host/*.cpp' 'renderer/*.cpp' 'idle/*.cpp' \
  'platform/*.cpp' 'forms/*.cpp' 'shared/*.cpp' 'host/*.h' 'idle/*.h' 'platform/*.h' | LC_ALL=C sort)
[ "${1:-}" = "--sources" ] && { printf '%s\n' "${sources[@]}"; exit 0; }
LC_ALL=C.UTF-8 xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Translate \
  --keyword=Translatable --add-comments=TRANSLATORS: \
  --package-name=Velmora --package-version=1.0.0 --msgid-bugs-address=velmora@example.org \
  --no-location --sort-output -o "$template.tmp" "${sources[@]}"
# ...and the names and comments of the desktop entries, which the desktop shows.
LC_ALL=C.UTF-8 xgettext --language=Desktop --from-code=UTF-8 --join-existing --no-location \
  --sort-output -o "$template.tmp" packaging/*.desktop.in
# ...and the software centres' texts of the AppStream metadata (its translation rules come with
# gettext).
LC_ALL=C.UTF-8 xgettext --from-code=UTF-8 --join-existing --no-location --sort-output \
  -o "$template.tmp" packaging/*.metainfo.xml.in
# A header of our own that does not change with the day it was made.
{
  printf '%s\n' '# The texts of Velmora that users read; made by tools/update-translations.sh.' \
    'msgid ""' 'msgstr ""' '"Content-Type: text/plain; charset=UTF-8\n"' \
    '"Content-Transfer-Encoding: 8bit\n"' ''
  sed '1,/^$/d' "$template.tmp"  # xgettext's own header, which carries the day
} > "$template"
rm -f "$template.tmp"
[ "${1:-}" = "--template-to" ] && exit 0

for po in po/*.po; do
  msgmerge --quiet --update --backup=none --no-location --sort-output "$po" "$template"
done
