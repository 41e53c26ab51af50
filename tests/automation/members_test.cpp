// The members through the vtable of IWBA003_4: what a fresh control reports,
// the conversions at the automation boundary (Russian texts whatever the ANSI
// code page, file paths in it), and the members that must not create the
// driver core.
#include "automation_test.h"

namespace notarel::test {
namespace {

// Whether every character of the text has a byte in the ANSI code page.
bool InAnsiCodePage(const std::wstring& text) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()),
                      nullptr, 0, nullptr, &lossy);
  return !lossy;
}

// The bytes of a file, read by its wide name.
std::string ReadFileText(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text(64 * 1024, '\0');
  DWORD got = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(file);
  text.resize(got);
  return text;
}

// A BSTR argument that lives until the end of the full expression.
class TBstrArg {
 public:
  explicit TBstrArg(const wchar_t* text) : bstr_(SysAllocString(text)) {}
  TBstrArg(const TBstrArg&) = delete;
  TBstrArg& operator=(const TBstrArg&) = delete;
  ~TBstrArg() { SysFreeString(bstr_); }
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

class Members : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = CreateControl(CLSID_Notarel2);
    ASSERT_TRUE(control_);
  }
  LONG Long(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(LONG*)) {
    LONG value = 12345;
    EXPECT_EQ((control_.Get()->*get)(&value), S_OK);
    return value;
  }
  VARIANT_BOOL Bool(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(VARIANT_BOOL*)) {
    VARIANT_BOOL value = 7;
    EXPECT_EQ((control_.Get()->*get)(&value), S_OK);
    return value;
  }
  std::wstring Text(HRESULT (STDMETHODCALLTYPE IWBA003_4::*get)(BSTR*)) {
    BSTR value = nullptr;
    EXPECT_EQ((control_.Get()->*get)(&value), S_OK);
    return TakeBstr(value);
  }
  TComPtr<IWBA003_4> control_;
};

TEST_F(Members, FreshControlReportsTheMissingSettingsFile) {
  // No Notarel.xml beside the DLL: loading the settings left -12.
  EXPECT_EQ(Long(&IWBA003_4::get_ResultCode), -12);
  EXPECT_EQ(Text(&IWBA003_4::get_ResultDescription), L"Файл не существует");
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 1);
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 9600);
  EXPECT_EQ(Bool(&IWBA003_4::get_PortOpened), VARIANT_FALSE);
  EXPECT_EQ(Text(&IWBA003_4::get_Output), L"");
}

TEST_F(Members, PortNumberOutsideOneToThirtyTwoIsIgnoredSilently) {
  ASSERT_EQ(control_->put_PortNumber(7), S_OK);
  const LONG code = Long(&IWBA003_4::get_ResultCode);
  for (LONG bad : {0, 33, -1}) {
    EXPECT_EQ(control_->put_PortNumber(bad), S_OK) << bad;
    EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 7) << bad;
    EXPECT_EQ(Long(&IWBA003_4::get_ResultCode), code) << bad;
  }
  ASSERT_EQ(control_->put_PortNumber(32), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 32);
}

TEST_F(Members, BooleansAreMinusOneAndAnyNonZeroBitsAreTrue) {
  ASSERT_EQ(control_->put_Denomination3(1), S_OK);
  EXPECT_EQ(Bool(&IWBA003_4::get_Denomination3), VARIANT_TRUE);
  EXPECT_EQ(Bool(&IWBA003_4::get_Denomination2), VARIANT_FALSE);
  ASSERT_EQ(control_->put_Denomination3(VARIANT_FALSE), S_OK);
  EXPECT_EQ(Bool(&IWBA003_4::get_Denomination3), VARIANT_FALSE);
  ASSERT_EQ(control_->put_BillEnabled(0x100), S_OK);
  EXPECT_EQ(Bool(&IWBA003_4::get_BillEnabled), VARIANT_TRUE);
  ASSERT_EQ(control_->put_InhibitStatus(-1), S_OK);
  EXPECT_EQ(Bool(&IWBA003_4::get_InhibitStatus), VARIANT_TRUE);
  // A method's success flag: the settings file members give -1 on success.
  EXPECT_EQ(Bool(&IWBA003_4::CountryByIndex), VARIANT_TRUE);
}

TEST_F(Members, NarrowDeviceFieldsKeepTheirLowBits) {
  ASSERT_EQ(control_->put_DirectionValue(257), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_DirectionValue), 1);
  ASSERT_EQ(control_->put_DirectionValue(-1), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_DirectionValue), 255);
  ASSERT_EQ(control_->put_OptionalSettings(65537), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_OptionalSettings), 1);
  ASSERT_EQ(control_->put_OptionalSettings(-2), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_OptionalSettings), 65534);
  EXPECT_GE(Long(&IWBA003_4::get_StatusCode), 0);
}

TEST_F(Members, FileVersionAndParentWndLeaveTheCoreUncreated) {
  EXPECT_EQ(Text(&IWBA003_4::get_FileVersion), L"2.7.0.39");
  ASSERT_EQ(control_->put_ParentWnd(-5), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_ParentWnd), -5);
  // Only now does a settings file appear beside the DLL: the core of this
  // control reads it only if none of the members above created it.
  TComPtr<IWBA003_4> writer = CreateControl(CLSID_Notarel);
  ASSERT_TRUE(writer);
  ASSERT_EQ(writer->put_PortNumber(11), S_OK);
  VARIANT_BOOL saved = VARIANT_FALSE;
  ASSERT_EQ(writer->SaveParams(&saved), S_OK);
  ASSERT_EQ(saved, VARIANT_TRUE);
  BSTR file = nullptr;
  ASSERT_EQ(writer->get_FileName(&file), S_OK);
  const std::wstring settings = TakeBstr(file);
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 11);
  EXPECT_EQ(Long(&IWBA003_4::get_ResultCode), 0);
  // The other tests expect a fresh installation with no settings file.
  EXPECT_TRUE(DeleteFileW(settings.c_str()));
}

TEST_F(Members, RussianTextsReadTheSameWhateverTheAnsiCodePage) {
  // The first country with its currency word, nominative singular.
  ASSERT_EQ(control_->put_CountryIndex(0), S_OK);
  ASSERT_EQ(control_->put_CurrencyIndex(1), S_OK);
  ASSERT_EQ(Bool(&IWBA003_4::GetCountryParams), VARIANT_TRUE);
  EXPECT_EQ(Text(&IWBA003_4::get_CountryName), L"Россия");
  EXPECT_EQ(Text(&IWBA003_4::get_CurrencyName), L"рубль");
  EXPECT_EQ(Text(&IWBA003_4::get_ResultDescription), L"Ошибок нет");
  // A Russian text written by the client is kept as the driver's text.
  ASSERT_EQ(control_->put_CurrencyName(TBstrArg(L"гривна")), S_OK);
  EXPECT_EQ(Text(&IWBA003_4::get_CurrencyName), L"гривна");
  EXPECT_EQ(Bool(&IWBA003_4::CountryByCurrencyName), VARIANT_FALSE);
  EXPECT_EQ(Text(&IWBA003_4::get_ResultDescription), L"Неверное название валюты");
}

TEST_F(Members, FileNameInTheAnsiCodePageNamesTheFileOnDisk) {
  // A folder whose name goes beyond ASCII with characters that both the
  // ANSI code page and the driver's Windows-1251 hold: Cyrillic on a Russian
  // system; on a western one the euro sign, whose bytes differ between them.
  const wchar_t* russian = L"Настройки";
  const std::wstring folder = TestDir() + (InAnsiCodePage(russian) ? russian : L"Caisse \u20AC");
  ASSERT_TRUE(InAnsiCodePage(folder)) << "the ANSI code page is " << GetACP();
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::wstring path = folder + L"\\notarel.xml";
  ASSERT_EQ(control_->put_FileName(TBstrArg(path.c_str())), S_OK);
  EXPECT_EQ(Text(&IWBA003_4::get_FileName), path);
  ASSERT_EQ(control_->put_PortNumber(13), S_OK);
  EXPECT_EQ(Bool(&IWBA003_4::SaveParams), VARIANT_TRUE);
  // The file is where the wide name says, and a second control reads it back.
  EXPECT_NE(ReadFileText(path).find("<PortNumber>13</PortNumber>"), std::string::npos);
  TComPtr<IWBA003_4> reader = CreateControl(CLSID_Notarel);
  ASSERT_TRUE(reader);
  ASSERT_EQ(reader->put_FileName(TBstrArg(path.c_str())), S_OK);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  ASSERT_EQ(reader->LoadParams(&loaded), S_OK);
  EXPECT_EQ(loaded, VARIANT_TRUE);
  LONG port = 0;
  ASSERT_EQ(reader->get_PortNumber(&port), S_OK);
  EXPECT_EQ(port, 13);
  EXPECT_TRUE(DeleteFileW(path.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
  // With the folder gone, the failure's message names the file as written.
  EXPECT_EQ(Bool(&IWBA003_4::SaveParams), VARIANT_FALSE);
  EXPECT_EQ(Long(&IWBA003_4::get_ResultCode), -8);
  EXPECT_EQ(Text(&IWBA003_4::get_ResultDescription), L"Cannot create file " + path);
}

TEST_F(Members, SetDefaultsAndShowFindDlgGiveZero) {
  ASSERT_EQ(control_->put_PortNumber(9), S_OK);
  LONG value = 5;
  ASSERT_EQ(control_->SetDefaults(&value), S_OK);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(Long(&IWBA003_4::get_PortNumber), 1);
}

TEST_F(Members, ShowPropertiesGivesZeroWhateverTheFrameDoes) {
  // The property page class is not served by this module yet. Windows then
  // fails the frame, which becomes the member's HRESULT with an error-info
  // record; Wine skips a page it cannot create and shows no frame at all.
  LONG value = 5;
  const HRESULT hr = control_->ShowProperties(&value);
  EXPECT_EQ(value, 0);
  if (FAILED(hr)) {
    TComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
    BSTR source = nullptr;
    info->GetSource(&source);
    EXPECT_EQ(TakeBstr(source), L"RUDLib.Notarel2");
  }
}

TEST_F(Members, SlotsOfTheVtableAreWhereEarlyBoundClientsCallThem) {
  // A client compiled against IWBA003 alone calls slot 69 to write BaudRate.
  TComPtr<IWBA003> base;
  ASSERT_EQ(control_->QueryInterface(IID_IWBA003, base.OutVoid()), S_OK);
  void** vtable = *reinterpret_cast<void***>(base.Get());
  using PutLong = HRESULT(STDMETHODCALLTYPE*)(IWBA003*, LONG);
  using GetLong = HRESULT(STDMETHODCALLTYPE*)(IWBA003*, LONG*);
  ASSERT_EQ(reinterpret_cast<PutLong>(vtable[69])(base.Get(), 19200), S_OK);
  EXPECT_EQ(Long(&IWBA003_4::get_BaudRate), 19200);
  LONG value = 0;
  ASSERT_EQ(reinterpret_cast<GetLong>(vtable[68])(base.Get(), &value), S_OK);
  EXPECT_EQ(value, 19200);
  // Slot 7 is ResultCode and slot 85 (of IWBA003_3) ExecTime.
  ASSERT_EQ(reinterpret_cast<GetLong>(vtable[7])(base.Get(), &value), S_OK);
  EXPECT_EQ(value, Long(&IWBA003_4::get_ResultCode));
  ASSERT_EQ(reinterpret_cast<GetLong>(vtable[85])(base.Get(), &value), S_OK);
  EXPECT_EQ(value, 0);
}

TEST_F(Members, NullOutParametersAreRefused) {
  EXPECT_EQ(control_->get_ResultCode(nullptr), E_POINTER);
  EXPECT_EQ(control_->get_ModelID(nullptr), E_POINTER);
  EXPECT_EQ(control_->ReadStatus(nullptr), E_POINTER);
}

}  // namespace
}  // namespace notarel::test
