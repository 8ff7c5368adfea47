#include "browserext/uVgtCommon.h"

#include "base/Scope.h"
#include "classlib/SysUtils.h"
#include "common/trvZoneServices.h"

namespace {

[[noreturn]] void RefuseShape(const char* What) {
  throw EOleSysError(AnsiString("DispParamsToVariantArray: ") + What, E_INVALIDARG);
}

// Named arguments count only as a full permutation of the positions: anything less would leave
// holes or write past the array.
bool NamesArePositions(const DISPPARAMS& Params) {
  if (Params.cNamedArgs != Params.cArgs || !Params.rgdispidNamedArgs) return false;
  std::vector<bool> seen(Params.cArgs, false);
  for (UINT i = 0; i < Params.cNamedArgs; ++i) {
    const DISPID id = Params.rgdispidNamedArgs[i];
    if (id < 0 || static_cast<UINT>(id) >= Params.cArgs || seen[id]) return false;
    seen[id] = true;
  }
  return true;
}

}  // namespace

const VARIANT& TVariantArray::operator[](size_t Index) const {
  if (Index >= FItems.size()) throw EListError("TVariantArray: index out of range");
  return FItems[Index];
}

void TVariantArray::Clear() {
  for (auto& v : FItems) VariantClear(&v);
  FItems.clear();
}

void TVariantArray::SetEmpty(size_t Count) {
  Clear();
  FItems.resize(Count);
  for (auto& v : FItems) VariantInit(&v);
}

void DispParamsToVariantArray(const DISPPARAMS& Params, TVariantArray& Result) {
  Result.Clear();
  if (Params.cArgs == 0) {
    if (Params.cNamedArgs != 0) RefuseShape("named arguments without arguments");
    return;
  }
  if (!Params.rgvarg) RefuseShape("no argument array");
  const bool named = Params.cNamedArgs != 0;
  if (named && !NamesArePositions(Params))
    RefuseShape("named arguments that are not the positions of all arguments");
  Result.SetEmpty(Params.cArgs);
  // A copy that fails leaves Result empty, not half filled.
  auto emptyOnFailure = ScopeExit([&] { Result.Clear(); });
  for (UINT i = 0; i < Params.cArgs; ++i) {
    const UINT target = named ? static_cast<UINT>(Params.rgdispidNamedArgs[i])
                              : Params.cArgs - 1 - i;
    const HRESULT hr = VariantCopy(&Result.At(target), &Params.rgvarg[i]);
    if (FAILED(hr))
      throw EOleSysError("DispParamsToVariantArray: an argument cannot be copied", hr);
  }
  emptyOnFailure.Dismiss();
}
