#!/usr/bin/env bash
# Runs the tree benchmarks with the desktop's accessibility bridge active, as a screen
# reader has it: a session bus of its own with the accessibility bus on it, a stand-in
# screen reader that asks for and receives every event, a virtual screen, and Qt told to
# mirror its widgets to that bus. Arguments go to bench_tree, e.g.
#   bench/tree_with_screen_reader.sh --benchmark_filter=100000
# Needs the Debian packages dbus, at-spi2-core, xvfb, python3-dbus and python3-gi.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench=${BENCH_TREE:-$root/build/bin/bench_tree}
launcher=/usr/libexec/at-spi-bus-launcher
for need in dbus-run-session xvfb-run /usr/bin/python3 "$launcher"; do
  command -v "$need" >/dev/null ||
    { echo "缺少 $need（软件包 dbus、at-spi2-core、xvfb、python3-dbus、python3-gi）" >&2; exit 1; }
done
exec dbus-run-session -- bash -c '
  launcher=$1 listener=$2; shift 2
  "$launcher" --launch-immediately & pids=$!
  sleep 1
  /usr/bin/python3 "$listener" & pids="$pids $!"
  trap "kill $pids 2>/dev/null" EXIT
  sleep 1
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    xvfb-run -a -s "-screen 0 1280x800x24" "$@"
' bash "$launcher" "$root/bench/screen_reader_listener.py" "$bench" "$@"
