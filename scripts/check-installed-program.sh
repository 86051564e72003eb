#!/usr/bin/env bash
# Starts an installed or unpacked program headless, with a home folder of its own, and
# checks that it found its template where it was installed and showed its main window.
# Usage: check-installed-program.sh <prefix>/bin/vemora-contracts <expected temp.mdb>
set -euo pipefail
program=$1
template=$2

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
log=$home/start.log
HOME=$home XDG_CACHE_HOME=$home/cache XDG_RUNTIME_DIR=$home QT_QPA_PLATFORM=offscreen \
  QT_LOGGING_RULES="vemora.startup.info=true" "$program" >"$log" 2>&1 &
pid=$!
for _ in $(seq 300); do
  grep -q "window shown" "$log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

if ! grep -qxF "vemora.startup: template $template found" "$log" ||
   ! grep -qxF "vemora.startup: window shown true Vemora合同管理软件" "$log"; then
  echo "FAIL: $program did not start as installed (template $template):" >&2
  cat "$log" >&2
  exit 1
fi
echo "started: template $template, main window shown"
