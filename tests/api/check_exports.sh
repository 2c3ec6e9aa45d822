#!/bin/sh
# The shared library exports exactly the symbols listed in exports.expected
# (demangled, sorted): the client's families and the members of the vector
# instantiations that client and library share, nothing else. A new export, a lost
# one or a changed signature all fail here. After a deliberate change of the
# exported interface, rewrite the list with
#   sh tests/api/check_exports.sh path/to/libQXScriptIndexBase.so --update
set -eu
lib="$1"
expected="$(dirname "$0")/exports.expected"
actual=$(nm -DC --defined-only "$lib" | sed -E 's/^[0-9a-fA-F]+ [A-Za-z] //' | LC_ALL=C sort)
if [ "${2:-}" = "--update" ]; then
    printf '%s\n' "$actual" >"$expected"
    echo "wrote $expected"
    exit 0
fi
if ! differences=$(printf '%s\n' "$actual" | diff -u "$expected" -); then
    echo "exports differ from $expected (- expected, + built):"
    printf '%s\n' "$differences" | head -n 60
    exit 1
fi
echo "exports ok: $(printf '%s\n' "$actual" | wc -l) symbols"
