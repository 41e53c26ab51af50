#pragma once
// Where the settings file lives and how it is replaced.
#include <cstdio>
#include <string>

namespace notarel {

// The full path of the module (DLL or program) that holds this code.
std::string ModulePath();
// `path` with the extension of its file name replaced by ".xml" (appended when
// the file name has none).
std::string SettingsFileNameFor(const std::string& path);
bool FileExists(const std::string& path);

// Writes `bytes` as the new content of the file `path` names. A symbolic link
// is followed and the file it leads to is replaced. The new content goes to a
// temporary file of a fresh name beside that file, is forced to disk and moved
// over it, so a failed or interrupted save leaves the old file whole; the old
// file's mode and owner are carried over. Where the move would lose something
// the user set up (an owner the writer may not give, further hard links, a file
// that is no regular file) or the folder takes no new file, the file is
// truncated and written in place instead. Raises EFileError
// "Cannot create file <path>" when the file cannot be opened for writing (a
// read-only file is refused, as in place) or any step fails.
void ReplaceFileContents(const std::string& path, const std::string& bytes);

// Platform parts (file_open_<platform>.cpp).

// What an existing file allows a writer to do with it.
enum class TReplaceTarget {
  Missing,      // no such file yet
  Replaceable,  // a regular file the writer may open for writing
  InPlaceOnly,  // opened and written where it is, never moved over
  Refused,      // cannot be opened for writing
};

// A temporary file just created for writing, or why there is none.
struct TTemporaryFile {
  std::FILE* File = nullptr;
  std::string Name;
  bool FolderRefused = false;  // the folder does not let the writer add a file
};

// The file a chain of symbolic links starting at `path` ends at (`path` itself
// when it is no link); the file need not exist.
std::string FollowLinks(const std::string& path);
TReplaceTarget ProbeTarget(const std::string& target);
// A new file in the folder of `target` with a name no existing file has.
TTemporaryFile CreateTemporaryBeside(const std::string& target);
// Gives the open temporary file the owner and mode of `target`; false when the
// writer may not.
bool CopyOwnerAndMode(const std::string& target, std::FILE* temporary);
bool SyncFile(std::FILE* file);
bool MoveReplacing(const std::string& from, const std::string& to);

}  // namespace notarel
