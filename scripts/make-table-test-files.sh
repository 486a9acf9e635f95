#!/usr/bin/env bash
# Makes the table reader's test files with a real spreadsheet program:
# Gnumeric's ssconvert (Debian's gnumeric, installed by `scripts/deps.sh
# --office`). A few sheets are "typed" as an office user types them (numbers,
# booleans, formulas, blank cells and rows, accents, a title above the
# header), read into Gnumeric, which turns them into its own cells as a user's
# typing would (0080 becomes 80, =UPPER("x") a formula), and saved as text with
# the options its Text export offers: separators, quoting, encodings, line
# ends. The files are committed in tests/data/tables/; the unit tests read
# them (PaperTableTest), so `make test` needs no office program. Run it again
# after changing a sheet, and update the expected outcomes in the test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
command -v ssconvert >/dev/null || scripts/deps.sh --office

out=tests/data/tables
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# The sheets, as typed (what goes into the cells, one row a line).
cat > "$work/english.csv" <<'SHEET'
Name,Size,Weight,Color,Type,ForceOneSided
Plain,A4,80,white,plain,FALSE
Blue Cover,Letter,160,blue,cover,TRUE
,,,,,
Clear,A4,120,clear,transparency,
=UPPER("gloss"),A3,135,white,glossy,FALSE
Café Crème,A4,90,cream,plain,FALSE
SHEET
# Names a spreadsheet changes when the Name column is not formatted as text.
cat > "$work/numbers.csv" <<'SHEET'
Name,Size,Weight,Color,Type
0080,A4,80,white,plain
1E3,A4,90,white,plain
12.50,A4,100,white,plain
SHEET
# A title and a note above the header, a blank row, blanks around cells.
cat > "$work/titled.csv" <<'SHEET'
Office papers
Updated by IT

Name,Size,Weight,Color,Type,ForceOneSided
 Plain , A4 , 80 , white , plain , no
Heavy,A4,300,white,cover,no
SHEET

ssconvert_text() {  # sheet, file, options of Gnumeric's Text export
    ssconvert --import-type=Gnumeric_stf:stf_csvtab -T Gnumeric_stf:stf_assistant -O "$3" "$work/$1" "$out/$2"
}

ssconvert_text english.csv english-comma.csv 'separator=, quoting-mode=auto eol=unix charset=UTF-8'
ssconvert_text english.csv english-semicolon-quoted.csv 'separator=; quoting-mode=always eol=windows charset=UTF-8'
ssconvert_text english.csv english-tab-utf16.txt 'separator="	" quoting-mode=never eol=windows charset=UTF-16LE'
ssconvert_text english.csv english-cp1252.csv 'separator=, quoting-mode=auto eol=windows charset=WINDOWS-1252'
ssconvert_text english.csv english-cr-lines.csv 'separator=, quoting-mode=auto eol=mac charset=UTF-8'
ssconvert_text numbers.csv numbers-saved-back.csv 'separator=, quoting-mode=auto eol=unix charset=UTF-8'
ssconvert_text titled.csv titled-quoted.csv 'separator=, quoting-mode=always eol=unix charset=UTF-8'

# Gnumeric writes UTF-16 without a byte-order mark, which the reader refuses
# with its advice to save as UTF-8; the same text in UTF-16 after the mark, as
# other spreadsheets write their "Unicode text", is read.
{ printf '\xFF\xFE'; cat "$out/english-tab-utf16.txt"; } > "$out/english-tab-utf16-marked.txt"

# The program's own export with one line appended by a tool that writes Windows-1252.
printf '\xEF\xBB\xBFName,Size,Weight,Color,Type,ForceOneSided\r\nL\xC3\xA9g\xC3\xA8re Cr\xC3\xA8me,A4,80,cream,plain,no\r\nCaf\xE9,A4,80,brown,plain,no\r\n' \
    > "$out/export-with-ansi-line.csv"
ls -l "$out"
