#!/bin/sh
# Makes a signed copy of a PE file, as a publisher would sign an installer:
# a throwaway self-signed certificate made in a temporary folder, an
# Authenticode signature by osslsigncode, then a check that the copy
# verifies against that certificate. Exit code 0 only when all three work.
#
#   sign-copy.sh IN OUT
set -eu
if [ $# -ne 2 ]; then
    echo "usage: sign-copy.sh IN OUT" >&2
    exit 2
fi
in=$1
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

step() {
    if ! "$@" >"$work/log" 2>&1; then
        echo "sign-copy: failed: $1" >&2
        cat "$work/log" >&2
        exit 1
    fi
}

step openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Test Publisher" \
    -keyout "$work/key.pem" -out "$work/cert.pem"
rm -f "$out"
step osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Test archive" \
    -in "$in" -out "$out"
step osslsigncode verify -CAfile "$work/cert.pem" -in "$out"
