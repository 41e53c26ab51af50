// Bad input through IDispatch::Invoke, walked over every member the type
// library declares: wrong argument counts, arguments of the wrong type, empty
// and null variants, 1 MB texts, puts to read-only members and unknown
// DISPIDs. Each call gives success or one of the dispatch errors that say
// what was wrong, and the control still answers afterwards.
#include <iterator>
#include <set>
#include <vector>

#include "automation_test.h"

namespace notarel::test {
namespace {

struct Member {
  DISPID dispid;
  std::wstring name;
  INVOKEKIND kind;
  VARTYPE type;  // of the property, or of a method's result
  bool writable = false;
};

// Members that open windows or search every port: they take no arguments
// and are exercised by the window tests.
bool LeftOut(DISPID dispid) {
  return dispid == 57 || dispid == 59 || dispid == DISPID_ABOUTBOX || dispid == 80 ||
         dispid == 68 || dispid == 26;  // SaveParams writes beside the DLL; StartPolling below
}

// The members of one interface and of its bases, up to IDispatch.
void CollectMembers(ITypeInfo* info, std::vector<Member>& members) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  const bool isDispatch = IsEqualIID(attr->guid, IID_IDispatch);
  const WORD funcs = attr->cFuncs;
  const WORD bases = attr->cImplTypes;
  info->ReleaseTypeAttr(attr);
  if (isDispatch) return;
  for (UINT i = 0; i < funcs; ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &desc), S_OK);
    BSTR name = nullptr;
    UINT count = 0;
    info->GetNames(desc->memid, &name, 1, &count);
    Member member{desc->memid, TakeBstr(name), desc->invkind, VT_EMPTY};
    for (SHORT p = 0; p < desc->cParams; ++p) {
      const TYPEDESC& type = desc->lprgelemdescParam[p].tdesc;
      member.type = type.vt == VT_PTR ? type.lptdesc->vt : type.vt;
    }
    info->ReleaseFuncDesc(desc);
    if (LeftOut(member.dispid)) continue;
    if (member.kind == INVOKE_PROPERTYPUT) {
      for (Member& known : members) {
        if (known.dispid == member.dispid) known.writable = true;
      }
      continue;
    }
    members.push_back(member);
  }
  if (bases == 1) {
    HREFTYPE base = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &base), S_OK);
    TComPtr<ITypeInfo> baseInfo;
    ASSERT_EQ(info->GetRefTypeInfo(base, baseInfo.Out()), S_OK);
    CollectMembers(baseInfo.Get(), members);
  }
}

// A property write's put comes after its read in each interface; bases are
// walked after the interface, so mark writes wherever they were found.
std::vector<Member> AllMembers(IDispatch* dispatch) {
  TComPtr<ITypeInfo> info;
  EXPECT_EQ(dispatch->GetTypeInfo(0, 0, info.Out()), S_OK);
  std::vector<Member> members;
  if (!info) return members;
  // The dispatch view of the dual interface leads to its vtable view.
  HREFTYPE vtableView = 0;
  TComPtr<ITypeInfo> interfaceInfo;
  if (info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableView) == S_OK &&
      info->GetRefTypeInfo(vtableView, interfaceInfo.Out()) == S_OK) {
    CollectMembers(interfaceInfo.Get(), members);
  } else {
    CollectMembers(info.Get(), members);
  }
  return members;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = CreateControl(CLSID_Notarel2);
    ASSERT_TRUE(control_);
    dispatch_ = control_.Get();
    // Device commands fail at once on a port with nothing behind it.
    ASSERT_EQ(control_->put_PortNumber(32), S_OK);
    members_ = AllMembers(dispatch_);
  }
  HRESULT Call(DISPID dispid, WORD flags, std::vector<VARIANT> args, bool namedPut) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{args.empty() ? nullptr : args.data(), namedPut ? &named : nullptr,
                      static_cast<UINT>(args.size()), namedPut ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr = dispatch_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                         &result, &exception, &argError);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
  }
  // The control still answers by name after whatever came before.
  void ExpectStillAnswers(const Member& after) {
    VARIANT version;
    ASSERT_EQ(InvokeGet(dispatch_, 23, &version), S_OK) << "after " << Narrow(after.name);
    ASSERT_EQ(version.vt, VT_BSTR);
    EXPECT_EQ(TakeBstr(version.bstrVal), L"2.7.0.39");
  }
  TComPtr<IWBA003_4> control_;
  IDispatch* dispatch_ = nullptr;
  std::vector<Member> members_;
};

VARIANT Long(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT Of(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  return v;
}

TEST_F(BadInput, TheWalkCoversEveryMemberOfTheFourInterfaces) {
  // 112 slots less the 7 of IUnknown and IDispatch, less one slot per
  // property write, less the six members left out.
  std::set<DISPID> dispids;
  int writable = 0;
  for (const Member& m : members_) {
    dispids.insert(m.dispid);
    writable += m.writable ? 1 : 0;
  }
  EXPECT_EQ(dispids.size(), members_.size());
  EXPECT_EQ(members_.size() + writable, 112u - 7u - 6u);
  EXPECT_EQ(writable, 24);
}

TEST_F(BadInput, WrongArgumentCountsAreRefusedByCount) {
  for (const Member& m : members_) {
    if (m.kind == INVOKE_FUNC) {
      EXPECT_EQ(Call(m.dispid, DISPATCH_METHOD, {Long(1)}, false), DISP_E_BADPARAMCOUNT) << Narrow(m.name);
      EXPECT_EQ(Call(m.dispid, DISPATCH_METHOD, {Long(1), Long(2)}, false), DISP_E_BADPARAMCOUNT)
          << Narrow(m.name);
    } else {
      // Arguments to a property read index its value, which is no collection.
      for (std::vector<VARIANT> args : {std::vector<VARIANT>{Long(1)}, std::vector<VARIANT>{Long(1), Long(2)}}) {
        const HRESULT hr = Call(m.dispid, DISPATCH_PROPERTYGET, args, false);
        EXPECT_TRUE(hr == DISP_E_BADPARAMCOUNT || hr == DISP_E_NOTACOLLECTION)
            << Narrow(m.name) << " " << std::hex << hr;
      }
    }
    if (m.writable) {
      // A write without its value, or without the value named as the one to put.
      const HRESULT none = Call(m.dispid, DISPATCH_PROPERTYPUT, {}, false);
      EXPECT_TRUE(none == DISP_E_BADPARAMCOUNT || none == DISP_E_PARAMNOTOPTIONAL ||
                  none == DISP_E_PARAMNOTFOUND)
          << Narrow(m.name) << " " << std::hex << none;
      EXPECT_EQ(Call(m.dispid, DISPATCH_PROPERTYPUT, {Long(1), Long(2)}, true), DISP_E_BADPARAMCOUNT)
          << Narrow(m.name);
    }
    ExpectStillAnswers(m);
  }
}

TEST_F(BadInput, WritesToReadOnlyMembersAndUnknownDispidsFindNoMember) {
  for (const Member& m : members_) {
    if (m.writable) continue;
    EXPECT_EQ(Call(m.dispid, DISPATCH_PROPERTYPUT, {Long(1)}, true), DISP_E_MEMBERNOTFOUND)
        << Narrow(m.name);
  }
  for (DISPID unknown : {0, 81, 1000, -1, DISPID_VALUE - 5}) {
    EXPECT_EQ(Call(unknown, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, false), DISP_E_MEMBERNOTFOUND)
        << unknown;
  }
  ExpectStillAnswers(members_.front());
}

VARIANT Text(const std::wstring& text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

// One wrong or odd value for every writable member, with what a write of it
// must give for each type of property.
struct PutCase {
  const char* what;
  VARIANT (*make)();
  HRESULT forLong, forBool, forText;
};

const std::wstring& Megabyte() {
  static const std::wstring text(1 << 20, L'Ж');
  return text;
}

const PutCase kPutCases[] = {
    {"VT_EMPTY", [] { return Of(VT_EMPTY); }, S_OK, S_OK, S_OK},
    {"VT_NULL", [] { return Of(VT_NULL); }, DISP_E_TYPEMISMATCH, DISP_E_TYPEMISMATCH, DISP_E_TYPEMISMATCH},
    {"a word", [] { return Text(L"не число"); }, DISP_E_TYPEMISMATCH, DISP_E_TYPEMISMATCH, S_OK},
    {"1 MB text", [] { return Text(Megabyte()); }, DISP_E_TYPEMISMATCH, DISP_E_TYPEMISMATCH, S_OK},
    {"a null BSTR", [] { return Text(std::wstring()); }, DISP_E_TYPEMISMATCH, DISP_E_TYPEMISMATCH, S_OK},
    {"1e300", [] {
       VARIANT v = Of(VT_R8);
       v.dblVal = 1e300;
       return v;
     }, DISP_E_OVERFLOW, S_OK, S_OK},
    {"a number as text", [] { return Text(L"19200"); }, S_OK, S_OK, S_OK},
    // An object without a value to convert: Wine calls its type unusable.
    {"a null object", [] { return Of(VT_DISPATCH); }, DISP_E_BADVARTYPE, DISP_E_BADVARTYPE, DISP_E_BADVARTYPE},
};

TEST_F(BadInput, WritesOfTheWrongTypeConvertOrGiveATypeError) {
  int calls = 0;
  for (const Member& m : members_) {
    if (!m.writable) continue;
    for (const PutCase& c : kPutCases) {
      VARIANT value = c.make();
      if (std::string(c.what) == "a null BSTR") {
        SysFreeString(value.bstrVal);
        value.bstrVal = nullptr;
      }
      const HRESULT expected = m.type == VT_BSTR ? c.forText : m.type == VT_BOOL ? c.forBool : c.forLong;
      EXPECT_EQ(Call(m.dispid, DISPATCH_PROPERTYPUT, {value}, true), expected)
          << Narrow(m.name) << " := " << c.what;
      VariantClear(&value);
      ++calls;
    }
    // Whatever was written, the member reads back as its own type.
    VARIANT back;
    ASSERT_EQ(InvokeGet(dispatch_, m.dispid, &back), S_OK) << Narrow(m.name);
    EXPECT_EQ(back.vt, m.type) << Narrow(m.name);
    VariantClear(&back);
    ExpectStillAnswers(m);
  }
  EXPECT_EQ(calls, 24 * static_cast<int>(std::size(kPutCases)));
}

TEST_F(BadInput, EveryReadAndMethodAnswersAfterTheOddWrites) {
  // The texts hold 1 MB, the numbers their extremes: every read and every
  // command still gives S_OK with a value of its declared type.
  ASSERT_EQ(control_->put_FileName(SysAllocStringLen(Megabyte().data(), 1 << 20)), S_OK);
  ASSERT_EQ(control_->put_CurrencyName(SysAllocStringLen(Megabyte().data(), 1 << 20)), S_OK);
  for (LONG extreme : {LONG(0x7FFFFFFF), LONG(-0x7FFFFFFF - 1)}) {
    for (const Member& m : members_) {
      if (m.writable && m.type == VT_I4 && m.dispid != 58) {
        ASSERT_EQ(InvokePut(dispatch_, m.dispid, Long(extreme)), S_OK) << Narrow(m.name);
      }
    }
    for (const Member& m : members_) {
      VARIANT result;
      const WORD flags = m.kind == INVOKE_FUNC ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
      ASSERT_EQ(InvokeGet(dispatch_, m.dispid, &result, flags), S_OK) << Narrow(m.name);
      EXPECT_EQ(result.vt, m.type) << Narrow(m.name);
      VariantClear(&result);
    }
  }
  BSTR file = nullptr;
  ASSERT_EQ(control_->get_FileName(&file), S_OK);
  EXPECT_EQ(SysStringLen(file), 1u << 20);
  SysFreeString(file);
  ExpectStillAnswers(members_.front());
}

TEST_F(BadInput, MalformedCallsGiveDispatchErrors) {
  VARIANT result;
  VariantInit(&result);
  // No parameter block at all.
  EXPECT_EQ(dispatch_->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, nullptr, &result,
                              nullptr, nullptr),
            E_INVALIDARG);
  // A name for a method's argument, and a reserved interface ID.
  DISPID name = 0;
  VARIANT argument = Long(1);
  DISPPARAMS named{&argument, &name, 1, 1};
  const HRESULT namedHr = dispatch_->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &named,
                                            &result, nullptr, nullptr);
  EXPECT_TRUE(namedHr == DISP_E_PARAMNOTFOUND || namedHr == DISP_E_NONAMEDARGS ||
              namedHr == DISP_E_BADPARAMCOUNT)
      << std::hex << namedHr;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(dispatch_->Invoke(1, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                              &result, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  // A property write passed by reference converts like a value.
  LONG speed = 19200;
  VARIANT byRef = Of(VT_I4 | VT_BYREF);
  byRef.plVal = &speed;
  EXPECT_EQ(Call(24, DISPATCH_PROPERTYPUT, {byRef}, true), S_OK);
  LONG read = 0;
  ASSERT_EQ(control_->get_BaudRate(&read), S_OK);
  EXPECT_EQ(read, 19200);
  ExpectStillAnswers(members_.front());
}

}  // namespace
}  // namespace notarel::test
