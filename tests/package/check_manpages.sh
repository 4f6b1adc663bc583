#!/usr/bin/env bash
# Each manual page holds every option its program's help names (korvex-cli's
# every command's own --help too), names the other two programs to see also
# and never itself, and the tool's page says what no --help does.
#
#   check_manpages.sh MAN_DIR BIN_DIR
set -euo pipefail
failures=0
fail() { echo "FAIL: $*" >&2 && failures=$((failures + 1)); }
# The page's source without font changes and with plain hyphens, so no line
# filling splits a name.
page_of() { zcat "$1/$2.1.gz" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g'; }
help_of() { env -u DISPLAY -u WAYLAND_DISPLAY "$2/$1" "${@:3}" --help; }

bin=$2
programs=(korvex korvex-cli korvex-sim)
for program in "${programs[@]}"; do
  page=$(page_of "$1" "$program")
  help=$(help_of "$program" "$bin")
  if [ "$program" = korvex-cli ]; then
    # Every command, and the commands of a command, with its own --help.
    commands_of() { sed -n "/^$1:/,/^\$/s/^  \([a-z-]*\) .*/\1/p" <<<"$2"; }
    add_command() {
      local own
      own=$(help_of korvex-cli "$bin" "$@")
      grep -qxF ".SS \"korvex-cli $*:\"" <<<"$page" || fail "no section of $*"
      help+=$'\n'$own
      for inner in $(commands_of Subcommands "$own"); do add_command "$@" "$inner"; done
    }
    for command in $(commands_of Commands "$help"); do add_command "$command"; done
    for word in '.SH "EXIT STATUS"' '.SH ENVIRONMENT' '.SH "PRODUCTION LINE"' PGPASSFILE \
      PGPASSWORD 130 143 129 samples/ journal/ --record --db --station records --db-wait --reserve \
      --sync --audit --format; do
      grep -qF -- "$word" <<<"$page" || fail "korvex-cli's page does not say $word"
    done
  fi
  for option in $(grep -o -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$page" || fail "$program's page lacks $option, which its help names"
  done
  see_also=$(sed -n '/^\.SH "SEE ALSO"/,/^\.SH/p' <<<"$page")
  for other in "${programs[@]}"; do
    grep -q "^\.BR $other (1)" <<<"$see_also" && named=yes || named=no
    [ "$named" = "$([ "$other" = "$program" ] && echo no || echo yes)" ] ||
      fail "$program's SEE ALSO: $other named: $named"
  done
done
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2 && exit 1; }
echo "Each manual page holds every option of its program's help."
