#!/usr/bin/env bash
# Puts a Windows program of the release zip in place, signed with Authenticode when
# there is a key, or copied as it is when there is none:
#   sign_program.sh SOURCE_DIR IN OUT [PKCS12 [TIMESTAMP_URL]]
#   sign_program.sh --check PKCS12       only: can the key be opened?
# The key's password comes from MORV_SIGN_PASSWORD, never from the command line or a
# file. The signature holds a SHA-256 digest, the program's name and web address, and
# the signing time of the release's archives (source_date_epoch.sh), so that one key
# signs one build into the same bytes every time; a time stamp from TIMESTAMP_URL
# (RFC 3161) holds the server's time instead, and the bytes then differ every time.
# OUT exists only once it is completely signed: a wrong password leaves nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
name=Morvessantique
address=https://www.quillane.com/

check_key() {  # check_key PKCS12
  for tool in osslsigncode openssl; do
    command -v $tool >/dev/null ||
      { echo "$tool is missing: it signs the programs (bash .ci/install-deps.sh installs it)" >&2
        return 1; }
  done
  [ -f "$1" ] && [ -r "$1" ] ||
    { echo "cannot read the signing key $1 (MORV_SIGN_PKCS12)" >&2; return 1; }
  [ -n "${MORV_SIGN_PASSWORD+set}" ] ||
    { echo "MORV_SIGN_PASSWORD is not set: it must hold the password of $1" >&2; return 1; }
  # Keys exported by older tools use ciphers that OpenSSL 3 keeps in its legacy provider.
  openssl pkcs12 -in "$1" -passin env:MORV_SIGN_PASSWORD -noout 2>/dev/null ||
    openssl pkcs12 -legacy -in "$1" -passin env:MORV_SIGN_PASSWORD -noout 2>/dev/null ||
    { echo "MORV_SIGN_PASSWORD does not open $1: a wrong password, or not a PKCS#12 file" >&2
      return 1; }
}

if [ "${1:-}" = --check ] && [ $# -eq 2 ]; then
  check_key "$2"
  exit
fi
[ $# -ge 3 ] && [ $# -le 5 ] ||
  { echo "usage: $0 SOURCE_DIR IN OUT [PKCS12 [TIMESTAMP_URL]] | --check PKCS12" >&2; exit 2; }
in=$2 out=$3 key=${4:-} stamp_url=${5:-}
rm -f "$out"
if [ -z "$key" ]; then
  cp "$in" "$out"
  exit
fi
check_key "$key"
time=$(sh "$here/source_date_epoch.sh" "$1")
stamp=()
[ -z "$stamp_url" ] || stamp=(-ts "$stamp_url")
partial="$out.part"
if ! log=$(osslsigncode sign -pkcs12 "$key" -readpass <(printf %s "$MORV_SIGN_PASSWORD") \
             -h sha256 -n "$name" -i "$address" -time "$time" "${stamp[@]}" \
             -in "$in" -out "$partial" 2>&1); then
  rm -f "$partial"
  echo "$log" >&2
  echo "signing $(basename "$out") with $key failed" >&2
  exit 1
fi
mv "$partial" "$out"
