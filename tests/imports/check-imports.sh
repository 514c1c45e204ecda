#!/usr/bin/env bash
# Checks the import table of plumeroll.exe against the committed list of what Windows XP SP3
# exports for its architecture: a DLL or function outside the list would stop the program from
# starting there, which Wine, kinder than XP, cannot show. The list holds exactly what the
# program imports; an import that goes must leave it, and a new one must be added on purpose,
# after checking that XP has it.
#
#   check-imports.sh OBJDUMP PLUMEROLL_EXE LIST
set -euo pipefail
objdump=$1 exe=$2 list=$3

imports=$("$objdump" -p "$exe" | awk '
  /^\tDLL Name: / { dll = tolower($3); next }
  /^$/ { dll = "" }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && NF == 3 { print dll, $3 }' | sort -u)
allowed=$( (grep -v -e '^#' -e '^$' "$list" || true) | sort -u)

unlisted=$(comm -23 <(echo "$imports") <(echo "$allowed"))
gone=$(comm -13 <(echo "$imports") <(echo "$allowed"))
[ -z "$unlisted" ] || printf 'not in %s (check that Windows XP SP3 has them):\n%s\n' "$list" "$unlisted"
[ -z "$gone" ] || printf 'in %s but no longer imported (take them out):\n%s\n' "$list" "$gone"
[ -z "$unlisted$gone" ]
