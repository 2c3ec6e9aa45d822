#!/usr/bin/env bash
# The manual page renders without groff warnings and documents every subcommand
# and every long option that qxindex --help shows, so that a new option cannot
# reach users without its entry. Skipped (77) where groff is not installed.
set -u
qx="$1"
page="$2"
command -v groff >/dev/null || { echo "groff not installed"; exit 77; }
failures=0
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
    printf 'groff warnings:\n%s\n' "$warnings"
    failures=$((failures + 1))
fi
documented() {  # the page writes options with escaped hyphens: \-\-bars
    grep -qF -- "$(printf '%s' "$1" | sed 's/-/\\-/g')" "$page"
}
subcommands=$("$qx" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NF && !/^Subcommands:/ {print $1}')
[ -n "$subcommands" ] || { echo "no subcommands in qxindex --help"; exit 1; }
for sub in $subcommands; do
    grep -q "^\.B qxindex $sub\$" "$page" || { echo "undocumented subcommand: $sub"; failures=$((failures + 1)); }
    for option in $("$qx" "$sub" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        documented "$option" || { echo "undocumented option: $sub $option"; failures=$((failures + 1)); }
    done
done
for option in $("$qx" --help | sed '/^Subcommands:/,$d' | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    documented "$option" || { echo "undocumented option: $option"; failures=$((failures + 1)); }
done
[ "$failures" -eq 0 ] && echo "manual page ok: $(echo $subcommands | wc -w) subcommands"
exit $((failures > 0))
