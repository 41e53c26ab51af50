#pragma once
// The emulator's end of the serial line: a pseudo-terminal pair. The master is
// ours; the slave is the device path the driver opens. One slave descriptor
// stays open here for the pair's whole life, so that the master never sees the
// line vanish when the driver closes its side and the slave path stays valid.
// An optional symbolic link (a Wine COM port, say) always points at the slave.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <sys/types.h>

namespace notarel::emu {

class PtyLink {
 public:
  explicit PtyLink(std::string link_path) : link_path_(std::move(link_path)) {}
  ~PtyLink();
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;

  // Creates a new pair, closing the previous one, and moves the link to it.
  // Throws std::system_error naming the call that failed.
  void Open();
  // Closes both descriptors; the driver's side sees its peer vanish.
  void Close();
  void RemoveLink();

  int master_fd() const { return master_; }
  const std::string& slave_path() const { return slave_path_; }

  // Non-blocking; -1 with errno EAGAIN when nothing can move now.
  ssize_t Read(std::uint8_t* buffer, std::size_t size);
  ssize_t Write(const std::uint8_t* data, std::size_t size);

 private:
  void PlaceLink();

  std::string link_path_;
  std::string slave_path_;
  int master_ = -1;
  int slave_ = -1;
};

}  // namespace notarel::emu
