#!/usr/bin/env bash
# Signs a program or a Windows Installer package in place with Authenticode (osslsigncode).
# The certificate and its password come from the environment, never from the repository:
#   LV_SIGN_PKCS12         the certificate with its private key, a PKCS#12 file (.pfx/.p12)
#   LV_SIGN_PASSWORD       its password, when it has one (handed over through a pipe, so no process
#                          list shows it)
#   LV_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamping service, so that the signature
#                          stays valid after the certificate expires
# Usage: sign.sh FILE
set -euo pipefail
file=$1
: "${LV_SIGN_PKCS12:?LV_SIGN_PKCS12 names no certificate to sign with}"
timestamp=()
[ -n "${LV_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$LV_SIGN_TIMESTAMP_URL")
# Beside the file, so that the signed one replaces it in one step; osslsigncode writes a new file.
stage=$(mktemp -d "$(dirname "$file")/.signing.XXXXXX")
trap 'rm -rf "$stage"' EXIT
signed=$stage/$(basename "$file")
sign() {
  osslsigncode sign -pkcs12 "$LV_SIGN_PKCS12" "$@" -h sha256 \
    -n "Lumivanta Manager" -i https://www.lumivanta.com/ "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null
}
# osslsigncode refuses an empty password file, and a certificate without a password needs none.
if [ -n "${LV_SIGN_PASSWORD:-}" ]; then sign -readpass <(printf '%s' "$LV_SIGN_PASSWORD"); else sign; fi
chmod --reference="$file" "$signed"
mv "$signed" "$file"
