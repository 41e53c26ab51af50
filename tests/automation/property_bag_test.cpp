// Saving a Notarel2 into a property bag and loading it into another one, as
// a container does with a control on a form or a web page.
#include <map>
#include <string>

#include "automation_test.h"

namespace notarel::test {
namespace {

// A container's property bag in memory; Read fails for a missing name.
class MemoryBag : public IPropertyBag {
 public:
  virtual ~MemoryBag() {
    for (auto& entry : values_) VariantClear(&entry.second);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto found = values_.find(name);
    if (found == values_.end()) return E_INVALIDARG;
    return VariantCopy(value, &found->second);
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    ++writes_;
    VARIANT& slot = values_[name];
    VariantClear(&slot);
    return VariantCopy(&slot, value);
  }
  const VARIANT* Find(const wchar_t* name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? nullptr : &found->second;
  }
  std::map<std::wstring, VARIANT> values_;
  int writes_ = 0;
};

TComPtr<IPersistPropertyBag> PersistOf(IWBA003_4* control) {
  TComPtr<IPersistPropertyBag> persist;
  EXPECT_EQ(control->QueryInterface(IID_IPersistPropertyBag, persist.OutVoid()), S_OK);
  return persist;
}

LONG LongOf(IWBA003_4* control, const wchar_t* name) {
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(InvokeGet(control, DispIdOf(control, name), &value), S_OK) << name;
  EXPECT_EQ(VariantChangeType(&value, &value, 0, VT_I4), S_OK) << name;
  return value.lVal;
}

void PutLong(IWBA003_4* control, const wchar_t* name, LONG number) {
  VARIANT value;
  value.vt = VT_I4;
  value.lVal = number;
  EXPECT_EQ(InvokePut(control, DispIdOf(control, name), value), S_OK) << name;
}

TEST(PropertyBag, SettingsTravelFromOneControlToAnother) {
  TComPtr<IWBA003_4> source = CreateControl(CLSID_Notarel2);
  TComPtr<IWBA003_4> target = CreateControl(CLSID_Notarel2);
  ASSERT_TRUE(source && target);
  PutLong(source.Get(), L"PortNumber", 7);
  PutLong(source.Get(), L"BaudRate", 19200);
  PutLong(source.Get(), L"PollingInterval", 250);
  PutLong(source.Get(), L"ErrorTimeout", 4321);
  PutLong(source.Get(), L"BillEnabled", -1);
  PutLong(source.Get(), L"Denomination3", 0x55);

  MemoryBag bag;
  TComPtr<IPersistPropertyBag> save = PersistOf(source.Get());
  ASSERT_TRUE(save);
  ASSERT_EQ(save->InitNew(), S_OK);
  ASSERT_EQ(save->Save(&bag, TRUE, TRUE), S_OK);
  EXPECT_EQ(bag.writes_, 24);
  ASSERT_NE(bag.Find(L"CurrencyName"), nullptr);
  EXPECT_EQ(bag.Find(L"CurrencyName")->vt, VT_BSTR);
  ASSERT_NE(bag.Find(L"PortNumber"), nullptr);
  EXPECT_EQ(bag.Find(L"PortNumber")->vt, VT_I4);

  TComPtr<IPersistPropertyBag> load = PersistOf(target.Get());
  ASSERT_TRUE(load);
  ASSERT_EQ(load->Load(&bag, nullptr), S_OK);
  for (const wchar_t* name : {L"PortNumber", L"BaudRate", L"PollingInterval", L"ErrorTimeout",
                              L"BillEnabled", L"Denomination3", L"CountryIndex", L"CurrencyIndex"}) {
    EXPECT_EQ(LongOf(target.Get(), name), LongOf(source.Get(), name)) << name;
  }
  EXPECT_EQ(LongOf(target.Get(), L"PortNumber"), 7);
  EXPECT_EQ(LongOf(target.Get(), L"BaudRate"), 19200);
}

TEST(PropertyBag, MissingNamesKeepTheirValuesAndARefusedValueFailsTheLoad) {
  TComPtr<IWBA003_4> control = CreateControl(CLSID_Notarel2);
  ASSERT_TRUE(control);
  PutLong(control.Get(), L"PollingInterval", 333);
  MemoryBag bag;
  VARIANT port;
  port.vt = VT_I4;
  port.lVal = 9;
  ASSERT_EQ(bag.Write(const_cast<LPOLESTR>(L"PortNumber"), &port), S_OK);
  TComPtr<IPersistPropertyBag> persist = PersistOf(control.Get());
  ASSERT_TRUE(persist);
  ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
  EXPECT_EQ(LongOf(control.Get(), L"PortNumber"), 9);
  EXPECT_EQ(LongOf(control.Get(), L"PollingInterval"), 333);

  // A text where a number belongs cannot be converted: the load fails
  // instead of silently storing something else.
  VARIANT bad;
  bad.vt = VT_BSTR;
  bad.bstrVal = SysAllocString(L"not a number");
  ASSERT_EQ(bag.Write(const_cast<LPOLESTR>(L"BaudRate"), &bad), S_OK);
  VariantClear(&bad);
  EXPECT_TRUE(FAILED(persist->Load(&bag, nullptr)));
  EXPECT_EQ(LongOf(control.Get(), L"PortNumber"), 9);
}

}  // namespace
}  // namespace notarel::test
