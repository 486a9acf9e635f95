#!/usr/bin/env bash
# The string-list compiler's mnemonic rule, on small tables: which groups it
# refuses, and that its message names the language, the ids and the letter.
# Usage: stringlistc-mnemonics.sh path/to/stringlistc
set -uo pipefail
STRINGLISTC="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0

LANGUAGES=(English Danish Dutch Finnish French German Italian Norwegian Spanish Swedish)

# row ID TEXT [LANGUAGE=TEXT...]: TEXT in every language except those given.
row() {
    local id="$1" text="$2"
    shift 2
    local cells=()
    for language in "${LANGUAGES[@]}"; do cells+=("$text"); done
    for override in "$@"; do
        local language="${override%%=*}" i
        for i in "${!LANGUAGES[@]}"; do
            [[ ${LANGUAGES[$i]} == "$language" ]] && cells[$i]="${override#*=}"
        done
    done
    (IFS=$'\t'; printf '%s\tLAB_L%s\t%s\n' "$id" "$id" "${cells[*]}")
}

# check NAME EXPECTED-STATUS EXPECTED-MESSAGE GROUPS ROW...: EXPECTED-MESSAGE
# must appear in the compiler's error output ("" when it must succeed).
check() {
    local name="$1" expected="$2" message="$3" groups="$4"
    shift 4
    {
        (IFS=$'\t'; echo "id	name	${LANGUAGES[*]}")
        printf '%s\n' "$@"
    } > "$WORK/LAB.tsv"
    printf '%s\n' "$groups" > "$WORK/groups.txt"
    "$STRINGLISTC" --mnemonics "$WORK/groups.txt" --cpp "$WORK/out.cpp" "$WORK/LAB.tsv" 2> "$WORK/err"
    local status=$?
    if [[ $expected == pass && $status -ne 0 ]]; then
        echo "FAIL $name: refused:"; cat "$WORK/err"; failures=$((failures + 1))
    elif [[ $expected == fail && $status -eq 0 ]]; then
        echo "FAIL $name: accepted"; failures=$((failures + 1))
    elif [[ -n $message ]] && ! grep -qF -- "$message" "$WORK/err"; then
        echo "FAIL $name: message lacks: $message"; cat "$WORK/err"; failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}

check "distinct letters pass" pass "" "bar 1 2" \
    "$(row 1 '&File')" "$(row 2 '&Help')"
check "upper and lower case are one letter" fail \
    'groups.txt:1 (form): French: LAB# 1 "&Fichier" and LAB# 2 "Modi&fier" share the mnemonic letter f' \
    "form 1 2" \
    "$(row 1 '&File' French='&Fichier')" "$(row 2 'Modif&y' French='Modi&fier')"
check "an accented letter is its own letter" pass "" "menu 1 2" \
    "$(row 1 '&Open' Swedish='&Öppna')" "$(row 2 '&Info' Swedish='&Om')"
check "accented letters fold case too" fail 'Swedish: LAB# 1 "&Öppna" and LAB# 2 "St&öd" share the mnemonic letter ö' \
    "menu 1 2" \
    "$(row 1 '&Open' Swedish='&Öppna')" "$(row 2 '&Help' Swedish='St&öd')"
check "a doubled ampersand is no mnemonic" pass "" "menu 1 2" \
    "$(row 1 '&&F &Go')" "$(row 2 '&Find')"
check "only labels of one group are compared" pass "" $'a 1 2\nb 3 4' \
    "$(row 1 '&Alpha')" "$(row 2 '&Beta')" "$(row 3 '&Apple')" "$(row 4 '&Cherry')"
check "every clash is reported" fail 'German: LAB# 3 "&Cc" and LAB# 4 "&cd" share the mnemonic letter c' \
    "g 1 2 3 4" \
    "$(row 1 '&Aa' German='&Ab')" "$(row 2 '&Ba' German='&ab')" "$(row 3 '&Ca' German='&Cc')" "$(row 4 '&Da' German='&cd')"
check "a lost mnemonic is refused" fail 'Danish: LAB# 2 "Slet" has no mnemonic, but the English text has one' \
    "g 1 2" \
    "$(row 1 '&Add')" "$(row 2 '&Delete' Danish='Slet')"
check "two mnemonics in one label are refused" fail 'Dutch: LAB# 2 "&Ver&wijderen" has more than one mnemonic' \
    "g 1 2" \
    "$(row 1 '&Add')" "$(row 2 '&Delete' Dutch='&Ver&wijderen')"
check "an unknown label is refused" fail 'LAB# 7 does not exist' "g 1 7" \
    "$(row 1 '&Add')"
check "a label without a mnemonic in English may stay without" pass "" "g 1 2" \
    "$(row 1 '&Add')" "$(row 2 'Catalogs:')"
check "groups may name their labels" fail 'LAB# 1 "&Add" and LAB# 2 "&All" share the mnemonic letter A' \
    "g LAB_L1 LAB_L2" "$(row 1 '&Add')" "$(row 2 '&All')"
check "a name without its list's prefix is refused" fail 'the name must be LAB_' "g 1 2" \
    "$(row 1 '&Add')" "$(row 2 '&Back' | sed 's/LAB_L2/MSG_L2/')"
check "a name used twice is refused" fail 'the name LAB_L1 is used twice' "g 1 2" \
    "$(row 1 '&Add')" "$(row 2 '&Back' | sed 's/LAB_L2/LAB_L1/')"
# The header names every identifier, in the enumeration of its list.
{ (IFS=$'\t'; echo "id	name	${LANGUAGES[*]}"); row 1 '&Add'; } > "$WORK/LAB.tsv"
"$STRINGLISTC" --header "$WORK/ids.h" "$WORK/LAB.tsv" 2>/dev/null
if grep -q 'enum LabelId : int16_t' "$WORK/ids.h" && grep -q 'LAB_L1 = 1,' "$WORK/ids.h"; then
    echo "ok   the header names the labels"
else
    echo "FAIL the header lacks LAB_L1 in LabelId"; failures=$((failures + 1))
fi

[[ $failures -eq 0 ]] || { echo "$failures case(s) failed"; exit 1; }
