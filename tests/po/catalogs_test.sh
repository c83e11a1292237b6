#!/usr/bin/env bash
# The catalogs as a translator leaves them: po/velmora.pot holds exactly the texts that the
# sources give to platform::Translate (each a literal, or a constant marked by Translatable), and
# every language named by the build has a .po file that translates each of them (none missing,
# none fuzzy) and that msgfmt --check accepts (the same values, "%s", in every translation).
# Usage: catalogs_test.sh <source folder> <language>...
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

# Only what xgettext can see reaches the template: a literal given to Translate, or a constant
# whose text is marked by Translatable in the same file. Any other argument (a variable, a
# constant left unmarked, a call) would leave its text untranslated everywhere.
unseen=$(cd "$repo" && tools/update-translations.sh --sources | perl -ne '
  chomp(my $file = $_);
  open(my $in, "<", $file) or die "$file: $!";
  (my $code = do { local $/; <$in> }) =~ s{//[^\n]*}{}g;  # comments may name calls without making them
  while ($code =~ /(?<![*\w] )\bTranslate\s*\(\s*+(?!R?")/g) {
    my $at = $-[0];
    my ($argument) = substr($code, $+[0], 80) =~ /^([^;\n]*)/;
    next if $argument =~ /^(k\w+)\s*\)/ && $code =~ /\b$1\s*=\s*(?:platform::)?Translatable\s*\(\s*"/;
    my $line = 1 + (substr($code, 0, $at) =~ tr/\n//);
    print "$file:$line: Translate($argument\n";
  }')
if [ -n "$unseen" ]; then
  echo "Translate is given neither a literal nor a constant marked by Translatable:"
  echo "$unseen"
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
