#!/usr/bin/env bash
# Runs the tree benchmarks with the desktop's accessibility bridge active, as a screen
# reader has it: a session bus of its own with the accessibility bus on it, a virtual
# screen, and Qt told to mirror its widgets to that bus. Arguments go to bench_tree, e.g.
#   bench/tree_with_screen_reader.sh --benchmark_filter=100000
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench=${BENCH_TREE:-$root/build/bin/bench_tree}
launcher=/usr/libexec/at-spi-bus-launcher
for need in dbus-run-session xvfb-run "$launcher"; do
  command -v "$need" >/dev/null || { echo "缺少 $need（软件包 dbus、xvfb、at-spi2-core）" >&2; exit 1; }
done
exec dbus-run-session -- bash -c '
  "$0" --launch-immediately &
  launcher=$!
  trap "kill $launcher 2>/dev/null" EXIT
  sleep 1
  # A screen reader asks for these events; without a listener Qt would not send them.
  address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
            org.a11y.Bus.GetAddress | tr -d " ")
  for event in object: focus: window: document:; do
    dbus-send --address="$address" --print-reply --dest=org.a11y.atspi.Registry \
      /org/a11y/atspi/registry org.a11y.atspi.Registry.RegisterEvent string:"$event" >/dev/null
  done
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 xvfb-run -a -s "-screen 0 1280x800x24" "$@"
' "$launcher" "$bench" "$@"
