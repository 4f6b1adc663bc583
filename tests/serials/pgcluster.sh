#!/usr/bin/env bash
# pgcluster.sh start|stop STATE_DIR: a throwaway PostgreSQL server for the tests,
# listening only on a Unix socket in its own folder, run as nobody under root
# (the server refuses root). STATE_DIR/cluster names the folder, or says "absent"
# when the server's programs are not installed (the tests then skip).
# pgcluster.sh halt|resume STATE_DIR: the server of a test of its own goes away
# (a fast shutdown, as an outage) and comes back on the same folder.
set -euo pipefail
state=$2/cluster
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)

as_server=()
[ "$(id -u)" -ne 0 ] || as_server=(setpriv --reuid=65534 --regid=65534 --clear-groups)
own() { [ ${#as_server[@]} -eq 0 ] || chown 65534:65534 "$1"; }

stop() {
  [ -f "$state" ] || return 0
  cluster=$(cat "$state")
  if [ -d "$cluster/data" ]; then
    "${as_server[@]}" "$bindir/pg_ctl" -D "$cluster/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  [ "$cluster" = absent ] || rm -rf "$cluster"
  rm -f "$state"
}

if [ "$1" = halt ] || [ "$1" = resume ]; then
  cluster=$(cat "$state")
  if [ "$1" = halt ]; then
    "${as_server[@]}" "$bindir/pg_ctl" -D "$cluster/data" -m fast -w stop >/dev/null
  else
    "${as_server[@]}" "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 60 \
      start >/dev/null
  fi
  exit 0
fi

stop # on start too: a server a killed run left behind
[ "$1" = start ] || exit 0
mkdir -p "$2"
if [ ! -x "$bindir/initdb" ]; then
  echo absent >"$state" && exit 0
fi
# Where the socket's path would be long or nobody cannot reach the build folder, /tmp.
cluster=$2/pg
mkdir -p "$cluster" && own "$cluster"
if [ ${#cluster} -gt 80 ] || ! "${as_server[@]}" test -w "$cluster"; then
  rm -rf "$cluster"
  cluster=$(mktemp -d /tmp/korvex-pg-XXXXXX) && own "$cluster"
fi
echo "$cluster" >"$state"
"${as_server[@]}" "$bindir/initdb" -D "$cluster/data" -U korvex --auth=trust -E UTF8 --no-locale \
  --no-sync >"$cluster/initdb.log" 2>&1 || { cat "$cluster/initdb.log"; exit 1; }
cat >>"$cluster/data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$cluster'
fsync = off
synchronous_commit = off
max_connections = 60
CONF
"${as_server[@]}" "$bindir/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 60 start \
  >/dev/null || { cat "$cluster/server.log"; exit 1; }
echo "PostgreSQL runs in $cluster"
