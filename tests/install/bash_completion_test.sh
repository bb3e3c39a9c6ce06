#!/usr/bin/env bash
# Drives kelvo-cli's bash completion the way bash does for a few command lines and compares the
# offered words whole. Usage: bash_completion_test.sh COMPLETION_FILE
set -u
source /usr/share/bash-completion/bash_completion
source "$1"
compopt() { :; }  # only valid inside a completion that bash itself started

cd "$(mktemp -d)" || exit 1
touch 'tmp' 'a file'  # words that an unquoted pattern list would glob to

failures=0
expect() {
  local line=$1 want=$2
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kelvo_cli kelvo-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got
  got=$(printf '%s ' "${COMPREPLY[@]}")
  if [[ "${got% }" != "$want" ]]; then
    echo "FAIL: '$line': got '${got% }', want '$want'"
    failures=$((failures + 1))
  fi
}

expect "kelvo-cli " "scan clean drives locations audit-dlls keep"
expect "kelvo-cli cl" "clean"
expect "kelvo-cli -" "--help --version -h -V"
expect "kelvo-cli scan --pr" "--print0"
expect "kelvo-cli scan --d" "--dll-audit"
expect "kelvo-cli clean --fr" "--from --from0"
expect "kelvo-cli clean -" "--patterns --temp --no-temp --zero --no-zero --special --locations --older-than --threads --include-package-files --keep --no-keep-list --help --from --from0 --yes -y --dry-run -n --trash --admin"
expect "kelvo-cli keep " "list add remove"
expect "kelvo-cli clean --tr" "--trash"
expect "kelvo-cli clean --ad" "--admin"
expect "kelvo-cli scan --in" "--include-package-files"
expect "kelvo-cli scan --f" "--format"
expect "kelvo-cli drives -" "--help"
expect "kelvo-cli audit-dlls --" "--prefix --format --help"
expect "kelvo-cli scan --format " "text tsv csv json"
expect "kelvo-cli scan --format=j" "json"
expect "kelvo-cli scan --patterns tmp,b" "tmp,bak"
expect "kelvo-cli scan --patterns ~" "~*"
expect "kelvo-cli scan --patterns ??" "??\$ ??~"
expect "kelvo-cli clean --special recent,h" "recent,history"
expect "kelvo-cli scan --threads " ""
expect "kelvo-cli scan --locations trash,app" "trash,app-cache"
expect "kelvo-cli locations -" "--help"

[[ $failures -eq 0 ]] && echo "all completions as expected"
exit "$failures"
