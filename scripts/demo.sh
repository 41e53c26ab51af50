#!/usr/bin/env bash
# The main job: take bills. Starts polling with a country selected and prints
# each event in plain words with the running total, then a summary table.
#
# With no device named it starts the device emulator on a pseudo-terminal and
# has it play a short series: bills of several denominations, one bill of the
# value this demo's policy refuses (REFUSE, default 5000), one the device
# rejects and a stacker-full interruption. The emulator's own counters then
# confirm the summary; the exit status is 1 when they do not agree.
#
# DEVICE=/dev/ttyUSB0 (or COM3) talks to a real acceptor instead and takes
# real bills until Ctrl-C (or the end of standard input).
#
# COUNTRY (currency code, default 643) selects the bill table. NOTAREL and
# RUD003_EMU name ready-built programs (the tests use their own build); without
# them the demo installs what the native build needs (cmake, g++, googletest,
# python3: scripts/install-deps.sh --native) and builds both in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."

country=${COUNTRY:-643}
refuse=${REFUSE:-5000}
notarel=${NOTAREL:-}
emulator=${RUD003_EMU:-}
if [ -z "$notarel" ] || { [ -z "${DEVICE:-}" ] && [ -z "$emulator" ]; }; then
  bash scripts/install-deps.sh --native
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/release -j2 --target notarel rud003-emu >/dev/null
  notarel=build/release/tools/notarel/notarel
  emulator=build/release/tools/emu/rud003-emu
fi

tmp=$(mktemp -d)
emu_pid=
cli_pid=
cleanup() {
  exec 3>&- 4>&- 2>/dev/null || true
  [ -n "$cli_pid" ] && kill "$cli_pid" 2>/dev/null
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "demo: $*" >&2
  exit 1
}

# --- the emulator and its control connection ---------------------------------

start_emulator() {
  "$emulator" --wire 9600 --control-tcp 0 --log "$tmp/emu.log" </dev/null >"$tmp/emu.out" 2>&1 &
  emu_pid=$!
  # Wait for it to say it is ready rather than guessing a time.
  local i
  for i in $(seq 200); do
    grep -q '^READY' "$tmp/emu.out" 2>/dev/null && break
    kill -0 "$emu_pid" 2>/dev/null || fail "the emulator did not start: $(cat "$tmp/emu.out")"
    sleep 0.05
  done
  grep -q '^READY' "$tmp/emu.out" || fail "the emulator did not get ready"
  port=$(sed -n 's/^PTY //p' "$tmp/emu.out")
  exec 4<>"/dev/tcp/127.0.0.1/$(sed -n 's/^CONTROL 127.0.0.1://p' "$tmp/emu.out")"
}

# One control line to the emulator; its one-line answer in $reply.
emu() {
  echo "$1" >&4
  IFS= read -r -t 10 reply <&4 || fail "no answer from the emulator to '$1'"
  reply=${reply%$'\r'}
  case $reply in OK*) ;; *) fail "the emulator refused '$1': $reply" ;; esac
}

# Waits until a condition holds; a bound against a hang, not a time check.
wait_until() {
  local what=$1 i
  shift
  for i in $(seq 600); do
    "$@" && return 0
    sleep 0.05
  done
  fail "gave up waiting for $what"
}
device_enabled() { emu status; [[ $reply == *"state=0x11 "* ]]; }
events_at_least() { [ "$(grep -c "$1" "$tmp/events" || true)" -ge "$2" ]; }

# Each step of the series waits for the driver to have answered it, so no two
# bills are ever in the device at once.
bills=0 refusals=0 rejections=0 statuses=0
insert_bill() {
  wait_until "the device to take bills" device_enabled
  emu "insert $1"
  if [ "${2:-}" = refused ]; then
    refusals=$((refusals + 1))
    wait_until "the refused bill" events_at_least '"Accept": false' "$refusals"
  else
    bills=$((bills + 1))
    wait_until "the bill to be stacked" events_at_least '"event": "Stacked"' "$bills"
  fi
}
device_rejects() {
  wait_until "the device to take bills" device_enabled
  emu "reject $1"
  rejections=$((rejections + 1))
  wait_until "the rejection" events_at_least '"event": "Reject"' "$rejections"
}
stacker_full_for_a_while() {
  wait_until "the device to take bills" device_enabled
  emu "state 0x43"
  statuses=$((statuses + 1))
  wait_until "the stacker-full report" events_at_least '"event": "Status"' "$statuses"
  emu clear
  statuses=$((statuses + 1))
  wait_until "the device to resume" events_at_least '"event": "Status"' "$statuses"
}

# The series, with the bill codes of the Russian table: 99 = 10, 100 = 50,
# 101 = 100, 102 = 500, 103 = 1000, 104 = 5000.
play_series() {
  insert_bill 100
  insert_bill 102
  insert_bill 104 refused
  device_rejects 0x72
  insert_bill 103
  stacker_full_for_a_while
  insert_bill 102
  insert_bill 101
}

# --- events in plain words ---------------------------------------------------

# Reads the tool's JSON lines as they come; prints each in words with the
# running total, and at the end writes the tallies to the file `totals`.
words() {
  awk -v totals="$tmp/totals" -v refuse="$refuse" -v hint="${DEVICE:+ (Ctrl-C ends)}" '
    function field(name,   v) {
      if (!match($0, "\"" name "\": (\"[^\"]*\"|[^,}]*)")) return ""
      v = substr($0, RSTART + length(name) + 4, RLENGTH - length(name) - 4)
      gsub(/^"|"$/, "", v)
      return v
    }
    function say(text) { print text; fflush() }
    /^\{"GetCountryParams": true/ {
      currency = field("CurrencyName")
      say("Country: " field("CountryName") " (" field("CountryCode") "), currency " currency \
          "; this demo refuses bills of " refuse " " currency)
    }
    /^\{"Country(ByCode|ByIndex)": false/ { say("No such country: " field("ResultDescription")) }
    /^\{"StartPolling": true/ { say("Polling: waiting for bills" hint) }
    /^\{"StartPolling": false/ { say("Polling could not start: " field("ResultDescription")) }
    /^\{"StopPolling"/ { say("Polling stopped; the device is told to inhibit") }
    /"event": "Bill"/ {
      summ = field("Summ")
      offered++
      if (field("Accept") == "true") {
        pending = summ
        say(sprintf("  %6s %s in escrow: accepted", summ, currency))
      } else {
        refused++; refused_sum += summ
        say(sprintf("  %6s %s in escrow: refused, handed back", summ, currency))
      }
    }
    /"event": "Stacked"/ {
      if (pending == "") { stray++; say("  stacked, but no accepted bill was waiting"); next }
      count[pending]++; total += pending; taken++
      say(sprintf("  %6s %s stacked                 total %d %s", pending, currency, total, currency))
      pending = ""
    }
    /"event": "Reject"/ {
      rejected++
      say("  bill rejected by the device: " field("ErrorDescription") " (code " field("ExtErrorCode") ")")
    }
    /"event": "Error"/ {
      errors++
      say("  device error " field("ErrorCode") "/" field("ExtErrorCode") ": " field("ErrorDescription"))
    }
    /"event": "Status"/ {
      code = field("StatusCode")
      if (code >= 67 && code <= 72) say("  device: " field("StatusDescription") ", takes no bills for now")
      else say("  device: " field("StatusDescription") ", takes bills again")
    }
    END {
      for (v in count) printf "bill %d %d\n", v, count[v] > totals
      printf "taken %d %d\nrefused %d %d\nrejected %d\nerrors %d\noffered %d\nstray %d\ncurrency %s\n",
        taken, total, refused, refused_sum, rejected, errors, offered, stray, currency > totals
    }'
}

total_of() { awk -v k="$1" '$1 == k { print $2; exit }' "$tmp/totals"; }
sum_of() { awk -v k="$1" '$1 == k { print $3; exit }' "$tmp/totals"; }

summary() {
  local currency
  currency=$(total_of currency)
  echo
  echo "Summary"
  printf '  %-14s %6s %10s\n' Denomination Count Sum
  sort -k2,2n <(grep '^bill ' "$tmp/totals") | while read -r _ value n; do
    printf '  %-14s %6d %10d\n' "$value $currency" "$n" $((value * n))
  done
  printf '  %-14s %6d %10d\n' "taken" "$(total_of taken)" "$(sum_of taken)"
  printf '  %-14s %6d %10d  (by this demo'"'"'s policy, handed back)\n' refused \
    "$(total_of refused)" "$(sum_of refused)"
  printf '  %-14s %6d\n' "rejected" "$(total_of rejected)"
  [ "$(total_of errors)" = 0 ] || printf '  %-14s %6d\n' "device errors" "$(total_of errors)"
}

# The emulator's counters against the summary: every bill it put in the box,
# handed back, rejected and offered in escrow must be counted once.
confirm_with_emulator() {
  emu counters
  local counters=${reply#OK }
  echo
  echo "Emulator counters: $counters"
  counter() { sed -n "s/.*\b$1=\([0-9]*\).*/\1/p" <<<"$counters"; }
  local ok=1 name ours theirs
  for pair in stacked:taken returned:refused rejected:rejected escrowed:offered; do
    name=${pair%%:*}
    ours=$(total_of "${pair#*:}")
    theirs=$(counter "$name")
    if [ "$ours" != "$theirs" ]; then
      echo "  DISAGREE: the emulator says $name=$theirs, the summary ${pair#*:} $ours"
      ok=0
    fi
  done
  local rows
  rows=$(awk '$1 == "bill" { n += $3; s += $2 * $3 } END { print n + 0, s + 0 }' "$tmp/totals")
  if [ "$rows" != "$(total_of taken) $(sum_of taken)" ]; then
    echo "  DISAGREE: the denominations add up to $rows, not to the bills taken"
    ok=0
  fi
  [ "$(total_of stray)" = 0 ] || { echo "  DISAGREE: $(total_of stray) stacked events without a bill"; ok=0; }
  [ "$ok" = 1 ] || fail "the summary and the emulator's counters do not agree"
  echo "The emulator agrees: $(counter stacked) bills stacked, $(counter returned) handed back," \
    "$(counter rejected) rejected, $(counter escrowed) offered in escrow."
}

# --- the run -----------------------------------------------------------------

cli_words=(--json --accept "refuse:$refuse" --poll 0
           CountryCode="$country" CountryByCode GetCountryParams
           BillEnabled=true PollingInterval=50)
if [ -n "${DEVICE:-}" ]; then
  echo "Taking bills on $DEVICE"
  # Ctrl-C is for the tool, which stops polling; the rest reads on to the end.
  trap '' INT
  "$notarel" --port "$DEVICE" "${cli_words[@]}" | tee "$tmp/events" | words
  summary
  exit 0
fi

start_emulator
echo "No device named: the emulator plays one on $port"
mkfifo "$tmp/in"
( echo "$BASHPID" >"$tmp/cli.pid"; exec "$notarel" --port "$port" "${cli_words[@]}" <"$tmp/in" ) |
  tee "$tmp/events" | words &
words_pid=$!
exec 3>"$tmp/in"  # the tool polls until this closes
cli_pid=$(cat "$tmp/cli.pid")
play_series
exec 3>&-
wait "$words_pid"
cli_pid=
grep -q '^{"StopPolling": true' "$tmp/events" || fail "the tool did not stop polling"
summary
confirm_with_emulator
