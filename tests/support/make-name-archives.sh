#!/bin/sh
# Makes the files of the name tests and archives of them by the peers.
# Usage: make-name-archives.sh LIST OUT
# LIST is tests/data/names/tree.txt; OUT gets tree/ with the files, 7z.zip
# made by 7-Zip (names flagged UTF-8) and infozip.zip made by Info-ZIP's zip
# (in a UTF-8 locale it stores the names as they are, from a Unix host).
set -eu
list=$1
out=$2
rm -rf "$out"
mkdir -p "$out/tree"
tab=$(printf '\t')
while IFS="$tab" read -r name text; do
    mkdir -p "$out/tree/$(dirname "$name")"
    printf '%s' "$text" >"$out/tree/$name"
done <"$list"
cd "$out/tree"
LC_ALL=C.UTF-8 7z a -tzip -bd ../7z.zip . >/dev/null
LC_ALL=C.UTF-8 zip -q -r ../infozip.zip .
