#include "tcp_control.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace notarel::emu {
namespace {

[[noreturn]] void ThrowErrno(const char* call, int fd) {
  const int saved = errno;
  if (fd >= 0) ::close(fd);
  throw std::system_error(saved, std::generic_category(), std::string(call) + " failed");
}

}  // namespace

int OpenControlListener(std::uint16_t port, std::uint16_t& bound_port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) ThrowErrno("socket", -1);
  const int yes = 1;
  if (::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0) ThrowErrno("setsockopt", fd);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) ThrowErrno("bind", fd);
  if (::listen(fd, 8) != 0) ThrowErrno("listen", fd);
  socklen_t length = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) ThrowErrno("getsockname", fd);
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) ThrowErrno("fcntl O_NONBLOCK", fd);
  bound_port = ntohs(address.sin_port);
  return fd;
}

int AcceptControlClient(int listen_fd) {
  // The client socket stays blocking: replies are single short lines.
  return ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

}  // namespace notarel::emu
