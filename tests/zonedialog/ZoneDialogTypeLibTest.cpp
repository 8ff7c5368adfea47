// The type library that VgtDialog.exe carries: what a late-bound client of ZoneDialog and the
// platform's marshaller read from it must match the header the browser extension is built with.
#include <gtest/gtest.h>

#include <vector>

#include "base/ComValues.h"
#include "tests/support/ComTestSupport.h"
#include "VgtDialog_h.h"
#include "classlib/ComObj.h"
#include "tests/support/ComEnvironment.h"

namespace {

WideString Doc(ITypeInfo* Info, MEMBERID Id, bool HelpString) {
  TBstr name, help;
  Info->GetDocumentation(Id, name.Out(), help.Out(), nullptr, nullptr);
  return HelpString ? (help.Get() ? help.Get() : L"") : (name.Get() ? name.Get() : L"");
}

class ZoneDialogTypeLib : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(ProgramBesideTest(L"VgtDialog.exe").c_str(), REGKIND_NONE, &Lib), S_OK);
  }
  ComPtr<ITypeLib> Lib;
};

TEST_F(ZoneDialogTypeLib, TheLibraryIsNamedVgtDialog) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(Lib->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_VgtDialog));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x0409u);
  // Built for the program's own bitness, so that registering it writes the platform key its
  // clients' marshaller reads (win64 for a 64-bit build).
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  Lib->ReleaseTLibAttr(attr);
  TBstr name, help;
  ASSERT_EQ(Lib->GetDocumentation(-1, name.Out(), help.Out(), nullptr, nullptr), S_OK);
  EXPECT_STREQ(name.Get(), L"VgtDialog");
  EXPECT_STREQ(help.Get(), L"VgtDialog Bibliothek");
}

TEST_F(ZoneDialogTypeLib, ZoneDialogIsCreatableWithIZoneDialogAsDefault) {
  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(Lib->GetTypeInfoOfGuid(CLSID_ZoneDialog, &coclass), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  EXPECT_EQ(attr->cImplTypes, 1);
  coclass->ReleaseTypeAttr(attr);
  EXPECT_EQ(Doc(coclass.Get(), MEMBERID_NIL, false), L"ZoneDialog");
  EXPECT_EQ(Doc(coclass.Get(), MEMBERID_NIL, true), L"ZoneDialog Objekt");
  INT flags = 0;
  ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> intf;
  ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
  ASSERT_EQ(coclass->GetRefTypeInfo(ref, &intf), S_OK);
  ASSERT_EQ(intf->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualIID(attr->guid, IID_IZoneDialog));
  intf->ReleaseTypeAttr(attr);
}

TEST_F(ZoneDialogTypeLib, IZoneDialogIsADualAutomationInterface) {
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(Lib->GetTypeInfoOfGuid(IID_IZoneDialog, &info), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
  const WORD dispatchable = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
  EXPECT_EQ(attr->wTypeFlags & dispatchable, dispatchable);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  info->ReleaseTypeAttr(attr);
  // The platform's marshaller works from the vtable side, which must be an automation interface.
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> vtable;
  ASSERT_EQ(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
  ASSERT_EQ(info->GetRefTypeInfo(ref, &vtable), S_OK);
  ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  const WORD automation = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION;
  EXPECT_EQ(attr->wTypeFlags & automation, automation);
  vtable->ReleaseTypeAttr(attr);
  EXPECT_EQ(Doc(info.Get(), MEMBERID_NIL, true), L"Dispatch-Schnittstelle f\u00fcr ZoneDialog-Objekt");
}

struct TExpectedMethod {
  const wchar_t* Name;
  MEMBERID DispId;
  std::vector<VARTYPE> In;  // the [in] arguments in order
  bool ReturnsBool;         // one [out, retval] VARIANT_BOOL*
};

TEST_F(ZoneDialogTypeLib, MethodsKeepTheirSlotsDispidsAndArgumentTypes) {
  ComPtr<ITypeInfo> dispatch, vtable;
  ASSERT_EQ(Lib->GetTypeInfoOfGuid(IID_IZoneDialog, &dispatch), S_OK);
  HREFTYPE ref = 0;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
  ASSERT_EQ(dispatch->GetRefTypeInfo(ref, &vtable), S_OK);

  const TExpectedMethod methods[] = {
      {L"ShowDialog", 202, {}, false},
      {L"DialogDone", 203, {}, true},
      {L"AddDomain", 204, {VT_BSTR, VT_BSTR, VT_I4, VT_UI4}, false},
      {L"HighlevelDomains", 206, {}, true},
      {L"SetParentWindow", 201, {VT_UI4}, false},
      {L"RefreshWanted", 205, {}, true},
  };
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attr->cFuncs, 6);
  vtable->ReleaseTypeAttr(attr);

  for (UINT i = 0; i < std::size(methods); ++i) {
    const TExpectedMethod& m = methods[i];
    FUNCDESC* f = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(i, &f), S_OK);
    EXPECT_EQ(Doc(vtable.Get(), f->memid, false), m.Name);
    EXPECT_EQ(f->memid, m.DispId) << m.Name;
    // Slots 7 to 12, after IUnknown's three and IDispatch's four.
    EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << m.Name;
    EXPECT_EQ(f->invkind, INVOKE_FUNC) << m.Name;
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT) << m.Name;
    ASSERT_EQ(f->cParams, static_cast<SHORT>(m.In.size() + (m.ReturnsBool ? 1 : 0))) << m.Name;
    for (size_t p = 0; p < m.In.size(); ++p) {
      EXPECT_EQ(f->lprgelemdescParam[p].tdesc.vt, m.In[p]) << m.Name << " argument " << p;
      EXPECT_TRUE(f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FIN) << m.Name << " argument " << p;
    }
    if (m.ReturnsBool) {
      const ELEMDESC& r = f->lprgelemdescParam[m.In.size()];
      EXPECT_EQ(r.tdesc.vt, VT_PTR) << m.Name;
      EXPECT_EQ(r.tdesc.lptdesc->vt, VT_BOOL) << m.Name;
      EXPECT_EQ(r.paramdesc.wParamFlags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)
          << m.Name;
    }
    vtable->ReleaseFuncDesc(f);
  }

  // A late-bound caller finds each method by name at its DISPID.
  for (const TExpectedMethod& m : methods) {
    LPOLESTR name = const_cast<LPOLESTR>(m.Name);
    MEMBERID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(&name, 1, &id), S_OK) << m.Name;
    EXPECT_EQ(id, m.DispId) << m.Name;
  }
}

}  // namespace
