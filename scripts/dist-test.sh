#!/usr/bin/env bash
# `make dist-test`: tries what `make dist` wrote, under Wine in a fresh prefix
# (build/install-test/prefix), as an administrator's deployment would:
#  1. msiexec /i /qn; the program files, the per-machine shortcut's target and
#     working folder, the starting Vellicor.cfg, the backup folder with its rights
#     in the package, and the Programs and Features entry;
#  2. the installed program, started from the shortcut's working folder, shows its
#     main window and closes; the companion lists the catalogs and imports one,
#     backing up what the key held into a folder only administrators may change,
#     and refuses a backup folder that others may write or that is a link (exit 7);
#  3. the administrator edits Vellicor.cfg; the same package installed again, a
#     repair, and a newer package (same upgrade code, built here) replacing this
#     one leave it unchanged; the older package then refuses to downgrade;
#     from C:\Windows\System32, as deployment tools start it, the companion
#     names the folder it looked in, and the documents' examples with /config work;
#  4. msiexec /x /qn: program files, shortcut and entry gone, Vellicor.cfg,
#     the backups and the catalogs in the registry kept;
#  5. the portable zip, unpacked, starts from its own folder.
# Needs $DISPLAY for the program's window: make dist-test runs it under Xvfb.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
RELEASE="$ROOT/build/release"
WORK="$ROOT/build/install-test"
# It reads the installed shortcut with a small Windows program of the test build.
cmake --preset win >/dev/null
cmake --build --preset win --target shortcut_info >/dev/null
source "$RELEASE/dist-info.txt"
read -ra programs <<<"$PROGRAMS"

shopt -s nullglob
msis=(dist/Quandrel-*-x64.msi)
zips=(dist/Quandrel-*-x64.zip)
shopt -u nullglob
fail() { echo "dist-test: FAILED: $*" >&2; exit 1; }
step() { echo "dist-test: [${SECONDS}s] $*"; }
[ ${#msis[@]} -eq 1 ] && [ ${#zips[@]} -eq 1 ] || fail "dist/ must hold one package of each kind (run make dist)"
msi="$ROOT/${msis[0]}" zip="$ROOT/${zips[0]}"
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match dist/"

rm -rf "$WORK"
mkdir -p "$WORK"
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
scripts/wine-prefix.sh
# One server (and its services) for every step, instead of one per wine start.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

drive_c="$WINEPREFIX/drive_c"
install_dir="$drive_c/Program Files/Quandrel"
config="$drive_c/ProgramData/Quandrel/Vellicor.cfg"
backups="$drive_c/ProgramData/Quandrel/Backups"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quandrel.lnk"
user_shortcut="$drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quandrel.lnk"
shortcut_info="$ROOT/build/win/tests/shortcut_info.exe"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

msiexec() {
  local status=0
  wine msiexec "$@" /qn >"$WORK/msiexec.err" 2>&1 || status=$?
  # Under load Wine now and then fails to start msiexec at all ("ShellExecuteEx
  # failed"), which says nothing of the package: that one failure is tried again.
  if (( status != 0 )) && grep -q 'ShellExecuteEx failed' "$WORK/msiexec.err"; then
    sleep 2
    status=0
    wine msiexec "$@" /qn >"$WORK/msiexec.err" 2>&1 || status=$?
  fi
  cat "$WORK/msiexec.err" >&2
  (( status == 0 )) || fail "msiexec $* /qn ended with $status"
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
# Paths for Wine's programs without asking winepath (each wine start costs seconds).
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
unix_path() { local p=${1//\\//}; echo "$drive_c/${p#[Cc]:/}"; }
# One look at the uninstall entries and the installer's product registrations.
read_registry() {
  uninstall=$({ wine reg query "$uninstall_key" /s 2>/dev/null || true; } | tr -d '\r')
  products=$({ wine reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null || true; } | tr -d '\r')
}
# The value NAME of the uninstall entry of product CODE, or nothing.
arp_value() {
  awk -v code="$1" -v name="$2" '/^HKEY/ { ours = index($0, code) > 0 }
    ours && $1 == name && $2 ~ /^REG_/ { sub(/^ +[^ ]+ +REG_[A-Z_]+ +/, ""); print }' <<<"$uninstall"
}
# Every uninstall entry named Quandrel, by its key.
arp_entries() { awk '/^HKEY/ { key = $0 } /^ +DisplayName +REG_SZ +Quandrel$/ { print key }' <<<"$uninstall"; }
# Programs and Features takes the icon from the product's registration.
product_icon() {
  awk '/^HKEY/ { icon = "" } /^ +ProductIcon +REG_SZ/ { sub(/^ +ProductIcon +REG_SZ +/, ""); icon = $0 }
       /^ +ProductName +REG_SZ +Quandrel$/ { print icon }' <<<"$products"
}
expect_equal() { [ "$2" = "$3" ] || fail "$1: expected \"$3\", found \"$2\""; }
check_installed() {
  local version=$1 code=$2 f
  for f in "${shipped[@]}"; do
    cmp -s "$RELEASE/staging/$f" "$install_dir/$f" || fail "$f missing or different in Program Files\\Quandrel"
  done
  [ -f "$shortcut" ] || fail "no shortcut in the all-users Start menu"
  [ ! -e "$user_shortcut" ] || fail "a shortcut in the installing user's own Start menu"
  local lines
  mapfile -t lines < <(wine "$shortcut_info" "$(windows_path "$shortcut")" | tr -d '\r')
  expect_equal "shortcut target" "${lines[0]:-}" 'C:\Program Files\Quandrel\'"${programs[0]}"
  # The installer writes directories with a final backslash.
  expect_equal "shortcut working folder" "${lines[1]:-}" 'C:\ProgramData\Quandrel\'
  read_registry
  expect_equal "uninstall entries" "$(arp_entries | wc -l)" 1
  expect_equal "DisplayVersion" "$(arp_value "$code" DisplayVersion)" "$version"
  expect_equal "Publisher" "$(arp_value "$code" Publisher)" "Quandrel Systems"
  expect_equal "HelpLink" "$(arp_value "$code" HelpLink)" 'C:\Program Files\Quandrel\'"${programs[0]%.exe}.htm"
  local icon
  icon=$(product_icon)
  [ -n "$icon" ] && cmp -s "$(unix_path "$icon")" resources/Vellicor.ico || fail "the product icon \"$icon\" is not Vellicor.ico"
}

# The files the package should put into Program Files: programs and help pages.
shipped=("${programs[@]}")
for page in "$RELEASE"/staging/Vellicor*.htm; do shipped+=("$(basename "$page")"); done

step "1. install $(basename "$msi") silently into a fresh prefix"
code=$(product_code "$msi")
msiexec /i "$(windows_path "$msi")"
check_installed "$VERSION" "$code"
cmp -s <(sed 's/$/\r/' packaging/Vellicor.cfg) "$config" || fail "the starting Vellicor.cfg (CR LF) is not in %ProgramData%\\Quandrel"
[ -d "$backups" ] || fail "no backup folder %ProgramData%\\Quandrel\\Backups"
# Wine's installer does not apply MsiLockPermissionsEx: the package is checked instead.
expect_equal "the backup folder's rights in the package" \
  "$(msiinfo export "$msi" MsiLockPermissionsEx | tr -d '\r' | awk -F'\t' '$2 == "BACKUPDIR" { print $3 " " $4 }')" \
  "CreateFolder O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

step "2. start the installed program from the shortcut's working folder"
scripts/smoke-test.sh 'C:\Program Files\Quandrel\'"${programs[0]}" "$(dirname "$config")" "$WORK/installed.png"
wineserver -p  # the smoke test ended the server with the program's helpers
# The companion answers from the same folder, reading the starting configuration.
listing=$(cd "$(dirname "$config")" && wine 'C:\Program Files\Quandrel\VellicorCmd.exe' /list) ||
  fail "the installed VellicorCmd.exe /list ended with $?"
grep -q 'PDL' <<<"$listing" || fail "the installed VellicorCmd.exe /list printed no catalog: $listing"
# An import over a stored catalog backs it up first, into a folder of its own
# that the program made (Wine keeps what Everyone may do in the Unix mode).
companion() { (cd "$(dirname "$config")" && wine 'C:\Program Files\Quandrel\VellicorCmd.exe' "$@"); }
wine reg add 'HKLM\SOFTWARE\Quandrel\Catalogs\PostScript' /v Letter /d 'LETTER,75,white,plain,F,0' /f >/dev/null
companion /export "PostScript papers" 'C:\ProgramData\Quandrel\papers.cat' >/dev/null ||
  fail "the installed VellicorCmd.exe /export ended with $?"
# A paper added since: the import changes the catalog, so it backs it up (an
# import that changes nothing writes nothing, and no backup).
add_paper() { wine reg add 'HKLM\SOFTWARE\Quandrel\Catalogs\PostScript' /v Tabloid /d 'TABLOID,90,white,plain,F,1' /f >/dev/null; }
add_paper
companion /import 'C:\ProgramData\Quandrel\papers.cat' "PostScript papers" >/dev/null ||
  fail "the installed VellicorCmd.exe /import ended with $?"
shopt -s nullglob
written=("$backups"/PostScript\ papers~*/*.cat)
shopt -u nullglob
[ ${#written[@]} -eq 1 ] || fail "the import wrote ${#written[@]} backups, not one, below $backups"
catalog_folder=$(dirname "${written[0]}")
[ "$(( 0$(stat -c %a "$catalog_folder") & 2 ))" = 0 ] || fail "others may write $catalog_folder"
# A backup folder others may write is refused, and nothing is saved.
chmod o+w "$backups"
add_paper
status=0
companion /import 'C:\ProgramData\Quandrel\papers.cat' "PostScript papers" >/dev/null 2>"$WORK/refused.txt" || status=$?
chmod o-w "$backups"
expect_equal "the import's exit code with a backup folder others may write" "$status" 7
grep -q 'Users without administrator rights can change the folder' "$WORK/refused.txt" ||
  fail "the refused import did not say why: $(cat "$WORK/refused.txt")"
# A catalog's folder that is a link (Wine shows a Unix symbolic link as a
# reparse point, as Windows shows a junction) is refused too.
mv "$catalog_folder" "$WORK/real-folder"
mkdir -p "$WORK/elsewhere"
ln -s "$WORK/elsewhere" "$catalog_folder"
add_paper
status=0
companion /import 'C:\ProgramData\Quandrel\papers.cat' "PostScript papers" >/dev/null 2>"$WORK/refused.txt" || status=$?
rm "$catalog_folder"
mv "$WORK/real-folder" "$catalog_folder"
expect_equal "the import's exit code with a catalog folder that is a link" "$status" 7
grep -q 'is a junction or another kind of link' "$WORK/refused.txt" ||
  fail "the import into a linked folder did not say why: $(cat "$WORK/refused.txt")"
[ -z "$(ls -A "$WORK/elsewhere")" ] || fail "the import wrote through the link"

# The documents' examples from a deployment tool's working folder: without
# /config the companion says where it looked and how to name the file; with
# it, it works as written.
system32="$drive_c/windows/system32"
status=0
(cd "$system32" && wine 'C:\Program Files\Quandrel\VellicorCmd.exe' /list) >/dev/null 2>"$WORK/unconfigured.txt" || status=$?
expect_equal "the exit code without /config from System32" "$status" 2
grep -qi 'was not found in the folder C:\\windows\\system32' "$WORK/unconfigured.txt" ||
  fail "the companion did not name the folder it looked in: $(cat "$WORK/unconfigured.txt")"
grep -qF '/config "C:\ProgramData\Quandrel\Vellicor.cfg"' "$WORK/unconfigured.txt" ||
  fail "the companion did not point to /config: $(cat "$WORK/unconfigured.txt")"
cfg='C:\ProgramData\Quandrel\Vellicor.cfg'
(cd "$system32" && wine 'C:\Program Files\Quandrel\VellicorCmd.exe' /config "$cfg" /import \
   'C:\ProgramData\Quandrel\papers.cat' "PostScript papers" /nobackup) >/dev/null ||
  fail "the README's /import with /config from System32 ended with $?"
(cd "$system32" && wine 'C:\Program Files\Quandrel\VellicorCmd.exe' /config "$cfg" /compare \
   'C:\ProgramData\Quandrel\papers.cat' "PostScript papers" /merged) >/dev/null ||
  fail "the README's /compare /merged after a deployment ended with $?"

step "3. the administrator's edited Vellicor.cfg survives a reinstall, a repair and an upgrade"
printf '; Edited by the administrator\r\n' >>"$config"
cp "$config" "$WORK/edited.cfg"
msiexec /i "$(windows_path "$msi")"
cmp -s "$WORK/edited.cfg" "$config" || fail "installing again changed Vellicor.cfg"
check_installed "$VERSION" "$code"
rm "$install_dir/${programs[0]}"
# A repair with every file rewritten, as msiexec /fa does; Wine's msiexec fails
# on /f itself, so its properties are given.
msiexec /i "$(windows_path "$msi")" REINSTALL=ALL REINSTALLMODE=amus
cmp -s "$WORK/edited.cfg" "$config" || fail "the repair changed Vellicor.cfg"
check_installed "$VERSION" "$code"
IFS=. read -r major minor patch <<<"$VERSION"
newer_version="$major.$minor.$((patch + 1))"
newer="$WORK/Quandrel-$newer_version-x64.msi"
scripts/build-msi.sh "$RELEASE/staging" "$newer_version" "$newer" "${shipped[@]}" >/dev/null
newer_code=$(product_code "$newer")
msiexec /i "$(windows_path "$newer")"
cmp -s "$WORK/edited.cfg" "$config" || fail "the upgrade changed Vellicor.cfg"
check_installed "$newer_version" "$newer_code"
[ -z "$(arp_value "$code" DisplayName)" ] || fail "the upgrade left the older version's entry"
# The older package refuses to replace the newer one.
status=0
wine msiexec /i "$(windows_path "$msi")" /qn || status=$?
(( status != 0 )) || fail "the older package installed over the newer one"
check_installed "$newer_version" "$newer_code"

step "4. uninstall silently: program files gone, Vellicor.cfg kept"
msiexec /x "$(windows_path "$newer")"
for f in "${shipped[@]}"; do [ ! -e "$install_dir/$f" ] || fail "$f is still installed"; done
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
[ -d "$(dirname "$shortcut")" ] || fail "the all-users Start menu went with the shortcut"
read_registry
expect_equal "uninstall entries" "$(arp_entries | wc -l)" 0
cmp -s "$WORK/edited.cfg" "$config" || fail "uninstalling changed or removed Vellicor.cfg"
wine reg query 'HKLM\SOFTWARE\Quandrel\Catalogs\PostScript' /v Letter >/dev/null 2>&1 ||
  fail "uninstalling removed a catalog from the registry"
[ -f "${written[0]}" ] || fail "uninstalling removed the backups"

step "5. the portable zip starts from its own folder"
unzip -q "$zip" -d "$WORK/portable"
folder=$(echo "$WORK"/portable/Quandrel-*)
for f in "${shipped[@]}" Vellicor.cfg README.txt; do [ -f "$folder/$f" ] || fail "$f missing from the zip"; done
for f in README.txt Vellicor.cfg; do
    [ "$(grep -c $'\r$' "$folder/$f")" = "$(wc -l <"$folder/$f")" ] || fail "$f has lines without CRLF"
done
scripts/smoke-test.sh "$(windows_path "$folder/${programs[0]}")" "$folder"
step "passed"
