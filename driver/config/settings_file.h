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

// Writes `bytes` to a new file beside `path`, forces it to disk and moves it over
// `path`, so a failed or interrupted save leaves the old file whole. Raises
// EFileError "Cannot create file <path>" when any step fails.
void ReplaceFileContents(const std::string& path, const std::string& bytes);

// Platform parts (file_open_<platform>.cpp).
bool SyncFile(std::FILE* file);
bool MoveReplacing(const std::string& from, const std::string& to);

}  // namespace notarel
