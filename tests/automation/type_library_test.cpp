// RUDLib as the registry hands it to clients: its attributes, the order of
// its type infos, vtable offsets, DISPIDs, parameters and help strings.
#include "automation_test.h"

namespace notarel::test {
namespace {

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadRegTypeLib(LIBID_RUDLib, 1, 0, 0x0409, lib_.Out()), S_OK); }

  // The vtable side of a dual interface.
  TComPtr<ITypeInfo> VtableInfo(REFIID iid) {
    TComPtr<ITypeInfo> dispatch;
    TComPtr<ITypeInfo> vtable;
    HREFTYPE ref = 0;
    EXPECT_EQ(lib_->GetTypeInfoOfGuid(iid, dispatch.Out()), S_OK);
    if (dispatch && SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) {
      dispatch->GetRefTypeInfo(ref, vtable.Out());
    }
    return vtable;
  }

  struct Member {
    std::wstring name;
    MEMBERID memid;
    INVOKEKIND kind;
    int slot;
    std::vector<std::wstring> params;
    std::vector<USHORT> paramFlags;
  };
  // Every function of a vtable interface, in declaration order.
  std::vector<Member> Members(ITypeInfo* info) {
    std::vector<Member> members;
    TYPEATTR* attr = nullptr;
    if (!info || FAILED(info->GetTypeAttr(&attr))) return members;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* desc = nullptr;
      if (FAILED(info->GetFuncDesc(i, &desc))) continue;
      BSTR names[4] = {};
      UINT count = 0;
      info->GetNames(desc->memid, names, 4, &count);
      Member member{TakeBstr(names[0]), desc->memid, desc->invkind,
                    static_cast<int>(desc->oVft / sizeof(void*)), {}, {}};
      for (UINT n = 1; n < count; ++n) member.params.push_back(TakeBstr(names[n]));
      for (SHORT p = 0; p < desc->cParams; ++p) {
        member.paramFlags.push_back(desc->lprgelemdescParam[p].paramdesc.wParamFlags);
      }
      members.push_back(member);
      info->ReleaseFuncDesc(desc);
    }
    info->ReleaseTypeAttr(attr);
    return members;
  }

  std::wstring HelpString(ITypeInfo* info, MEMBERID memid) {
    BSTR help = nullptr;
    info->GetDocumentation(memid, nullptr, &help, nullptr, nullptr);
    return TakeBstr(help);
  }

  TComPtr<ITypeLib> lib_;
};

TEST_F(TypeLibrary, LibraryAttributesAndTypeOrder) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x0409u);
  // The loader adds "has a disk image" for a library read from a file; the
  // library itself stores the control flag only.
  EXPECT_EQ(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, LIBFLAG_FCONTROL);
  lib_->ReleaseTLibAttr(attr);
  const wchar_t* const order[] = {L"IWBA003",   L"IWBA003_2", L"IWBAEvents", L"IWBA003_3",
                                  L"IWBA003_4", L"Notarel",   L"Notarel2"};
  ASSERT_EQ(lib_->GetTypeInfoCount(), 7u);
  for (UINT i = 0; i < 7; ++i) {
    BSTR name = nullptr;
    ASSERT_EQ(lib_->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(TakeBstr(name), order[i]);
  }
  // Every type info carries 1.0, the event dispinterface included (the
  // build sets its version after widl).
  for (UINT i = 0; i < 7; ++i) {
    TComPtr<ITypeInfo> info;
    ASSERT_EQ(lib_->GetTypeInfo(i, info.Out()), S_OK);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->wMajorVerNum, 1) << order[i];
    EXPECT_EQ(type->wMinorVerNum, 0) << order[i];
    info->ReleaseTypeAttr(type);
  }
  BSTR help = nullptr;
  lib_->GetDocumentation(-1, nullptr, &help, nullptr, nullptr);
  EXPECT_EQ(TakeBstr(help), L"Notarel: Драйвер купюроприемника");
}

// What a client reads of a coclass's implemented types, in index order: a
// host that takes type 0 as the default event source, or type 1 as the
// default interface, reads these two slots.
struct ImplType {
  std::wstring name;
  INT flags;
  bool operator==(const ImplType& other) const { return name == other.name && flags == other.flags; }
};

std::vector<ImplType> ImplTypes(ITypeInfo* coclass) {
  std::vector<ImplType> types;
  TYPEATTR* attr = nullptr;
  if (!coclass || FAILED(coclass->GetTypeAttr(&attr))) return types;
  const UINT count = attr->cImplTypes;
  coclass->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    ImplType type{L"", -1};
    HREFTYPE ref = 0;
    TComPtr<ITypeInfo> implemented;
    BSTR name = nullptr;
    coclass->GetImplTypeFlags(i, &type.flags);
    if (SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)) &&
        SUCCEEDED(coclass->GetRefTypeInfo(ref, implemented.Out()))) {
      implemented->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    }
    type.name = TakeBstr(name);
    types.push_back(type);
  }
  return types;
}

std::ostream& operator<<(std::ostream& out, const ImplType& type) {
  return out << std::string(type.name.begin(), type.name.end()) << " flags " << type.flags;
}

TEST_F(TypeLibrary, CoclassesListTheEventSourceFirstAndTheInterfaceSecond) {
  TComPtr<ITypeInfo> notarel, notarel2;
  ASSERT_EQ(lib_->GetTypeInfoOfGuid(CLSID_Notarel, notarel.Out()), S_OK);
  ASSERT_EQ(lib_->GetTypeInfoOfGuid(CLSID_Notarel2, notarel2.Out()), S_OK);
  EXPECT_EQ(ImplTypes(notarel.Get()),
            (std::vector<ImplType>{{L"IWBA003_4", IMPLTYPEFLAG_FDEFAULT}}));
  EXPECT_EQ(ImplTypes(notarel2.Get()),
            (std::vector<ImplType>{{L"IWBAEvents", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
                                   {L"IWBA003_4", IMPLTYPEFLAG_FDEFAULT}}));
}

TEST_F(TypeLibrary, CyrillicHelpStringsAreStoredIntact) {
  // Read back through the ANSI code page: the run uses a Russian locale.
  ASSERT_EQ(GetACP(), 1251u) << "the tests expect the Windows-1251 ANSI code page";
  TComPtr<ITypeInfo> base;
  ASSERT_EQ(lib_->GetTypeInfoOfGuid(IID_IWBA003, base.Out()), S_OK);
  EXPECT_EQ(HelpString(base.Get(), MEMBERID_NIL), L"Протокол RUD-003");
  EXPECT_EQ(HelpString(base.Get(), 18), L"Команда \"Уложить купюру 1\"");
  EXPECT_EQ(HelpString(base.Get(), 25), L"Команда ACK для выхода из состояния VEND VALID");
  TComPtr<ITypeInfo> events;
  ASSERT_EQ(lib_->GetTypeInfoOfGuid(DIID_IWBAEvents, events.Out()), S_OK);
  EXPECT_EQ(HelpString(events.Get(), 2), L"Получена купюра");
}

TEST_F(TypeLibrary, VtableSlotsAndDispidsOfASampleOfMembers) {
  const std::vector<Member> base = Members(VtableInfo(IID_IWBA003).Get());
  ASSERT_EQ(base.size(), 63u);
  EXPECT_EQ(base.front().name, L"ResultCode");
  EXPECT_EQ(base.front().slot, 7);
  EXPECT_EQ(base[3].name, L"PortNumber");
  EXPECT_EQ(base[3].slot, 10);
  EXPECT_EQ(base[4].kind, INVOKE_PROPERTYPUT);
  EXPECT_EQ(base[4].slot, 11);
  EXPECT_EQ(base.back().name, L"BaudRate");
  EXPECT_EQ(base.back().kind, INVOKE_PROPERTYPUT);
  EXPECT_EQ(base.back().slot, 69);
  EXPECT_EQ(base.back().memid, 24);

  const std::vector<Member> third = Members(VtableInfo(IID_IWBA003_3).Get());
  ASSERT_EQ(third.size(), 7u);
  EXPECT_EQ(third[4].name, L"AboutBox");
  EXPECT_EQ(third[4].memid, DISPID_ABOUTBOX);
  EXPECT_EQ(third[4].slot, 83);
  EXPECT_TRUE(third[4].params.empty());

  const std::vector<Member> fourth = Members(VtableInfo(IID_IWBA003_4).Get());
  ASSERT_EQ(fourth.size(), 26u);
  EXPECT_EQ(fourth.front().name, L"CountryByCode");
  EXPECT_EQ(fourth.front().slot, 86);
  EXPECT_EQ(fourth.back().name, L"FindDevice");
  EXPECT_EQ(fourth.back().slot, 111);
  EXPECT_EQ(fourth.back().memid, 80);
}

TEST_F(TypeLibrary, OutParametersAreValueAndRetval) {
  const std::vector<Member> base = Members(VtableInfo(IID_IWBA003).Get());
  ASSERT_GE(base.size(), 5u);
  const Member& readStatus = base[2];
  EXPECT_EQ(readStatus.name, L"ReadStatus");
  ASSERT_EQ(readStatus.params, std::vector<std::wstring>{L"Value"});
  EXPECT_EQ(readStatus.paramFlags, std::vector<USHORT>{PARAMFLAG_FOUT | PARAMFLAG_FRETVAL});
  const Member& portWrite = base[4];
  ASSERT_EQ(portWrite.paramFlags.size(), 1u);
  EXPECT_EQ(portWrite.paramFlags[0], PARAMFLAG_FIN);
}

}  // namespace
}  // namespace notarel::test
