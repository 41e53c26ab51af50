// The registered type library against the member table: the library is
// written out by hand, so every member and event of the table must be there
// with its interface, name, DISPID, invoke kind, parameters and help string,
// in vtable order, and nothing else may be.
#include <algorithm>
#include <sstream>
#include <vector>

#include "automation_classes.h"
#include "automation_members.h"
#include "automation_test.h"

namespace notarel::test {
namespace {

using members::TEventArguments;
using members::TKind;
using members::TType;

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

const char* InterfaceName(members::TInterface iface) {
  switch (iface) {
    case members::TInterface::IWBA003: return "IWBA003";
    case members::TInterface::IWBA003_2: return "IWBA003_2";
    case members::TInterface::IWBA003_3: return "IWBA003_3";
    case members::TInterface::IWBA003_4: return "IWBA003_4";
  }
  return "?";
}

// A parameter as "in I4", "out retval ptr BOOL".
std::string Param(const ELEMDESC& element) {
  std::string text;
  const USHORT flags = element.paramdesc.wParamFlags;
  if (flags & PARAMFLAG_FIN) text += "in ";
  if (flags & PARAMFLAG_FOUT) text += "out ";
  if (flags & PARAMFLAG_FRETVAL) text += "retval ";
  const TYPEDESC* type = &element.tdesc;
  if (type->vt == VT_PTR) {
    text += "ptr ";
    type = type->lptdesc;
  }
  switch (type->vt) {
    case VT_I4: return text + "I4";
    case VT_BOOL: return text + "BOOL";
    case VT_BSTR: return text + "BSTR";
    default: return text + "vt" + std::to_string(type->vt);
  }
}

std::string ComType(TType type) {
  switch (type) {
    case TType::Bool: return "BOOL";
    case TType::Text:
    case TType::Path: return "BSTR";
    default: return "I4";
  }
}

// One function of an interface, as one line: where, what kind, name, DISPID,
// parameters and help string.
std::string Entry(const std::string& iface, const char* kind, const std::string& name, long dispid,
                  const std::vector<std::string>& params, const std::string& help) {
  std::ostringstream text;
  text << iface << ' ' << kind << ' ' << name << " id " << dispid << " (";
  for (size_t i = 0; i < params.size(); ++i) text << (i ? ", " : "") << params[i];
  text << ") \"" << help << '"';
  return text.str();
}

const char* KindName(INVOKEKIND kind) {
  switch (kind) {
    case INVOKE_PROPERTYGET: return "propget";
    case INVOKE_PROPERTYPUT: return "propput";
    default: return "method";
  }
}

// What the member table says the library holds, in order.
std::vector<std::string> TableEntries() {
  std::vector<std::string> entries;
  for (const members::TMember& m : members::kMembers) {
    const std::string iface = InterfaceName(m.iface);
    const std::string out = "out retval ptr " + ComType(m.type);
    if (m.kind == TKind::Method) {
      std::vector<std::string> params;
      if (m.type != TType::Void) params.push_back(out);
      entries.push_back(Entry(iface, "method", m.name, m.dispid, params, m.help));
    } else {
      entries.push_back(Entry(iface, "propget", m.name, m.dispid, {out}, m.help));
      if (m.kind == TKind::Property) {
        entries.push_back(Entry(iface, "propput", m.name, m.dispid, {"in " + ComType(m.type)}, m.help));
      }
    }
  }
  for (const members::TEvent& e : members::kEvents) {
    std::vector<std::string> params;
    if (e.arguments == TEventArguments::CodeAndText) params = {"in I4", "in I4", "in BSTR"};
    if (e.arguments == TEventArguments::SumAndAnswer) params = {"in I4", "out ptr BOOL"};
    entries.push_back(Entry("IWBAEvents", "method", e.name, e.dispid, params, e.help));
  }
  return entries;
}

class MemberTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadRegTypeLib(LIBID_RUDLib, 1, 0, 0x0409, lib_.Out()), S_OK); }

  std::wstring Help(ITypeInfo* info, MEMBERID memid) {
    BSTR help = nullptr;
    info->GetDocumentation(memid, nullptr, &help, nullptr, nullptr);
    return TakeBstr(help);
  }

  // The functions an interface declares itself, in vtable order.
  void AddEntries(ITypeInfo* info, const std::string& iface, std::vector<std::string>& entries) {
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
      FUNCDESC* desc = nullptr;
      ASSERT_EQ(info->GetFuncDesc(i, &desc), S_OK);
      BSTR name = nullptr;
      info->GetDocumentation(desc->memid, &name, nullptr, nullptr, nullptr);
      std::vector<std::string> params;
      for (SHORT p = 0; p < desc->cParams; ++p) params.push_back(Param(desc->lprgelemdescParam[p]));
      entries.push_back(Entry(iface, KindName(desc->invkind), Utf8(TakeBstr(name)), desc->memid, params,
                              Utf8(Help(info, desc->memid))));
      info->ReleaseFuncDesc(desc);
    }
  }

  // The vtable side of a dual interface.
  TComPtr<ITypeInfo> VtableInfo(REFIID iid) {
    TComPtr<ITypeInfo> dispatch, vtable;
    HREFTYPE ref = 0;
    if (SUCCEEDED(lib_->GetTypeInfoOfGuid(iid, dispatch.Out())) &&
        SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref))) {
      dispatch->GetRefTypeInfo(ref, vtable.Out());
    }
    return vtable;
  }

  std::vector<std::string> LibraryEntries() {
    std::vector<std::string> entries;
    const std::pair<const IID*, const char*> interfaces[] = {
        {&IID_IWBA003, "IWBA003"}, {&IID_IWBA003_2, "IWBA003_2"}, {&IID_IWBA003_3, "IWBA003_3"},
        {&IID_IWBA003_4, "IWBA003_4"}};
    for (const auto& [iid, name] : interfaces) {
      TComPtr<ITypeInfo> info = VtableInfo(*iid);
      EXPECT_TRUE(info) << name;
      if (info) AddEntries(info.Get(), name, entries);
    }
    TComPtr<ITypeInfo> events;
    EXPECT_EQ(lib_->GetTypeInfoOfGuid(DIID_IWBAEvents, events.Out()), S_OK);
    if (events) AddEntries(events.Get(), "IWBAEvents", entries);
    return entries;
  }

  TComPtr<ITypeLib> lib_;
};

std::string Lines(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) text += "\n  " + entry;
  return text;
}

std::vector<std::string> Missing(const std::vector<std::string>& from, const std::vector<std::string>& in) {
  std::vector<std::string> missing;
  for (const std::string& entry : from) {
    if (std::find(in.begin(), in.end(), entry) == in.end()) missing.push_back(entry);
  }
  return missing;
}

TEST_F(MemberTable, TheLibraryHoldsExactlyTheTablesMembersInItsOrder) {
  // Help strings come back through the ANSI code page: the run uses a Russian locale.
  ASSERT_EQ(GetACP(), 1251u);
  const std::vector<std::string> table = TableEntries();
  const std::vector<std::string> library = LibraryEntries();
  EXPECT_EQ(Missing(table, library), std::vector<std::string>{})
      << "in the member table but not in the type library:" << Lines(Missing(table, library));
  EXPECT_EQ(Missing(library, table), std::vector<std::string>{})
      << "in the type library but not in the member table:" << Lines(Missing(library, table));
  // Same entries, so only the vtable order can differ.
  EXPECT_TRUE(library == table) << "the order differs; the library holds:" << Lines(library);
}

TEST_F(MemberTable, ClassHelpStringsAreTheClassNames) {
  const auto wide = [](const char* utf8) {
    std::wstring text(64, L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), 64) - 1));
    return text;
  };
  BSTR help = nullptr;
  lib_->GetDocumentation(-1, nullptr, &help, nullptr, nullptr);
  EXPECT_EQ(TakeBstr(help), wide(NOTAREL_LIBRARY_HELP));
  const std::pair<const CLSID*, const char*> classes[] = {{&CLSID_Notarel, NOTAREL_CLASS_HELP},
                                                           {&CLSID_Notarel2, NOTAREL2_CLASS_HELP}};
  for (const auto& [clsid, text] : classes) {
    TComPtr<ITypeInfo> info;
    ASSERT_EQ(lib_->GetTypeInfoOfGuid(*clsid, info.Out()), S_OK);
    EXPECT_EQ(Help(info.Get(), MEMBERID_NIL), wide(text));
  }
}

}  // namespace
}  // namespace notarel::test
