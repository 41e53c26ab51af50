// Registration through the module's own entry point and through regsvr32
// (run by the test script before this program): every key and value a
// client or container looks up, and their removal.
#include "automation_test.h"

namespace notarel::test {
namespace {

// The default value of HKCR\key, or nothing when the key is missing.
bool ReadDefault(const std::wstring& key, std::wstring& value) {
  wchar_t data[1024];
  DWORD bytes = sizeof data;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data,
                   &bytes) != ERROR_SUCCESS) {
    return false;
  }
  value.assign(data, bytes / sizeof(wchar_t) - 1);
  return true;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

bool SubValueExists(const std::wstring& key, const wchar_t* name) {
  return RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

EntryPoint Export(const char* name) {
  return reinterpret_cast<EntryPoint>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), name)));
}

struct ClassKeys {
  const wchar_t* clsid;
  const wchar_t* progId;
  const wchar_t* description;
};

const ClassKeys kClasses[] = {
    {L"{EC5E8466-08AD-4462-92D3-BE256661A86A}", L"RUDLib.Notarel", L"Notarel: Драйвер купюроприемника"},
    {L"{7EB7310A-A4A9-41E9-93D1-4A3B76B73F11}", L"RUDLib.Notarel2",
     L"Notarel: Драйвер купюроприемника 2"},
};
const wchar_t kPageKey[] = L"CLSID\\{E27B2F22-5587-46AA-AAD5-C17CB3B0BEE6}";
const wchar_t kTypeLibKey[] = L"TypeLib\\{531FB110-ECA4-4144-B2C4-854EABF5F194}\\1.0";

void ExpectRegistered() {
  const std::wstring module = ServerPath();  // the test folder has no blank in its path
  for (const ClassKeys& entry : kClasses) {
    SCOPED_TRACE(entry.progId);
    const std::wstring key = std::wstring(L"CLSID\\") + entry.clsid;
    const std::pair<std::wstring, std::wstring> expected[] = {
        {key, entry.description},
        {key + L"\\InprocServer32", module},
        {key + L"\\ProgID", entry.progId},
        {entry.progId, entry.description},
        {std::wstring(entry.progId) + L"\\Clsid", entry.clsid},
        {key + L"\\TypeLib", L"{531FB110-ECA4-4144-B2C4-854EABF5F194}"},
        {key + L"\\Version", L"1.0"},
        {key + L"\\MiscStatus", L"0"},
        {key + L"\\MiscStatus\\1", L"132497"},
        {key + L"\\ToolboxBitmap32", module + L",1"},
        {key + L"\\Control", L""},
        {key + L"\\Verb", L""},
        {key + L"\\Verb\\0", L"Properties,0,2"},
    };
    for (const auto& [name, value] : expected) {
      std::wstring actual;
      ASSERT_TRUE(ReadDefault(name, actual)) << std::string(name.begin(), name.end());
      EXPECT_EQ(actual, value);
    }
    // Single-threaded: no ThreadingModel value at all.
    EXPECT_FALSE(SubValueExists(key + L"\\InprocServer32", L"ThreadingModel"));
  }
  std::wstring page;
  ASSERT_TRUE(ReadDefault(kPageKey, page));
  EXPECT_EQ(page, L"TfmPage property page");
  EXPECT_TRUE(ReadDefault(std::wstring(kPageKey) + L"\\InprocServer32", page));
  EXPECT_EQ(page, module);
  EXPECT_FALSE(KeyExists(std::wstring(kPageKey) + L"\\ProgID"));
  EXPECT_TRUE(KeyExists(kTypeLibKey));
}

TEST(Registration, Regsvr32LeftEveryKeyOfBothClasses) {
  ASSERT_NE(ServerModule(), nullptr);
  ExpectRegistered();
}

TEST(Registration, UnregisterRemovesTheKeysAndRegisterWritesThemAgain) {
  const EntryPoint unregister = Export("DllUnregisterServer");
  const EntryPoint registerServer = Export("DllRegisterServer");
  ASSERT_NE(unregister, nullptr);
  ASSERT_NE(registerServer, nullptr);

  ASSERT_EQ(unregister(), S_OK);
  for (const ClassKeys& entry : kClasses) {
    EXPECT_FALSE(KeyExists(std::wstring(L"CLSID\\") + entry.clsid));
    EXPECT_FALSE(KeyExists(entry.progId));
  }
  EXPECT_FALSE(KeyExists(kPageKey));
  EXPECT_FALSE(KeyExists(kTypeLibKey));
  CLSID clsid;
  EXPECT_TRUE(FAILED(CLSIDFromProgID(L"RUDLib.Notarel2", &clsid)));

  ASSERT_EQ(registerServer(), S_OK);
  ExpectRegistered();
}

}  // namespace
}  // namespace notarel::test
