// The type libraries of the 32-bit and the 64-bit Notarel.dll, read from the
// two modules themselves: one contract on both platforms. Each type and each
// function is written out as a line (name, GUID, kind, flags, DISPID, invoke
// kind, calling convention, vtable slot, parameters, help string) and the two lists
// must be equal. Slots are vtable offsets divided by the platform's pointer
// size, so the same slot order gives the same line.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
  if (!text) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

// Takes a BSTR the caller owns and frees it.
std::string Take(BSTR text) {
  std::string out = Utf8(text);
  SysFreeString(text);
  return out;
}

std::string GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return Utf8(text);
}

std::string TypeText(const TYPEDESC& type) {
  if (type.vt == VT_PTR) return "ptr " + TypeText(*type.lptdesc);
  return "vt" + std::to_string(type.vt);
}

std::string Documentation(ITypeInfo* info, MEMBERID member) {
  BSTR name = nullptr, help = nullptr;
  DWORD context = 0;
  info->GetDocumentation(member, &name, &help, &context, nullptr);
  return Take(name) + " \"" + Take(help) + "\" context " + std::to_string(context);
}

// A library read from a module, with the pointer size of its platform.
struct TLibrary {
  ITypeLib* lib = nullptr;
  TLIBATTR attr{};
  ~TLibrary() {
    if (lib) lib->Release();
  }
};

void Load(const char* variable, TLibrary& out) {
  const char* path = std::getenv(variable);
  ASSERT_TRUE(path && *path) << variable << " must name a Notarel.dll";
  const std::wstring wide(path, path + std::strlen(path));
  ASSERT_EQ(LoadTypeLibEx(wide.c_str(), REGKIND_NONE, &out.lib), S_OK) << path;
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(out.lib->GetLibAttr(&attr), S_OK);
  out.attr = *attr;
  out.lib->ReleaseTLibAttr(attr);
}

size_t PointerSize(const TLibrary& library) { return library.attr.syskind == SYS_WIN64 ? 8 : 4; }

void AddFunctions(ITypeInfo* info, const TYPEATTR& attr, size_t pointer, const std::string& owner,
                  std::vector<std::string>& lines) {
  for (UINT i = 0; i < attr.cFuncs; ++i) {
    FUNCDESC* desc = nullptr;
    ASSERT_EQ(info->GetFuncDesc(i, &desc), S_OK);
    std::ostringstream line;
    line << owner << " id " << desc->memid << " invoke " << desc->invkind << " kind " << desc->funckind
         << " call " << desc->callconv << " slot " << desc->oVft / static_cast<SHORT>(pointer)
         << " flags " << desc->wFuncFlags << " returns " << TypeText(desc->elemdescFunc.tdesc) << " (";
    for (SHORT p = 0; p < desc->cParams; ++p) {
      const ELEMDESC& param = desc->lprgelemdescParam[p];
      line << (p ? ", " : "") << param.paramdesc.wParamFlags << ' ' << TypeText(param.tdesc);
    }
    line << ") " << Documentation(info, desc->memid);
    lines.push_back(line.str());
    info->ReleaseFuncDesc(desc);
  }
}

// One type as lines: itself, then its functions in their order.
void AddType(ITypeInfo* info, size_t pointer, std::vector<std::string>& lines) {
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  // Wine's loader lays out a dispinterface's functions (IDispatch's seven,
  // then the DISPIDs' entries) with the pointer size of the process that reads
  // the library, whatever its platform; the vtable side keeps the library's
  // own offsets. The size of the vtable (cbSizeVft) of the other platform's
  // library comes back halved, so the interfaces' sizes are compared through
  // their functions' slots only.
  if (attr->typekind == TKIND_DISPATCH) pointer = sizeof(void*);
  const std::string name = Documentation(info, MEMBERID_NIL);
  std::ostringstream line;
  line << "type " << name << ' ' << GuidText(attr->guid) << " kind " << attr->typekind << " flags "
       << attr->wTypeFlags << " version " << attr->wMajorVerNum << '.' << attr->wMinorVerNum
       << " functions " << attr->cFuncs << " variables " << attr->cVars << " implemented "
       << attr->cImplTypes;
  lines.push_back(line.str());
  AddFunctions(info, *attr, pointer, name.substr(0, name.find(' ')), lines);
  const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attr);
  HREFTYPE ref = 0;
  ITypeInfo* vtable = nullptr;
  if (dual && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
      SUCCEEDED(info->GetRefTypeInfo(ref, &vtable))) {
    lines.push_back("vtable side:");
    AddType(vtable, pointer, lines);
    vtable->Release();
  }
}

std::vector<std::string> Lines(const TLibrary& library) {
  std::vector<std::string> lines;
  const UINT count = library.lib->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    ITypeInfo* info = nullptr;
    EXPECT_EQ(library.lib->GetTypeInfo(i, &info), S_OK);
    if (!info) continue;
    AddType(info, PointerSize(library), lines);
    info->Release();
  }
  return lines;
}

class TypeLibraryPair : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Load("NOTAREL_DLL32", win32_));
    ASSERT_NO_FATAL_FAILURE(Load("NOTAREL_DLL64", win64_));
  }
  TLibrary win32_, win64_;
};

TEST_F(TypeLibraryPair, EachModuleCarriesTheLibraryOfItsPlatform) {
  EXPECT_EQ(win32_.attr.syskind, SYS_WIN32);
  EXPECT_EQ(win64_.attr.syskind, SYS_WIN64);
  for (const TLIBATTR& attr : {win32_.attr, win64_.attr}) {
    EXPECT_EQ(GuidText(attr.guid), "{531FB110-ECA4-4144-B2C4-854EABF5F194}");
    EXPECT_EQ(attr.wMajorVerNum, 1);
    EXPECT_EQ(attr.wMinorVerNum, 0);
    EXPECT_EQ(attr.lcid, 0x0409u);
  }
}

TEST_F(TypeLibraryPair, TypesMembersSlotsAndHelpStringsAreTheSame) {
  // The help strings come back through the ANSI code page: the run uses a Russian locale.
  ASSERT_EQ(GetACP(), 1251u);
  const std::vector<std::string> lines32 = Lines(win32_);
  const std::vector<std::string> lines64 = Lines(win64_);
  // The four dual interfaces with both their sides, the events and the classes.
  ASSERT_GT(lines32.size(), 200u);
  // The Russian help strings survived, in both.
  const std::string help = "\"\xD0\x9D\xD0\xB0\xD1\x87\xD0\xB0\xD1\x82\xD1\x8C \xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE\xD1\x81\"";
  size_t found = 0;
  for (const std::string& line : lines64) found += line.find(help) != std::string::npos;
  EXPECT_GT(found, 0u) << "no function documented as " << help;
  const size_t count = std::min(lines32.size(), lines64.size());
  std::string differences;
  size_t different = 0;
  for (size_t i = 0; i < count; ++i) {
    if (lines32[i] == lines64[i]) continue;
    if (++different <= 10) differences += "\n  32: " + lines32[i] + "\n  64: " + lines64[i];
  }
  EXPECT_EQ(different, 0u) << "lines that differ, the first of them:" << differences;
  EXPECT_EQ(lines32.size(), lines64.size());
}

}  // namespace
