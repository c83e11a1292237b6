#!/usr/bin/env bash
# The catalogs as a translator leaves them: po/velmora.pot holds exactly the texts that the
# sources give to platform::Translate, and every language named by the build has a .po file that
# translates each of them (none missing, none fuzzy) and that msgfmt --check accepts (the same
# values, "%s", in every translation). Usage: catalogs_test.sh <source folder> <language>...
set -euo pipefail
repo=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

"$repo/tools/update-translations.sh" --template-to "$work/velmora.pot"
if ! msgcmp --use-untranslated "$work/velmora.pot" "$repo/po/velmora.pot" ||
   ! msgcmp --use-untranslated "$repo/po/velmora.pot" "$work/velmora.pot"; then
  echo "po/velmora.pot does not hold the sources' texts: run tools/update-translations.sh"
  status=1
fi

for language in "$@"; do
  po=$repo/po/$language.po
  if [ ! -f "$po" ]; then
    echo "no catalog for $language: $po"
    status=1
    continue
  fi
  msgfmt --check -o /dev/null "$po" || { echo "$po: msgfmt --check failed"; status=1; }
  msgcmp "$po" "$repo/po/velmora.pot" || { echo "$po: not every text is translated"; status=1; }
done
exit $status
