#!/usr/bin/env bash
# A private PulseAudio server for the sound tests and the benchmark: its own socket, runtime folder
# and home in a folder of its own, one null sink "korvalin_test" as the default (nothing is heard),
# and no contact with the user's desktop server or session bus.
#   private_pulse.sh start <folder>   starts it; prints the PULSE_SERVER value that reaches it
#   private_pulse.sh stop <folder>    stops it and removes the folder
set -euo pipefail

dir=${2:?usage: private_pulse.sh start|stop <folder>}

case "${1:-}" in
  start)
    command -v pulseaudio > /dev/null || { echo "pulseaudio is not installed" >&2; exit 1; }
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    cat > "$dir/server.pa" <<PA
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
load-module module-null-sink sink_name=korvalin_test sink_properties=device.description=Korvalin_test
set-default-sink korvalin_test
PA
    # Started in a session of its own, so that a terminal's Ctrl+C reaches it only through stop.
    env -u PULSE_SERVER -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY HOME="$dir" XDG_RUNTIME_DIR="$dir" \
      XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" \
      setsid pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --disallow-exit \
      --use-pid-file=no --system=no --realtime=yes --high-priority=yes \
      --log-target="file:$dir/log" < /dev/null > /dev/null 2>&1 &
    echo $! > "$dir/pid"
    for _ in $(seq 100); do
      if PULSE_SERVER="unix:$dir/native" pactl info > /dev/null 2>&1; then
        echo "unix:$dir/native"
        exit 0
      fi
      kill -0 "$(cat "$dir/pid")" 2> /dev/null || break
      sleep 0.1
    done
    echo "the private PulseAudio server did not answer (its log: $dir/log)" >&2
    kill "$(cat "$dir/pid")" 2> /dev/null || true
    exit 1
    ;;
  stop)
    if [ -f "$dir/pid" ]; then
      pid=$(cat "$dir/pid")
      kill "$pid" 2> /dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2> /dev/null || true
    fi
    rm -rf "$dir"
    ;;
  *)
    echo "usage: private_pulse.sh start|stop <folder>" >&2
    exit 2
    ;;
esac
