#!/usr/bin/env bash
# `make dist`: builds the release preset, starts the built program once under
# Wine (scripts/smoke-test.sh), and writes into dist/:
#   Quandrel-<version>-x64.msi   Windows Installer package (wixl)
#   Quandrel-<version>-x64.zip   portable: programs, help pages, Vellicor.cfg, README.txt
#   SHA256SUMS
# <version> is project(... VERSION) from CMakeLists.txt, with "-dirty" when the
# working tree has uncommitted changes. The shipped programs are the build's
# list (QUANDREL_SHIPPED_PROGRAMS in CMakeLists.txt).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
RELEASE="$ROOT/build/release"
# VERSION and PROGRAMS, written by CMake.
source "$RELEASE/dist-info.txt"
read -ra programs <<<"$PROGRAMS"

label=$VERSION
if git rev-parse --git-dir >/dev/null 2>&1 && [ -n "$(git status --porcelain)" ]; then
  label+="-dirty"
fi

# Every shipped program keeps the exploit mitigations (ASLR with high-entropy
# addresses, DEP); the stripped, optimised Vellicor.exe stays small.
for program in "${programs[@]}"; do
  flags=$(x86_64-w64-mingw32-objdump -p "$RELEASE/$program")
  for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
    grep -qw "$flag" <<<"$flags" || { echo "dist.sh: $program is built without $flag" >&2; exit 1; }
  done
done
# Each program's size is reported; the editor stays within 1.25 MB (it has no
# iostreams, whose locale machinery alone would take most of a megabyte; the
# printer's media, WinHTTP's client and the XML reader brought it past 1 MB).
for program in "${programs[@]}"; do
  echo "dist.sh: $program is $(stat -c %s "$RELEASE/$program") bytes"
done
size=$(stat -c %s "$RELEASE/${programs[0]}")
if (( size > 1280 * 1024 )); then
  echo "dist.sh: ${programs[0]} is $size bytes, more than 1.25 MB" >&2
  exit 1
fi

# What ships is what was tested: the release program on the demo configuration.
smoke="$RELEASE/smoke"
rm -rf "$smoke"
mkdir -p "$smoke"
cp demo/Vellicor.cfg "$smoke/"
scripts/xvfb.sh scripts/smoke-test.sh "$RELEASE/${programs[0]}" "$smoke"

# The files of both packages, side by side.
staging="$RELEASE/staging"
rm -rf "$staging"
mkdir -p "$staging"
shopt -s nullglob
help_pages=("$RELEASE"/Vellicor*.htm)
shopt -u nullglob
[ ${#help_pages[@]} -gt 0 ] || { echo "dist.sh: no help page in $RELEASE" >&2; exit 1; }
files=("${programs[@]}")
for page in "${help_pages[@]}"; do files+=("$(basename "$page")"); done
for f in "${files[@]}"; do cp "$RELEASE/$f" "$staging/"; done
cp resources/Vellicor.ico "$staging/"
# Notepad before Windows 10 1809 shows LF-only text as one line; the
# configuration gets the CR LF line ends Windows tools write.
sed -e 's/\r$//' -e 's/$/\r/' packaging/Vellicor.cfg >"$staging/Vellicor.cfg"
sed -e "s/@VERSION@/$label/g" -e 's/$/\r/' packaging/README.txt >"$staging/README.txt"

rm -rf dist
mkdir -p dist
msi="dist/Quandrel-$label-x64.msi"
zip="dist/Quandrel-$label-x64.zip"
scripts/build-msi.sh "$staging" "$VERSION" "$msi" "${files[@]}"

portable="$RELEASE/portable/Quandrel-$label"
rm -rf "$RELEASE/portable"
mkdir -p "$portable"
for f in "${files[@]}" Vellicor.cfg README.txt; do cp "$staging/$f" "$portable/"; done
(cd "$RELEASE/portable" && zip -qrX "$ROOT/$zip" "Quandrel-$label")

(cd dist && sha256sum "$(basename "$msi")" "$(basename "$zip")" >SHA256SUMS)
ls -l dist "$RELEASE/${programs[0]}"
