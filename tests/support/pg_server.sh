#!/bin/bash
# Starts or stops the throwaway PostgreSQL server of the test run: a fresh cluster in a
# temporary folder, listening on a free port of 127.0.0.1 only. PostgreSQL will not run as
# root, so under root it runs as the postgres user.
#   pg_server.sh start <state folder>   writes <state folder>/server.txt
#   pg_server.sh stop <state folder>
set -euo pipefail

cmd=${1:?start or stop}
state=${2:?state folder}

bin=""
for candidate in /usr/lib/postgresql/*/bin; do
    [ -x "$candidate/initdb" ] && bin=$candidate
done
if [ -z "$bin" ]; then
    echo "PostgreSQL server binaries not found (Debian package postgresql)" >&2
    exit 1
fi

as_owner() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

stop() {
    if [ -f "$state/datadir" ]; then
        data=$(cat "$state/datadir")
        if [ -d "$data/db" ]; then
            as_owner "$bin/pg_ctl" -D "$data/db" -m immediate -w stop >/dev/null 2>&1 || true
        fi
        rm -rf "$data"
    fi
    rm -rf "$state"
}

case "$cmd" in
start)
    stop
    mkdir -p "$state"
    data=$(mktemp -d /tmp/vorna-pg.XXXXXX)
    echo "$data" > "$state/datadir"
    chmod 755 "$data"
    [ "$(id -u)" = 0 ] && chown postgres "$data"
    echo vornapg > "$data/pw"
    as_owner "$bin/initdb" -D "$data/db" -U postgres -E UTF8 --locale=C \
        --auth-local=trust --auth-host=scram-sha-256 --pwfile="$data/pw" > "$data/initdb.log" 2>&1 || {
        cat "$data/initdb.log" >&2
        exit 1
    }
    base=$((55432 + RANDOM % 400))
    for port in $(seq "$base" $((base + 40))); do
        if as_owner "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 30 \
            -o "-p $port -k $data -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
            start > /dev/null 2>&1; then
            echo "host=127.0.0.1 port=$port user=postgres password=vornapg" > "$state/server.txt"
            echo "PostgreSQL test server on 127.0.0.1:$port"
            exit 0
        fi
    done
    cat "$data/server.log" >&2 || true
    echo "could not start the PostgreSQL test server" >&2
    exit 1
    ;;
stop)
    stop
    echo "PostgreSQL test server stopped"
    ;;
*)
    echo "usage: $0 start|stop <state folder>" >&2
    exit 2
    ;;
esac
