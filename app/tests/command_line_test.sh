#!/usr/bin/env bash
# Catches a host that, given a wrong option, opens a message box nobody can
# answer (or needs a display at all) instead of saying why on standard error
# and exiting 2; and --version/--help that need a display.
#   command_line_test.sh path/to/ate-host
set -uo pipefail
host=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

# No display, and a platform plug-in that does not exist: anything that
# creates the application dies here instead of exiting 2.
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none-such "$host" "$@"; }

err=$(run --bogus 2>&1 >/dev/null); code=$?
[ "$code" -eq 2 ] || fail "--bogus exited $code, not 2: $err"
grep -q -- "--bogus" <<<"$err" || fail "--bogus: the error does not name the option: $err"

err=$(run --port 2>&1 >/dev/null); code=$?
[ "$code" -eq 2 ] || fail "--port without a value exited $code: $err"

out=$(run --version 2>&1); code=$?
[ "$code" -eq 0 ] || fail "--version exited $code: $out"
grep -Eq '^ate-host [0-9]+\.[0-9]+' <<<"$out" || fail "--version printed: $out"

out=$(run --help 2>&1); code=$?
[ "$code" -eq 0 ] || fail "--help exited $code: $out"
grep -q -- "--token-file" <<<"$out" || fail "--help does not list --token-file"

# The help and the refusals in the user's language: Portuguese first, English
# from the installed translation.
out=$(LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 run --help 2>&1)
grep -q '^Uso: ate-host \[opções\]' <<<"$out" || fail "pt_BR --help: $out"
out=$(LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 run --help 2>&1)
grep -q '^Usage: ate-host \[options\]' <<<"$out" || fail "en_US --help: $out"
err=$(LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 run --bogus 2>&1 >/dev/null)
grep -q '^ate-host: Unknown option: --bogus\.' <<<"$err" || fail "en_US --bogus: $err"
err=$(LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 run --port x 2>&1 >/dev/null)
grep -q 'Invalid value for --port: "x" (from 1 to 65535)' <<<"$err" || fail "en_US --port x: $err"
err=$(LANG=pt_BR.UTF-8 LC_ALL=pt_BR.UTF-8 run --bogus 2>&1 >/dev/null)
grep -q '^ate-host: Opção desconhecida: --bogus\.' <<<"$err" || fail "pt_BR --bogus: $err"
echo "ok"
