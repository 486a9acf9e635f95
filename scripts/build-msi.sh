#!/usr/bin/env bash
# Builds the Windows Installer package from packaging/Quandrel.wxs with wixl.
#   scripts/build-msi.sh STAGING VERSION OUTPUT.msi FILE...
# STAGING holds the FILEs (programs, then help pages; the first gets the Start
# menu shortcut), Vellicor.cfg and Vellicor.ico. VERSION is three numbers.
# dist.sh builds the package; the install test builds a newer one as well.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
staging=$1 VERSION=$2 msi=$(realpath -m "$3")
shift 3
files=("$@")
programs=("${files[0]}")

# The MSI's program components: one per file, each its own key path, so a later
# version may add or drop files. The first program gets the Start menu shortcut.
msi_id() { echo "${1//[^A-Za-z0-9_.]/_}"; }
{
  echo '<Include>'
  for f in "${files[@]}"; do
    id=$(msi_id "$f")
    echo "  <Component Id=\"C_$id\" Guid=\"*\">"
    echo "    <File Id=\"F_$id\" Name=\"$f\" Source=\"\$(var.Staging)/$f\" KeyPath=\"yes\">"
    if [ "$f" = "${programs[0]}" ]; then
      echo "      <Shortcut Id=\"StartMenuShortcut\" Directory=\"AllUsersProgramMenu\" Name=\"Quandrel\""
      echo "                WorkingDirectory=\"CONFIGDIR\" Icon=\"Vellicor.ico\"/>"
    fi
    echo "    </File>"
    echo "  </Component>"
  done
  echo '</Include>'
} >"$staging/Programs.wxi"
{
  echo '<Include>'
  for f in "${files[@]}"; do echo "  <ComponentRef Id=\"C_$(msi_id "$f")\"/>"; done
  echo '</Include>'
} >"$staging/ProgramRefs.wxi"

# wixl takes the sources relative to its working folder.
(cd "$staging" && wixl -a x64 -D Version="$VERSION" -D Staging=. \
  -D HelpPage="${programs[0]%.exe}.htm" -o "$msi" "$ROOT/packaging/Quandrel.wxs")

# What wixl 0.101 cannot write, set in its tables: it drops NeverOverwrite and
# Permanent (with a warning), writes every component as 32-bit, and writes the
# shortcut as an advertised one (its target is the feature) since it does not
# implement Advertise="no". Component attributes: 256 64-bit, 128 never
# overwrite (the key file exists: install nothing), 16 permanent.
# It has no Permission or PermissionEx element either: the rights of the
# backup folder and of the configuration's folder go into MsiLockPermissionsEx (Windows Installer 5.0, which the package
# requires), applied when CreateFolders makes the folder or finds it made:
# Administrators and SYSTEM full control, Users read, nothing inherited from
# %ProgramData%, owned by Administrators. The program makes its own folders
# with the same rights (platform/FolderSecurity_win32.cpp).
backup_rights='O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)'
msibuild "$msi" \
  -q "UPDATE Component SET Attributes = 256" \
  -q "UPDATE Component SET Attributes = 400 WHERE Component = 'StartingConfiguration'" \
  -q "UPDATE Component SET Attributes = 272 WHERE Component = 'BackupFolder'" \
  -q "UPDATE Component SET Attributes = 272 WHERE Component = 'ConfigurationFolder'" \
  -q 'CREATE TABLE `MsiLockPermissionsEx` (`MsiLockPermissionsEx` CHAR(72) NOT NULL, `LockObject` CHAR(72) NOT NULL, `Table` CHAR(32) NOT NULL, `SDDLText` LONGCHAR NOT NULL, `Condition` CHAR(255) PRIMARY KEY `MsiLockPermissionsEx`)' \
  -q "INSERT INTO \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\`, \`LockObject\`, \`Table\`, \`SDDLText\`) VALUES ('BackupFolderRights', 'BACKUPDIR', 'CreateFolder', '$backup_rights')" \
  -q "INSERT INTO \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\`, \`LockObject\`, \`Table\`, \`SDDLText\`) VALUES ('ConfigurationFolderRights', 'CONFIGDIR', 'CreateFolder', '$backup_rights')" \
  -q "UPDATE Shortcut SET Target = '[#F_$(msi_id "${programs[0]}")]' WHERE Shortcut = 'StartMenuShortcut'"

