#include "classlib/Strings.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "base/Scope.h"
#include "classlib/Filer.h"
#include "classlib/Lists.h"
#include "classlib/ResStrings.h"

namespace {

int CompareAnsi(const AnsiString& S1, const AnsiString& S2, DWORD Flags) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, Flags, S1.data(), static_cast<int>(S1.size()), S2.data(),
                         static_cast<int>(S2.size()));
  if (r != 0) return r - CSTR_EQUAL;
  // The locale comparison refused (it should not): order by bytes so lookups still work.
  int c = S1.compare(S2);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool NeedsQuotes(const AnsiString& S) {
  for (char c : S)
    if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',') return true;
  return false;
}

}  // namespace

// ---- TStrings ----

void TStrings::IndexError(int Index) {
  throw EStringListError(FmtResStringA(SListIndexError, {Index}));
}

TObject* TStrings::GetObject(int) const {
  return nullptr;
}

void TStrings::Put(int Index, const AnsiString& S) {
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::Add(const AnsiString& S) {
  int index = GetCount();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(TStrings* Strings) {
  if (!Strings) return;
  TUpdateBracket<TStrings> update(this);
  // The count is taken once, so adding a list to itself doubles it instead of running forever.
  const int n = Strings->GetCount();
  for (int i = 0; i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    TUpdateBracket<TStrings> update(this);
    Clear();
    FNameValueSeparator = src->FNameValueSeparator;
    AddStrings(src);
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::AssignTo(TPersistent* Dest) {
  if (auto* dest = dynamic_cast<TStrings*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount <= 0) return;
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
  return CompareAnsi(S1, S2, NORM_IGNORECASE);
}

int TStrings::IndexOf(const AnsiString& S) const {
  const int n = GetCount();
  for (int i = 0; i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  const int n = GetCount();
  for (int i = 0; i < n; ++i) {
    const AnsiString s = Get(i);
    const size_t p = s.find(FNameValueSeparator);
    if (p != AnsiString::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  const int n = GetCount();
  for (int i = 0; i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

void TStrings::Exchange(int Index1, int Index2) {
  // Everything is read before anything is written, so a bad index leaves the list unchanged.
  const AnsiString s1 = Get(Index1);
  TObject* o1 = GetObject(Index1);
  const AnsiString s2 = Get(Index2);
  TObject* o2 = GetObject(Index2);
  TUpdateBracket<TStrings> update(this);
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  const AnsiString s = Get(CurIndex);
  TObject* obj = GetObject(CurIndex);
  // Checked before the item leaves the list: a bad target must not lose it.
  if (NewIndex < 0 || NewIndex >= GetCount()) IndexError(NewIndex);
  TUpdateBracket<TStrings> update(this);
  Delete(CurIndex);
  InsertObject(NewIndex, s, obj);
}

AnsiString TStrings::GetTextStr() const {
  const int n = GetCount();
  size_t total = 0;
  for (int i = 0; i < n; ++i) total += Get(i).size() + 2;
  AnsiString result;
  result.reserve(total);
  for (int i = 0; i < n; ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetTextStr(const AnsiString& Value) {
  TUpdateBracket<TStrings> update(this);
  Clear();
  const size_t n = Value.size();
  size_t p = 0;
  while (p < n && Value[p] != '\0') {
    const size_t start = p;
    while (p < n && Value[p] != '\0' && Value[p] != '\r' && Value[p] != '\n') ++p;
    Add(Value.substr(start, p - start));
    if (p < n && Value[p] == '\r') ++p;
    if (p < n && Value[p] == '\n') ++p;
  }
}

AnsiString TStrings::CommaText() const {
  const int n = GetCount();
  if (n == 1 && Get(0).empty()) return "\"\"";
  AnsiString result;
  for (int i = 0; i < n; ++i) {
    if (i > 0) result += ',';
    const AnsiString s = Get(i);
    if (!NeedsQuotes(s)) {
      result += s;
      continue;
    }
    result += '"';
    for (char c : s) {
      if (c == '"') result += '"';
      result += c;
    }
    result += '"';
  }
  return result;
}

void TStrings::SetCommaText(const AnsiString& Value) {
  TUpdateBracket<TStrings> update(this);
  Clear();
  const size_t n = Value.size();
  auto blank = [&](size_t i) {
    return i < n && Value[i] != '\0' && static_cast<unsigned char>(Value[i]) <= ' ';
  };
  size_t p = 0;
  while (blank(p)) ++p;
  while (p < n && Value[p] != '\0') {
    AnsiString item;
    if (Value[p] == '"') {
      ++p;
      while (p < n && Value[p] != '\0') {
        if (Value[p] == '"') {
          if (p + 1 < n && Value[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += Value[p++];
      }
    } else {
      const size_t start = p;
      while (p < n && static_cast<unsigned char>(Value[p]) > ' ' && Value[p] != ',') ++p;
      item = Value.substr(start, p - start);
    }
    Add(item);
    while (blank(p)) ++p;
    if (p < n && Value[p] == ',') {
      do ++p;
      while (blank(p));
    }
  }
}

AnsiString TStrings::Names(int Index) const {
  const AnsiString s = Get(Index);
  const size_t p = s.find(FNameValueSeparator);
  return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

AnsiString TStrings::ValueFromIndex(int Index) const {
  const AnsiString s = Get(Index);
  const size_t p = s.find(FNameValueSeparator);
  return p == AnsiString::npos ? AnsiString() : s.substr(p + 1);
}

AnsiString TStrings::Values(const AnsiString& Name) const {
  const int i = IndexOfName(Name);
  return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  const AnsiString item = Name + FNameValueSeparator + Value;
  if (i < 0)
    Add(item);
  else
    Put(i, item);
}

// ---- TStringList ----

TStringList::~TStringList() {
  // Nobody hears of the list's own destruction.
  OnChange = nullptr;
  OnChanging = nullptr;
  FList.clear();
  FCapacity = 0;
}

void TStringList::SortedListError() {
  throw EStringListError(LoadResStringA(SSortedListError));
}

AnsiString TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TStringList::Put(int Index, const AnsiString& S) {
  if (FSorted) SortedListError();
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = AObject;
  Changed();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  SetCapacity(0);
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Insert(int Index, const AnsiString& S) {
  InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  if (FSorted) SortedListError();
  if (Index < 0 || Index > GetCount()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

int TStringList::Add(const AnsiString& S) {
  return AddObject(S, nullptr);
}

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
  int index = GetCount();
  if (FSorted && Find(S, index)) {
    switch (FDuplicates) {
      case TDuplicates::dupIgnore:
        return index;
      case TDuplicates::dupError:
        throw EStringListError(LoadResStringA(SDuplicateString));
      case TDuplicates::dupAccept:
        break;
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
  Changing();
  if (GetCount() == FCapacity) Grow();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Grow() {
  SetCapacity(GrowListCapacity(FCapacity));
}

void TStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < GetCount()) throw EStringListError(FmtResStringA(SListCapacityError, {NewCapacity}));
  if (static_cast<size_t>(NewCapacity) > FList.capacity())
    FList.reserve(static_cast<size_t>(NewCapacity));
  else if (NewCapacity == 0)
    FList.shrink_to_fit();
  FCapacity = NewCapacity;
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int index = 0;
  return Find(S, index) ? index : -1;
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  // Moving means deleting and re-inserting, which a sorted list refuses after the item is gone.
  if (FSorted && CurIndex != NewIndex) SortedListError();
  TStrings::Move(CurIndex, NewIndex);
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  // Lower bound: with equal items (dupAccept) the first of them is found.
  int low = 0;
  int high = GetCount() - 1;
  bool found = false;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const int c = CompareStrings(FList[static_cast<size_t>(mid)].FString, S);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = low;
  return found;
}

void TStringList::SortNow(const TStringListSortCompare& Compare) {
  const int n = GetCount();
  if (n < 2) return;
  Changing();
  // The comparison sees the items at their places before sorting (it is given indexes), so the
  // order is worked out on a permutation and applied at the end. A stable merge sort cannot run
  // past the ends even with an inconsistent comparison.
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(FList.capacity());
  for (int i : order) sorted.push_back(std::move(FList[static_cast<size_t>(i)]));
  FList.swap(sorted);
  Changed();
}

TStringListSortCompare TStringList::DefaultCompare() {
  return [](TStringList* List, int I, int J) {
    return List->CompareStrings(List->FList[static_cast<size_t>(I)].FString,
                                List->FList[static_cast<size_t>(J)].FString);
  };
}

void TStringList::Sort() {
  CustomSort(DefaultCompare());
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  // A sorted list is in order already; sorting it by another order would break Find.
  if (!FSorted) SortNow(Compare);
}

void TStringList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) SortNow(DefaultCompare());
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  // The order depends on the comparison: a sorted list must be re-sorted or Find goes wrong.
  if (FSorted) SortNow(DefaultCompare());
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const {
  return CompareAnsi(S1, S2, FCaseSensitive ? 0 : NORM_IGNORECASE);
}

void TStrings::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      L"Strings",
      [this](TReader* Reader) {
        TUpdateBracket<TStrings> update(this);
        Clear();
        Reader->ReadListBegin();
        while (!Reader->EndOfList()) Add(Reader->ReadString());
        Reader->ReadListEnd();
      },
      nullptr, GetCount() > 0);
}
