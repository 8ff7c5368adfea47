#include "unicode/UtxClasses.h"

#include <algorithm>
#include <utility>

#include "base/Scope.h"
#include "classlib/ResStrings.h"
#include "unicode/UtxSysUtils.h"
#include "unicode/UtxSystem.h"
#include "unicode/UtxWindows.h"

// ======================================================================================
// Wide string lists
// ======================================================================================

void RaiseUtxListIndexError(int Index) {
  // Straight from the string table: list errors are not translated.
  const TResStringRec rec{ClassLibInstance(), static_cast<intptr_t>(SListIndexError)};
  throw EStringListError(ResTextToAnsi(FormatResText(WideLoadResString(&rec), {Index})));
}

TUtxStrings::TUtxStrings() : FAnsiStrings(new TAnsiStringsForWideStrings(this)) {}

TUtxStrings::~TUtxStrings() {
  FreeAndNil(FAnsiStrings);
}

void TUtxStrings::Assign(TPersistent* Source) {
  // The 8-bit view of a wide list stands for that list: copying through it would narrow every
  // item to the code page and lose what has no 8-bit form.
  if (auto* view = dynamic_cast<TAnsiStringsForWideStrings*>(Source)) Source = view->WideStrings();
  if (Source == this) return;
  if (auto* source = dynamic_cast<TUtxStrings*>(Source)) {
    TUpdateBracket<TUtxStrings> update(this);
    Clear();
    FDefined = source->FDefined;
    FNameValueSeparator = source->FNameValueSeparator;
    AddStrings(source);
    return;
  }
  if (auto* source = dynamic_cast<TStrings*>(Source)) {
    FAnsiStrings->Assign(source);
    return;
  }
  TPersistent::Assign(Source);
}

void TUtxStrings::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      L"Strings",
      [this](TReader* Reader) {
        TUpdateBracket<TUtxStrings> update(this);
        Clear();
        Reader->ReadListBegin();
        while (!Reader->EndOfList()) Add(Reader->ReadWideString());
        Reader->ReadListEnd();
      },
      nullptr, GetCount() > 0);
}

void TUtxStrings::AssignTo(TPersistent* Dest) {
  if (auto* view = dynamic_cast<TAnsiStringsForWideStrings*>(Dest)) {
    view->WideStrings()->Assign(this);
    return;
  }
  if (auto* dest = dynamic_cast<TStrings*>(Dest)) {
    dest->Assign(FAnsiStrings);
    return;
  }
  TPersistent::AssignTo(Dest);
}

TObject* TUtxStrings::GetItemObject(int) const {
  return nullptr;
}

WideString TUtxStrings::GetTextStr() const {
  const int count = GetCount();
  size_t length = 0;
  for (int i = 0; i < count; ++i) length += GetString(i).size() + 2;
  WideString result;
  result.reserve(length);
  for (int i = 0; i < count; ++i) {
    result += GetString(i);
    result += L"\r\n";
  }
  return result;
}

void TUtxStrings::PutString(int Index, const WideString& S) {
  TObject* obj = GetItemObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TUtxStrings::SetItemObject(int, TObject*) {}

void TUtxStrings::SetCapacity(int) {}

void TUtxStrings::SetTextStr(const WideString& S) {
  TUpdateBracket<TUtxStrings> update(this);
  Clear();
  const wchar_t* p = S.c_str();
  while (*p) {
    const wchar_t* start = p;
    while (*p && *p != L'\n' && *p != L'\r' && *p != 0x2028) ++p;
    Add(WideString(start, static_cast<size_t>(p - start)));
    if (*p == L'\r') ++p;
    if (*p == L'\n') ++p;
    if (*p == 0x2028) ++p;
  }
}

void TUtxStrings::SetUpdateState(bool) {}

int TUtxStrings::CompareStrings(const WideString& S1, const WideString& S2) const {
  SetLastError(0);
  const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, S1.data(),
                               static_cast<int>(S1.size()), S2.data(), static_cast<int>(S2.size()));
  if (r != 0) return r - 2;
  const DWORD error = GetLastError();
  if (error == ERROR_CALL_NOT_IMPLEMENTED) {
    const AnsiString a1 = NarrowText(S1), a2 = NarrowText(S2);
    SetLastError(0);
    const int ra = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a1.data(),
                                  static_cast<int>(a1.size()), a2.data(),
                                  static_cast<int>(a2.size()));
    if (ra != 0) return ra - 2;
    RaiseLastOSErrorW();
  }
  RaiseOSErrorCode(error);
}

int TUtxStrings::Add(const WideString& S) {
  const int index = GetCount();
  Insert(index, S);
  return index;
}

int TUtxStrings::AddObject(const WideString& S, TObject* Obj) {
  const int index = Add(S);
  SetItemObject(index, Obj);
  return index;
}

void TUtxStrings::AddStrings(TUtxStrings* Source) {
  TUpdateBracket<TUtxStrings> update(this);
  // Measured once: adding a list to itself copies what it held at the start.
  const int count = Source->GetCount();
  for (int i = 0; i < count; ++i) AddObject(Source->GetString(i), Source->GetItemObject(i));
}

void TUtxStrings::Exchange(int Index1, int Index2) {
  TUpdateBracket<TUtxStrings> update(this);
  const WideString s1 = GetString(Index1);
  TObject* o1 = GetItemObject(Index1);
  PutString(Index1, GetString(Index2));
  SetItemObject(Index1, GetItemObject(Index2));
  PutString(Index2, s1);
  SetItemObject(Index2, o1);
}

wchar_t* TUtxStrings::GetTextBuffer() const {
  return WideStrNew(GetTextStr().c_str());
}

int TUtxStrings::IndexOf(const WideString& S) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (CompareStrings(GetString(i), S) == 0) return i;
  return -1;
}

int TUtxStrings::IndexOfName(const WideString& Name) const {
  const wchar_t separator = NameValueSeparator();
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    const WideString s = GetString(i);
    const size_t pos = s.find(separator);
    if (pos != WideString::npos && CompareStrings(s.substr(0, pos), Name) == 0) return i;
  }
  return -1;
}

int TUtxStrings::IndexOfObject(TObject* Obj) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (GetItemObject(i) == Obj) return i;
  return -1;
}

void TUtxStrings::InsertObject(int Index, const WideString& S, TObject* Obj) {
  Insert(Index, S);
  SetItemObject(Index, Obj);
}

void TUtxStrings::MoveItem(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TUpdateBracket<TUtxStrings> update(this);
  const WideString s = GetString(CurIndex);
  TObject* obj = GetItemObject(CurIndex);
  Delete(CurIndex);
  // A target out of range must not cost the item: put it back where it was.
  auto putBack = ScopeExit([&] { InsertObject(CurIndex, s, obj); });
  InsertObject(NewIndex, s, obj);
  putBack.Dismiss();
}

void TUtxStrings::SetTextBuffer(const wchar_t* P) {
  SetTextStr(P ? WideString(P) : WideString());
}

void TUtxStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TUtxStrings::EndUpdate() {
  if (FUpdateCount <= 0) return;  // unbalanced: nothing to end
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

wchar_t TUtxStrings::NameValueSeparator() const {
  if (!(FDefined & sdNameValueSeparator)) {
    FNameValueSeparator = L'=';
    FDefined |= sdNameValueSeparator;
  }
  return FNameValueSeparator;
}

void TUtxStrings::SetNameValueSeparator(wchar_t C) {
  FNameValueSeparator = C;
  FDefined |= sdNameValueSeparator;
}

TAnsiStrings* TUtxStrings::AnsiStrings() const {
  return FAnsiStrings;
}

void TUtxStrings::SetAnsiStrings(TAnsiStrings* Value) {
  FAnsiStrings->Assign(Value);
}

// ---- TUtxStringList ----

TUtxStringList::~TUtxStringList() {
  // Nobody hears about a list that is going away.
  OnChange = nullptr;
  OnChanging = nullptr;
  FList.clear();
  FCount = 0;
  FCapacity = 0;
}

void TUtxStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= FCount) RaiseUtxListIndexError(Index);
}

WideString TUtxStringList::GetString(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

TObject* TUtxStringList::GetItemObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TUtxStringList::PutString(int Index, const WideString& S) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

void TUtxStringList::SetItemObject(int Index, TObject* Obj) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = Obj;
  Changed();
}

void TUtxStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < FCount) {
    const TResStringRec rec{ClassLibInstance(), static_cast<intptr_t>(SListCapacityError)};
    throw EStringListError(ResTextToAnsi(FormatResText(WideLoadResString(&rec), {NewCapacity})));
  }
  FList.resize(static_cast<size_t>(NewCapacity));
  FList.shrink_to_fit();
  FCapacity = NewCapacity;
}

void TUtxStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

int TUtxStringList::Add(const WideString& S) {
  return AddObject(S, nullptr);
}

int TUtxStringList::AddObject(const WideString& S, TObject* Obj) {
  const int index = FCount;
  InsertItem(index, S, Obj);
  return index;
}

void TUtxStringList::Clear() {
  if (FCount == 0) return;
  Changing();
  for (int i = 0; i < FCount; ++i) FList[static_cast<size_t>(i)] = TWideStringItem();
  FCount = 0;
  SetCapacity(0);
  Changed();
}

void TUtxStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  auto first = FList.begin() + Index;
  std::move(first + 1, FList.begin() + FCount, first);
  --FCount;
  FList[static_cast<size_t>(FCount)] = TWideStringItem();
  Changed();
}

void TUtxStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

void TUtxStringList::Insert(int Index, const WideString& S) {
  InsertObject(Index, S, nullptr);
}

void TUtxStringList::InsertObject(int Index, const WideString& S, TObject* Obj) {
  if (Index < 0 || Index > FCount) RaiseUtxListIndexError(Index);
  InsertItem(Index, S, Obj);
}

void TUtxStringList::Grow() {
  const int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  SetCapacity(FCapacity + delta);
}

void TUtxStringList::InsertItem(int Index, const WideString& S, TObject* Obj) {
  Changing();
  if (FCount == FCapacity) Grow();
  if (Index < FCount)
    std::move_backward(FList.begin() + Index, FList.begin() + FCount, FList.begin() + FCount + 1);
  FList[static_cast<size_t>(Index)] = TWideStringItem{S, Obj};
  ++FCount;
  Changed();
}

void TUtxStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TUtxStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

// ======================================================================================
// Wide file stream
// ======================================================================================

TUtxFileStream::TUtxFileStream(const WideString& FileName, uint16_t Mode) {
  if (Mode == fmCreate) {
    HANDLE h = WideFileCreate(FileName);
    if (h == INVALID_HANDLE_VALUE) throw EFCreateError(FmtResStringA(SFCreateError, {FileName}));
    SetHandle(h);
  } else {
    HANDLE h = WideFileOpen(FileName, Mode);
    if (h == INVALID_HANDLE_VALUE) throw EFOpenError(FmtResStringA(SFOpenError, {FileName}));
    SetHandle(h);
  }
}

TUtxFileStream::~TUtxFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr) CloseHandle(FHandle);
}

// ======================================================================================
// Sorted-component-list search
// ======================================================================================

bool FindInSortedComponentList(const TComponentList* List, const TComponentKeyCompare& Compare,
                               const void* Key, int& Index) {
  bool found = false;
  int low = 0, high = List->Count() - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    const int c = Compare(List->Items(middle), Key);
    if (c < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (c == 0) {
        found = true;
        low = middle;
      }
    }
  }
  Index = low;
  return found;
}

// ======================================================================================
// The 8-bit view of a wide list
// ======================================================================================

AnsiString TAnsiStringsForWideStrings::Get(int Index) const {
  return NarrowText(FWideStrings->GetString(Index));
}

int TAnsiStringsForWideStrings::GetCount() const {
  return FWideStrings->GetCount();
}

TObject* TAnsiStringsForWideStrings::GetObject(int Index) const {
  return FWideStrings->GetItemObject(Index);
}

void TAnsiStringsForWideStrings::Put(int Index, const AnsiString& S) {
  FWideStrings->PutString(Index, WidenText(S));
}

void TAnsiStringsForWideStrings::PutObject(int Index, TObject* AObject) {
  FWideStrings->SetItemObject(Index, AObject);
}

void TAnsiStringsForWideStrings::SetUpdateState(bool Updating) {
  FWideStrings->SetUpdateState(Updating);
}

void TAnsiStringsForWideStrings::Clear() {
  FWideStrings->Clear();
}

void TAnsiStringsForWideStrings::Delete(int Index) {
  FWideStrings->Delete(Index);
}

void TAnsiStringsForWideStrings::Insert(int Index, const AnsiString& S) {
  FWideStrings->Insert(Index, WidenText(S));
}

// ======================= Wide properties in form descriptions =======================

bool UtxApplyWideFormProperties = false;

namespace {

// The description's text as the bytes it stands for (each unit below $100 one byte).
AnsiString DescriptionBytes(const WideString& Text) {
  AnsiString bytes;
  bytes.reserve(Text.size());
  for (wchar_t c : Text) bytes.push_back(static_cast<char>(c <= 0xFF ? c : '?'));
  return bytes;
}

bool ApplyingAllowed(TReader* Reader) {
  TComponent* root = Reader->Owner();
  return root && (root->HasState(csDesigning) || UtxApplyWideFormProperties);
}

}  // namespace

void TUtxWideStringPropertyFiler::DefineProperties(TFiler* Filer, TPersistent* Instance,
                                                   const WideString& PropName) {
  FInstance = Instance;
  FPropInfo = GetPropInfo(Instance, PropName);
  if (FPropInfo && FPropInfo->Kind == TTypeKind::tkWString) {
    TPersistent* instance = FInstance;
    const TPropInfo* info = FPropInfo;
    Filer->DefineProperty(
        PropName + L"W",
        [instance, info](TReader* Reader) {
          const WideString value = Reader->ReadWideString();
          if (ApplyingAllowed(Reader)) SetWideStrProp(instance, info, DecodeUTF8(DescriptionBytes(value)));
        },
        nullptr, false);
    Filer->DefineProperty(
        PropName + L"_UTF7",
        [instance, info](TReader* Reader) {
          const WideString value = Reader->ReadWideString();
          if (ApplyingAllowed(Reader)) SetWideStrProp(instance, info, DecodeUTF7(DescriptionBytes(value)));
        },
        nullptr, false);
  }
  FInstance = nullptr;
  FPropInfo = nullptr;
}

void DefineWideStringProperties(TFiler* Filer, TPersistent* Instance) {
  TUtxWideStringPropertyFiler filer;
  for (const TPropInfo* prop : GetPropList(Instance->ClassType()))
    if (prop->Kind == TTypeKind::tkWString) filer.DefineProperties(Filer, Instance, prop->Name);
}
