// libFuzzer target for LoadParams on arbitrary files.
//
// Each input becomes the settings file of a new driver, which loads it. The
// load must end with one of its codes: 0, -13 for a document element without
// children (the defaults then stay, exactly as SetDefaults leaves them) or -8
// with a message (an unreadable document or number); the file exists, so
// never -12. A file the driver accepts is saved, loaded by a second driver
// and saved again: both saves hold the same bytes and the second driver the
// same port settings and tables.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_set>

#include "driver.h"
#include "fuzz_check.h"
#include "result_codes.h"
#include "serial_memory.h"
#include "xml_parser.h"

namespace notarel::fuzz {
namespace {

namespace fs = std::filesystem;

// A folder of this process's own in the temporary folder (TMPDIR), made
// once, reused by every input and removed at a normal exit. scripts/fuzz.sh
// points TMPDIR at shared memory where there is some: a save forces its file
// to disk, which on a real disk would take most of each run.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path path = fs::temp_directory_path() / ("notarel-settings-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(path);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Folder(), ignored);
    });
    return path;
  }();
  return folder;
}

std::string PathOf(const char* name) { return (Folder() / name).string(); }

void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  FUZZ_CHECK(out.good());
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A driver whose port is in memory (its destruction's inhibit goes nowhere)
// on a settings file.
struct TSettingsDriver {
  explicit TSettingsDriver(const std::string& settings) : d(std::make_shared<TMemorySerial>()) {
    d.SetFileName(settings);
  }
  TDriver d;
};

// The settings as the file would hold them, written in memory: the check of
// a refused file runs on most inputs and need not touch the disk.
std::string SettingsText(const TDriver& driver) {
  TXmlParser parser;
  driver.WriteSettings(parser);
  std::ostringstream out;
  parser.SaveToStream(out);
  return out.str();
}

// The settings after SetDefaults.
const std::string& DefaultsText() {
  static const std::string text = [] {
    TSettingsDriver driver(PathOf("unused.xml"));
    driver.d.SetDefaults();
    return SettingsText(driver.d);
  }();
  return text;
}

std::string Saved(TDriver& driver, const char* name) {
  driver.SetFileName(PathOf(name));
  FUZZ_CHECK(driver.SaveParams() && driver.ResultCode() == kResultOk);
  return ReadBytes(PathOf(name));
}

// Whether `saved` has already gone through the round trip below. What the
// second driver loads and saves depends on those bytes alone (its LoadParams
// begins with SetDefaults), and most inputs differ from an earlier one only
// in what the file does not keep (blanks, comments, unknown items), so the
// round trip of bytes seen before is not repeated. Only a hash is kept, and
// the set is emptied now and then to bound its memory.
class TRoundTrips {
 public:
  bool Known(const std::string& saved) const { return FKnown.count(Hash(saved)) != 0; }
  void Add(const std::string& saved) {
    if (FKnown.size() >= kLimit) FKnown.clear();
    FKnown.insert(Hash(saved));
  }

 private:
  static constexpr std::size_t kLimit = 1 << 20;
  static std::size_t Hash(const std::string& bytes) { return std::hash<std::string>{}(bytes); }
  std::unordered_set<std::size_t> FKnown;
};

void CheckRoundTrip(TDriver& first) {
  static TRoundTrips done;
  const std::string saved = Saved(first, "saved.xml");
  if (done.Known(saved)) return;
  TSettingsDriver second(PathOf("saved.xml"));
  FUZZ_CHECK(second.d.LoadParams() && second.d.ResultCode() == kResultOk);
  FUZZ_CHECK(second.d.PortNumber() == first.PortNumber());
  FUZZ_CHECK(second.d.BaudRate() == first.BaudRate());
  FUZZ_CHECK(second.d.CountryCount() == first.CountryCount());
  FUZZ_CHECK(second.d.CurrentCountryCode() == first.CurrentCountryCode());
  FUZZ_CHECK(Saved(second.d, "again.xml") == saved);
  done.Add(saved);
}

}  // namespace
}  // namespace notarel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace notarel;
  using namespace notarel::fuzz;
  const std::string settings = PathOf("settings.xml");
  WriteBytes(settings, data, size);
  // One driver for every input: LoadParams begins with SetDefaults, so no
  // earlier input's settings reach this one.
  static TSettingsDriver loaded(settings);
  TDriver& driver = loaded.d;
  driver.SetFileName(settings);
  const bool ok = driver.LoadParams();
  const std::int32_t code = driver.ResultCode();
  FUZZ_CHECK(code == kResultOk || code == kResultBadFileFormat || code == kResultSystemError);
  FUZZ_CHECK(ok == (code == kResultOk));
  if (code == kResultSystemError) {
    FUZZ_CHECK(!driver.ResultDescription().empty());
  } else {
    FUZZ_CHECK(driver.ResultDescription() == ResultMessage(code));
  }
  if (code == kResultBadFileFormat) FUZZ_CHECK(SettingsText(driver) == DefaultsText());
  if (ok) CheckRoundTrip(driver);
  return 0;
}
