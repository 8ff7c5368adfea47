// Event arguments out of DISPPARAMS: positional arguments turned round, named ones placed by
// position, and every inconsistent record refused without a read or write past its arrays. The
// arrays of the odd shapes end right before a page that cannot be touched, so a stray access
// ends the program instead of passing unseen.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "browserext/uVgtCommon.h"
#include "common/trvZoneServices.h"

namespace {

// n elements of T that end exactly where a no-access page starts.
template <class T>
class EdgeArray {
 public:
  explicit EdgeArray(size_t n) : FCount(n) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    FPage = si.dwPageSize;
    FBase = static_cast<char*>(VirtualAlloc(nullptr, 2 * FPage, MEM_RESERVE | MEM_COMMIT,
                                            PAGE_READWRITE));
    DWORD old;
    VirtualProtect(FBase + FPage, FPage, PAGE_NOACCESS, &old);
    FData = reinterpret_cast<T*>(FBase + FPage - n * sizeof(T));
    for (size_t i = 0; i < n; ++i) new (&FData[i]) T{};
  }
  ~EdgeArray() { VirtualFree(FBase, 0, MEM_RELEASE); }
  EdgeArray(const EdgeArray&) = delete;
  EdgeArray& operator=(const EdgeArray&) = delete;
  T* Data() { return FCount ? FData : nullptr; }
  T& operator[](size_t i) { return FData[i]; }

 private:
  size_t FCount;
  DWORD FPage = 0;
  char* FBase = nullptr;
  T* FData = nullptr;
};

VARIANT Int(LONG v) {
  VARIANT r;
  VariantInit(&r);
  r.vt = VT_I4;
  r.lVal = v;
  return r;
}

// Values 10, 11, ... in rgvarg order.
void FillInts(EdgeArray<VARIANT>& args, size_t n) {
  for (size_t i = 0; i < n; ++i) args[i] = Int(static_cast<LONG>(10 + i));
}

std::vector<LONG> Ints(const TVariantArray& a) {
  std::vector<LONG> out;
  for (size_t i = 0; i < a.Count(); ++i) out.push_back(a[i].vt == VT_I4 ? a[i].lVal : -1);
  return out;
}

void ExpectRefused(const DISPPARAMS& p, const char* what) {
  TVariantArray result;
  result.SetEmpty(2);  // what it held before is dropped, also on refusal
  try {
    DispParamsToVariantArray(p, result);
    ADD_FAILURE() << what << ": accepted";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, E_INVALIDARG) << what;
  }
  EXPECT_TRUE(result.Empty()) << what;
}

TEST(DispParamsToVariantArray, PositionalArgumentsComeInDeclaredOrderAndAreOwned) {
  EdgeArray<VARIANT> args(3);
  args[0] = Int(3);  // last declared
  args[1].vt = VT_BSTR;
  args[1].bstrVal = SysAllocString(L"{ABC}");
  args[2] = Int(1);  // first declared
  DISPPARAMS p{args.Data(), nullptr, 3, 0};
  TVariantArray result;
  DispParamsToVariantArray(p, result);
  VariantClear(&args[1]);  // the caller's copy goes; the array keeps its own
  ASSERT_EQ(result.Count(), 3u);
  EXPECT_EQ(result[0].lVal, 1);
  ASSERT_EQ(result[1].vt, VT_BSTR);
  EXPECT_STREQ(result[1].bstrVal, L"{ABC}");
  EXPECT_EQ(result[2].lVal, 3);
  EXPECT_THROW(result[3], EListError);
}

TEST(DispParamsToVariantArray, NoArgumentsGiveAnEmptyArray) {
  DISPPARAMS p{nullptr, nullptr, 0, 0};
  TVariantArray result;
  result.SetEmpty(1);
  DispParamsToVariantArray(p, result);
  EXPECT_TRUE(result.Empty());
}

TEST(DispParamsToVariantArray, EveryArgumentNamedByItsPositionIsPlacedThere) {
  EdgeArray<VARIANT> args(3);
  FillInts(args, 3);
  EdgeArray<DISPID> names(3);
  names[0] = 2;
  names[1] = 0;
  names[2] = 1;
  DISPPARAMS p{args.Data(), names.Data(), 3, 3};
  TVariantArray result;
  DispParamsToVariantArray(p, result);
  EXPECT_EQ(Ints(result), (std::vector<LONG>{11, 12, 10}));
}

TEST(DispParamsToVariantArray, InconsistentRecordsAreRefusedWithoutStrayAccess) {
  {  // fewer names than arguments: the names array must not be read past its end
    EdgeArray<VARIANT> args(3);
    FillInts(args, 3);
    EdgeArray<DISPID> names(1);
    names[0] = 0;
    ExpectRefused({args.Data(), names.Data(), 3, 1}, "some arguments named");
  }
  {  // more names than arguments: nor the arguments past theirs
    EdgeArray<VARIANT> args(1);
    FillInts(args, 1);
    EdgeArray<DISPID> names(2);
    names[1] = 1;
    ExpectRefused({args.Data(), names.Data(), 1, 2}, "more names than arguments");
  }
  for (DISPID bad : {DISPID(2), DISPID(-3), DISPID(0x7FFFFFFF), DISPID(-1)}) {
    EdgeArray<VARIANT> args(2);
    FillInts(args, 2);
    EdgeArray<DISPID> names(2);
    names[0] = 0;
    names[1] = bad;  // past the end, the property-put name, huge, negative
    ExpectRefused({args.Data(), names.Data(), 2, 2}, "name out of range");
  }
  {
    EdgeArray<VARIANT> args(2);
    FillInts(args, 2);
    EdgeArray<DISPID> names(2);  // both 0: one position would stay empty
    ExpectRefused({args.Data(), names.Data(), 2, 2}, "a name twice");
  }
  {
    EdgeArray<VARIANT> args(2);
    FillInts(args, 2);
    ExpectRefused({args.Data(), nullptr, 2, 2}, "names counted but missing");
  }
  ExpectRefused({nullptr, nullptr, 2, 0}, "arguments counted but missing");
  {
    EdgeArray<DISPID> names(1);
    ExpectRefused({nullptr, names.Data(), 0, 1}, "names without arguments");
  }
}

TEST(DispParamsToVariantArray, ArgumentThatCannotBeCopiedLeavesNothingBehind) {
  EdgeArray<VARIANT> args(2);
  args[0].vt = VT_BSTR;
  args[0].bstrVal = SysAllocString(L"kept?");
  args[1].vt = 0x0FFF;  // no such type
  DISPPARAMS p{args.Data(), nullptr, 2, 0};
  TVariantArray result;
  EXPECT_THROW(DispParamsToVariantArray(p, result), EOleSysError);
  EXPECT_TRUE(result.Empty());
  VariantClear(&args[0]);
}

}  // namespace
