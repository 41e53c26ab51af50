#pragma once
// The TCP side of the control language: a listening socket on the loopback
// address only, since the emulator takes orders from programs on this machine.
#include <cstdint>

namespace notarel::emu {

// Listens on 127.0.0.1:port (0 picks a free port); returns the socket and the
// port it got. Throws std::system_error naming the call that failed.
int OpenControlListener(std::uint16_t port, std::uint16_t& bound_port);

// A newly connected client, or -1 when none is waiting.
int AcceptControlClient(int listen_fd);

}  // namespace notarel::emu
