#pragma once
// TFileStream: a file opened for the reader or the writer, shared with no
// other opener while it is open, as a std::streambuf. The platform part
// (OpenUnsharedFile) lives in file_open_<platform>.cpp.
#include <cstdio>
#include <streambuf>
#include <string>

namespace notarel {

enum class TFileAccess {
  Read,    // an existing file, read only
  Create,  // a new or truncated file, read and write
};

// The open file, or null when it cannot be opened (or created).
std::FILE* OpenUnsharedFile(const std::string& fileName, TFileAccess access);
// The file's name as it reads inside a driver message, in Windows-1251; the
// name itself is in the code page the platform's file functions take.
std::string FileNameInMessage(const std::string& fileName);

class TFileStream : public std::streambuf {
 public:
  // Raises EFileError "Cannot open file <name>" or "Cannot create file <name>".
  TFileStream(const std::string& fileName, TFileAccess access);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // Flushes and closes; raises EFileError "Stream write error" when the data
  // could not be written. The destructor closes silently.
  void Close();

 protected:
  int_type underflow() override;
  std::streamsize xsgetn(char_type* into, std::streamsize count) override;
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char_type* from, std::streamsize count) override;
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode which) override;
  int sync() override;

 private:
  std::FILE* FFile;
  char FLookahead = 0;  // one byte read ahead by underflow
};

}  // namespace notarel
