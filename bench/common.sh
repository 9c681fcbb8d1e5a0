# Sourced by the bench scripts (after set -eu): the checkout, the build root and
# the helpers they share. Each script runs twice: first outside the test peers'
# fixture (tests/peers/with-peers.sh), then inside it with --inside.
top=$(cd "$(dirname "$0")/.." && pwd)
root=${ZARN_BUILD_ROOT:-$top/build}

# run_inside vsftpd|pyftpd ARG...: runs this script again inside the fixture
# with that server, as "<script> --inside ARG...", with the same build root.
run_inside() {
  local peer=$1
  shift
  export ZARN_BUILD_ROOT=$root
  exec "$top/tests/peers/with-peers.sh" --"$peer" -- "$0" --inside "$@"
}

# need_driver NAME PATH: stops unless the win64 driver has been built.
need_driver() {
  [ -f "$2" ] || { echo "$1: build win64 first ($2 missing)" >&2; exit 1; }
}

# need_tools NAME TOOL...: stops at the first tool that is missing.
need_tools() {
  local name=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$name: $tool is missing" >&2; exit 1; }
  done
}

# peer_server VSFTPD|PYFTPD: host, port, user, pass and served (its root) of
# that server of the fixture, and work, a folder of the bench's own.
peer_server() {
  local v
  host=127.0.0.1
  v=ZARN_$1_PORT; port=${!v}
  v=ZARN_$1_USER; user=${!v}
  v=ZARN_$1_PASS; pass=${!v}
  v=ZARN_$1_ROOT; served=${!v}
  work=$ZARN_PEER_WORK/bench
}

# winpath PATH: the Wine (Z:) path of a local path.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

# median DIRECTION CLIENT: the median seconds of those runs in $results.
median() {
  awk -v d="$1" -v c="$2" '$1 == d && $2 == c { print $3 }' "$results" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
