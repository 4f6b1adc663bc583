#!/usr/bin/env bash
# The manual pages hold what the programs' help says, and more: every
# option each program's help names (korvex-cli's, every command's own
# --help too) is in its page, each page names the other two programs to see
# also and never itself, and the tool's page says what no --help does (exit
# status, environment, files, the production line).
#
#   check_manpages.sh MAN_DIR BIN_DIR
set -euo pipefail

man_dir=$1
bin=$2
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The page's text as its source has it, without the font changes and with
# the escaped hyphens plain, so no line filling can split a name.
source_of() { zcat "$man_dir/$1.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g'; }
help_of() { env -u DISPLAY -u WAYLAND_DISPLAY "$bin/$1" "${@:2}" --help; }
section_of() { awk -v name="$2" '/^\.SH/ { on = index($0, name) > 0; next } on' <<<"$1"; }

programs=(korvex korvex-cli korvex-sim)
for program in "${programs[@]}"; do
  page=$(source_of "$program")
  help=$(help_of "$program")
  if [ "$program" = korvex-cli ]; then
    commands=$(sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$help")
    [ -n "$commands" ] || fail "korvex-cli --help lists no commands"
    for command in $commands; do
      grep -qxF ".SS \"korvex-cli $command:\"" <<<"$page" ||
        fail "no section of 'korvex-cli $command'"
      help+=$'\n'$(help_of korvex-cli "$command")
    done
    for section in "EXIT STATUS" ENVIRONMENT FILES "PRODUCTION LINE" EXAMPLES; do
      [ -n "$(section_of "$page" "$section")" ] || fail "korvex-cli's page has no $section"
    done
    for word in PGPASSFILE PGPASSWORD 130 143 129 samples/ --record --db --station records; do
      grep -qF -- "$word" <<<"$page" || fail "korvex-cli's page does not say $word"
    done
  fi
  for option in $(grep -o -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$page" || fail "$program's page lacks $option, which its help names"
  done
  see_also=$(section_of "$page" "SEE ALSO")
  for other in "${programs[@]}"; do
    named=$(grep -c "^\.BR $other (1)" <<<"$see_also" || true)
    if [ "$other" = "$program" ] && [ "$named" != 0 ]; then
      fail "$program's SEE ALSO names $program itself"
    elif [ "$other" != "$program" ] && [ "$named" = 0 ]; then
      fail "$program's SEE ALSO does not name $other"
    fi
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "Each manual page holds every option of its program's help."
