#!/usr/bin/env bash
# The main job: talk to an acceptor with the command-line tool. With no device
# named (DEVICE=/dev/ttyUSB0 or DEVICE=COM3 in the environment), it starts the
# device emulator on a pseudo-terminal and talks to that.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --native
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j2 --target notarel rud003-emu

port=${DEVICE:-}
emu_pid=
if [ -z "$port" ]; then
  out=$(mktemp -d)
  mkfifo "$out/in"
  build/release/tools/emu/rud003-emu --wire 9600 --log "$out/emu.log" <"$out/in" >"$out/out" &
  emu_pid=$!
  exec 3>"$out/in"  # holds the emulator's input open until we are done
  trap 'echo quit >&3; exec 3>&-; wait $emu_pid 2>/dev/null || true; rm -rf "$out"' EXIT
  # Wait for the emulator to say it is ready rather than guessing a time.
  for _ in $(seq 100); do grep -q '^READY' "$out/out" 2>/dev/null && break; sleep 0.05; done
  port=$(sed -n 's/^PTY //p' "$out/out")
  echo "No device named: using the emulator on $port"
fi

flags=()
for i in 1 2 3 4 5 6 7 8; do flags+=("Denomination$i=true"); done
set -x
build/release/tools/notarel/notarel --port "$port" \
  OpenPort ReadStatus Reset ReadStatus \
  "${flags[@]}" WriteEnabledDenominations \
  InhibitStatus=false WriteInhibitStatus \
  ReadModelID ReadBootVersion ReadStatus ReadStatus
{ set +x; } 2>/dev/null
