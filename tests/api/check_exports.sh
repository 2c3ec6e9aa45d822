#!/bin/sh
# The shared library exports the client's families and nothing else.
set -eu
lib="$1"
symbols=$(nm -DC --defined-only "$lib" | awk '$2 ~ /^[TWVBDRu]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }')
status=0
for required in \
    'IndexObjCreator::CreateIndexParserObj()' \
    'IndexObjCreator::ReleaseIndexCalculatorObj(IIndexCalculator**)' \
    'stGoldenSectionSettings::GetDispLayRatio() const'; do
    if ! printf '%s\n' "$symbols" | grep -qxF "$required"; then
        echo "missing export: $required"
        status=1
    fi
done
unexpected=$(printf '%s\n' "$symbols" | grep -v -E \
    '^(IndexObjCreator|CParserHelper|QXGraphInterface|QXDrawInfo|stFibTimeZoneSettings|stGoldenSectionSettings|QXGraphPointVec)::|^std::vector<(QXDrawInfo::QXPoint|QXDrawInfo::GraphDrawInfo|QXGraphPoint|stSingleLineDrawParams),' \
    | grep -v -E '^(_init|_fini|__bss_start|_edata|_end)$' || true)
if [ -n "$unexpected" ]; then
    echo "unexpected exports:"
    printf '%s\n' "$unexpected" | head -n 20
    status=1
fi
[ "$status" -eq 0 ] && echo "exports ok: $(printf '%s\n' "$symbols" | wc -l) symbols"
exit "$status"
