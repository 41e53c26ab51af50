#include "file_stream.h"

#include "config_errors.h"

namespace notarel {

TFileStream::TFileStream(const std::string& fileName, TFileAccess access)
    : FFile(OpenUnsharedFile(fileName, access)) {
  if (FFile == nullptr) {
    throw access == TFileAccess::Read ? CannotOpenFile(fileName) : CannotCreateFile(fileName);
  }
}

TFileStream::~TFileStream() {
  if (FFile != nullptr) std::fclose(FFile);
}

void TFileStream::Close() {
  std::FILE* file = FFile;
  FFile = nullptr;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  if (!flushed || !closed) throw EFileError("Stream write error");
}

TFileStream::int_type TFileStream::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (std::fread(&FLookahead, 1, 1, FFile) != 1) return traits_type::eof();
  setg(&FLookahead, &FLookahead, &FLookahead + 1);
  return traits_type::to_int_type(FLookahead);
}

std::streamsize TFileStream::xsgetn(char_type* into, std::streamsize count) {
  std::streamsize done = 0;
  if (gptr() < egptr() && count > 0) {
    *into = *gptr();
    setg(&FLookahead, &FLookahead + 1, &FLookahead + 1);
    done = 1;
  }
  return done + static_cast<std::streamsize>(
                    std::fread(into + done, 1, static_cast<std::size_t>(count - done), FFile));
}

TFileStream::int_type TFileStream::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  return std::fputc(c, FFile) == EOF ? traits_type::eof() : c;
}

std::streamsize TFileStream::xsputn(const char_type* from, std::streamsize count) {
  return static_cast<std::streamsize>(
      std::fwrite(from, 1, static_cast<std::size_t>(count), FFile));
}

TFileStream::pos_type TFileStream::seekoff(off_type offset, std::ios_base::seekdir direction,
                                           std::ios_base::openmode) {
  // A byte read ahead is still unread for the caller.
  if (direction == std::ios_base::cur) offset -= egptr() - gptr();
  setg(nullptr, nullptr, nullptr);
  const int origin = direction == std::ios_base::beg   ? SEEK_SET
                     : direction == std::ios_base::cur ? SEEK_CUR
                                                       : SEEK_END;
  if (std::fseek(FFile, static_cast<long>(offset), origin) != 0) return pos_type(off_type(-1));
  return pos_type(static_cast<off_type>(std::ftell(FFile)));
}

int TFileStream::sync() { return std::fflush(FFile) == 0 ? 0 : -1; }

}  // namespace notarel
