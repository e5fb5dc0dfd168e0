#!/usr/bin/env bash
# Catches the server's and the demo generator's help and refusals left in
# Portuguese for an English user (or translated for a Portuguese one), and a
# message of their sources without its English translation.
#   command_line_test.sh <bin folder> <source folder>
set -uo pipefail
bin=$1
src=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
en() { LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$@"; }
pt() { LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 "$@"; }

for program in ate-appserver ate-demodata; do
  out=$(en "$bin/$program" --help 2>&1) || fail "$program --help exited $?"
  grep -q "^Usage: $program \[options\]" <<<"$out" || fail "en_US $program --help: $out"
  out=$(pt "$bin/$program" --help 2>&1)
  grep -q "^Uso: $program \[opções\]" <<<"$out" || fail "pt_BR $program --help: $out"

  err=$(en "$bin/$program" --bogus 2>&1 >/dev/null); code=$?
  [ "$code" -eq 2 ] || fail "$program --bogus exited $code"
  grep -q "^Unknown option: --bogus\.$" <<<"$err" || fail "en_US $program --bogus: $err"
  grep -q "^Usage: $program" <<<"$err" || fail "en_US $program --bogus without the help: $err"
  err=$(pt "$bin/$program" --bogus 2>&1 >/dev/null)
  grep -q "^Opção desconhecida: --bogus\.$" <<<"$err" || fail "pt_BR $program --bogus: $err"
done
err=$(en "$bin/ate-appserver" --port 99999 2>&1 >/dev/null)
grep -q 'Invalid value for port: "99999" (from 0 to 65535)\|Invalid value for --port: "99999"' <<<"$err" \
  || fail "en_US --port 99999: $err"
err=$(en "$bin/ate-demodata" --days 2>&1 >/dev/null)
grep -q "^The value of --days is missing\.$" <<<"$err" || fail "en_US --days: $err"

# Every message of the sources has its English translation.
pot=$(mktemp)
trap 'rm -f "$pot"' EXIT
LC_ALL=en_US.UTF-8 xgettext --from-code=UTF-8 --language=C++ --keyword=tr:1 --keyword=N_ \
  --no-location -o "$pot" "$src"/server/*.cpp "$src"/server/*/*.cpp 2>/dev/null || fail "xgettext failed"
LC_ALL=en_US.UTF-8 msgcmp "$src/server/po/en.po" "$pot" \
  || fail "server/po/en.po lacks translations (see above)"
echo ok
