# Shared by the qrvp command tests (bash tools/tests/<name>.sh QRVP); the first failed check ends one.
set -u
QRVP="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

fail() { echo "FAIL: $*" >&2; exit 1; }

# A sanitizer's report ends a run with status 1, like an ordinary failure;
# its text tells them apart.
clean_run() {
  if grep -qE "Sanitizer|runtime error:" "$1"; then cat "$1" >&2; fail "sanitizer report from: ${*:2}"; fi
}

# expect_status CODE CMD...: runs CMD, keeping stdout in out.txt and stderr in err.txt.
expect_status() {
  local want="$1"; shift
  "$@" >out.txt 2>err.txt
  local got=$?
  clean_run err.txt "$@"
  [ "$got" -eq "$want" ] || { cat err.txt >&2; fail "'$*' exited $got, expected $want"; }
}

# contains FILE TEXT: the file holds the text as a fixed string.
contains() { grep -qF -- "$2" "$1" || { echo "--- $1:" >&2; head -40 "$1" >&2; fail "$1 lacks: $2"; }; }
lacks() { ! grep -qF -- "$2" "$1" || fail "$1 holds: $2"; }
# snap FILE SHA256...: each file is the reviewed output whose digest is recorded; a changed one is kept for review.
snap() { while [ $# -gt 1 ]; do local d; d=$(sha256sum < "$1"); d=${d%% *}; [ "$d" = "$2" ] || { cp "$1" "${TMPDIR:-/tmp}/qrvp-$1"; fail "$1 changed: sha256 $d, kept in ${TMPDIR:-/tmp}/qrvp-$1; review it, then record the digest"; }; shift 2; done; }
