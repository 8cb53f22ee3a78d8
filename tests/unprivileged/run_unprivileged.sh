#!/usr/bin/env bash
# Usage: run_unprivileged.sh PROGRAM TEST [PROGRAM TEST ...]
#
# Runs each GoogleTest TEST of its test PROGRAM as an unprivileged user and
# passes only when every one of them ran and passed: a test that skips (as
# the read-only cases do for the superuser), fails or is not found fails the
# run. Under root the programs are copied into a fresh folder that the user
# "nobody" may read, since the build folder may lie on a path that only root
# can enter, and each runs from a working folder of its own owned by that
# user. Any other user runs the tests as itself. Exit 77 when root has no
# setpriv to change the user with.
set -u
if [ $# -eq 0 ] || [ $(($# % 2)) -ne 0 ]; then
  echo "usage: $0 PROGRAM TEST [PROGRAM TEST ...]" >&2
  exit 2
fi

as_user=()
work=""
if [ "$(id -u)" = 0 ]; then
  if ! command -v setpriv >/dev/null; then
    echo "setpriv is missing: the tests cannot be run as an unprivileged user"
    exit 77
  fi
  uid=$(id -u nobody) && gid=$(id -g nobody) || exit 1
  as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
  work=$(mktemp -d /tmp/qor-unprivileged-XXXXXX) || exit 1
  trap 'rm -rf "$work"' EXIT
  chmod 755 "$work"
fi

failed=0
index=0
while [ $# -gt 0 ]; do
  program=$1
  test=$2
  shift 2
  index=$((index + 1))
  folder=.
  if [ -n "$work" ]; then
    folder="$work/$index"
    mkdir "$folder" && cp "$program" "$folder/" || exit 1
    program="$folder/$(basename "$program")"
    chmod 755 "$program" && chown "$uid:$gid" "$folder" || exit 1
  fi
  output=$(cd "$folder" && "${as_user[@]}" "$program" --gtest_filter="$test" 2>&1)
  status=$?
  echo "$output"
  if [ $status -ne 0 ]; then
    echo "FAILED: $test (exit status $status)"
    failed=1
  elif ! grep -qF "[       OK ] $test (" <<<"$output" || grep -qF "[  SKIPPED ]" <<<"$output"; then
    echo "FAILED: $test did not run to a pass as user $(id -un "${uid:-$(id -u)}")"
    failed=1
  fi
done
exit $failed
