#!/usr/bin/env bash
# A private JACK server for the MIDI input tests: the dummy driver (no sound device is opened),
# no real-time scheduling, and a server name of its own, so that no client of the user's own JACK
# server (nor the user's server itself) ever sees it. Clients reach it only through the variables
# printed by start; JACK_NO_START_SERVER keeps a client that finds no server from starting one.
#   private_jack.sh start <folder>   starts it; prints the variables a test must export, one a line
#   private_jack.sh stop <folder>    stops it and removes the folder
set -euo pipefail

dir=${2:?usage: private_jack.sh start|stop <folder>}

# True while the process lives (a process that has ended but not been reaped counts as ended).
alive() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2> /dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

case "${1:-}" in
  start)
    command -v jackd > /dev/null || { echo "jackd is not installed (Debian package jackd2)" >&2; exit 1; }
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    # The server's sockets and shared memory live in /dev/shm under the server's name (jackd2 has no
    # folder of its own for them), so the name is made unique to this start.
    name="korvalin_test_$$_$(od -An -N4 -tx4 /dev/urandom | tr -d ' ')"
    echo "$name" > "$dir/name"
    # Started in a session of its own, so that a terminal's Ctrl+C reaches it only through stop; no
    # session bus (no device reservation, no D-Bus server start); the dummy driver at a period of
    # 21 ms, for few wake-ups (the tests wait for order, not speed).
    env -u DBUS_SESSION_BUS_ADDRESS -u JACK_DEFAULT_SERVER JACK_NO_AUDIO_RESERVATION=1 JACK_NO_START_SERVER=1 \
      setsid jackd --no-realtime --name "$name" --silent -d dummy -r 48000 -p 1024 \
      < /dev/null > "$dir/log" 2>&1 &
    echo $! > "$dir/pid"
    for _ in $(seq 100); do
      if [ -S "/dev/shm/jack_${name}_$(id -u)_0" ]; then
        if ! command -v jack_lsp > /dev/null \
          || JACK_DEFAULT_SERVER="$name" JACK_NO_START_SERVER=1 jack_lsp > /dev/null 2>&1; then
          echo "JACK_DEFAULT_SERVER=$name"
          echo "JACK_NO_START_SERVER=1"
          exit 0
        fi
      fi
      alive "$(cat "$dir/pid")" || break
      sleep 0.1
    done
    echo "the private JACK server did not start (its log: $dir/log)" >&2
    kill "$(cat "$dir/pid")" 2> /dev/null || true
    exit 1
    ;;
  stop)
    if [ -f "$dir/pid" ]; then
      pid=$(cat "$dir/pid")
      kill "$pid" 2> /dev/null || true
      for _ in $(seq 50); do alive "$pid" || break; sleep 0.1; done
      alive "$pid" && kill -9 "$pid" 2> /dev/null || true
    fi
    rm -rf "$dir"
    ;;
  *)
    echo "usage: private_jack.sh start|stop <folder>" >&2
    exit 2
    ;;
esac
