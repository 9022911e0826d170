#!/bin/sh
# Remakes the document fixtures: LibreOffice (Debian's libreoffice-writer,
# headless) saves each source document as RTF and as Word 97, then exports
# the text of what it saved as the expected text (UTF-8, CR LF).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"

python3 "$here/make-fixtures.py" "$work"
cd "$work"
soffice --headless --convert-to rtf --outdir "$work/rtf" ./*.fodt >/dev/null
soffice --headless --convert-to 'doc:MS Word 97' --outdir "$work/doc" ./*.fodt >/dev/null
for kind in rtf doc; do
    soffice --headless --convert-to 'txt:Text (encoded):UTF8,CRLF' \
        --outdir "$work/$kind-txt" "$work/$kind"/*."$kind" >/dev/null
    for f in "$work/$kind"/*."$kind"; do
        name=$(basename "$f" ".$kind")
        cp "$f" "$here/$name.$kind"
        # The export starts with a byte-order mark; the expected text has none.
        sed '1s/^\xEF\xBB\xBF//' "$work/$kind-txt/$name.txt" > "$here/$name.$kind.txt"
    done
done
