#!/bin/sh
# Writes a Word 97 document of about 10 MB for documents_bench: plain
# sentences saved by LibreOffice (headless), as a word processor writes them.
#   make-bench-doc.sh OUT.doc
set -eu
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/bench.txt" <<'PY'
import random, sys
random.seed(1)
words = "harbour lantern keeper evening tide rope gull window stone bread garden river".split()
lines, size = [], 0
while size < 4_700_000:
    line = " ".join(random.choice(words) for _ in range(random.randint(8, 20))).capitalize() + "."
    lines.append(line)
    size += len(line) + 2
open(sys.argv[1], "w", newline="\r\n").write("\n".join(lines))
PY
HOME="$work/home" soffice --headless --convert-to 'doc:MS Word 97' --outdir "$work" \
    "$work/bench.txt" >/dev/null
mv "$work/bench.doc" "$out"
