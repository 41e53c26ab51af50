#pragma once
// How often the soak scenario does each thing. Rates are per mille: of the
// replies (spoiling), of the requests (silences) or of the cycles it starts
// (the kinds other than a plain bill). Written on the command line and in the
// `soak` control command as NAME=VALUE words, e.g. "corrupt=20 bills=500".
#include <string>
#include <vector>

namespace notarel::emu {

struct SoakRates {
  // Replies: noise in front (still readable), a flipped CRC bit, swapped CRC
  // bytes, the frame cut short (possibly to nothing).
  unsigned garbage = 20;
  unsigned corrupt = 10;
  unsigned swapcrc = 5;
  unsigned truncate = 10;
  // Replies with a data byte (ESCROW, REJECTING, FAILURE) sent as a correct
  // frame that holds only the status byte: the host must read them as failed.
  unsigned short_reply = 15;
  // Replies to the status request and to the inhibit and enable writes that
  // are held back, from none to the most given here, in ms. The most stay
  // under the host's 150 ms read time-out, so a slow reply is still read.
  unsigned slow = 200;
  unsigned slow_ms = 90;
  unsigned slow_status_ms = 30;
  // Requests that begin a silence; the silenced request goes unanswered.
  unsigned short_silence = 4;
  unsigned long_silence = 2;
  // Each silence lasts from half of its length to all of it, in ms. The
  // defaults fit a host whose ErrorTimeout is 150 ms and whose status read
  // gives up after 150 ms: a short silence costs one failed read, a long one
  // at least two, far enough apart to make the host report the loss.
  unsigned short_ms = 100;
  unsigned long_ms = 450;
  // Cycles: a bill that is rejected, a failure, a power-up, a full stacker;
  // the rest are plain bills for the host to take or refuse.
  unsigned reject = 100;
  unsigned fail = 20;
  unsigned powerup = 20;
  unsigned full = 30;
  unsigned pause = 3;      // most idle status requests between two cycles
  unsigned full_hold = 6;  // most status requests a full stacker lasts
  unsigned reject_hold = 3;  // most REJECTING replies one rejection shows
  unsigned bills = 0;      // after this many bills nothing new starts; 0: no end
};

// Applies NAME=VALUE words in order. On a bad word returns false with the
// reason; the rates are then partly applied and should not be used.
bool ApplySoakRates(const std::vector<std::string>& words, SoakRates& rates, std::string& error);

// Comma-separated NAME=VALUE words, as the command line gives them.
std::vector<std::string> SplitSoakRates(const std::string& list);

// Every rate as NAME=VALUE words, for the log.
std::string FormatSoakRates(const SoakRates& rates);

}  // namespace notarel::emu
