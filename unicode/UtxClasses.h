// Wide string lists, the wide file stream, the sorted-component-list search, and the 8-bit view
// through which code that knows only 8-bit string lists reads and fills a wide list.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Lists.h"
#include "classlib/Streams.h"
#include "classlib/Strings.h"

class TAnsiStringsForWideStrings;

// ======================================================================================
// Wide string lists
// ======================================================================================

// The abstract list of wide strings, each with an attached object (not owned). Indexes are
// 0-based; every operation is built on a few primitives a concrete list overrides.
class TUtxStrings : public TPersistent {
  VGT_CLASS(TUtxStrings, TPersistent)
 public:
  TUtxStrings();
  ~TUtxStrings() override;
  TUtxStrings(const TUtxStrings&) = delete;
  TUtxStrings& operator=(const TUtxStrings&) = delete;

  // Another wide list (or the 8-bit view of one): its items, objects and separator; a
  // class-library TStrings: its items widened, through the 8-bit view. Assigning a list to itself
  // keeps it as it is.
  void Assign(TPersistent* Source) override;

  // ---- primitives ----
  virtual WideString GetString(int Index) const = 0;
  virtual int GetCapacity() const { return GetCount(); }
  virtual int GetCount() const = 0;
  virtual TObject* GetItemObject(int Index) const;
  // Every item followed by CR LF; "" for an empty list.
  virtual WideString GetTextStr() const;
  virtual void PutString(int Index, const WideString& S);
  virtual void SetItemObject(int Index, TObject* Obj);
  virtual void SetCapacity(int NewCapacity);
  // One item per line: CR LF, CR, LF, U+2028 (and any run of them in that order) end a line; a
  // NUL ends the text; a final line break adds no empty item.
  virtual void SetTextStr(const WideString& S);
  virtual void SetUpdateState(bool Updating);
  // -1, 0 or +1, without regard to case in the user's default locale.
  virtual int CompareStrings(const WideString& S1, const WideString& S2) const;

  // ---- built on the primitives ----
  virtual int Add(const WideString& S);
  virtual int AddObject(const WideString& S, TObject* Obj);
  virtual void AddStrings(TUtxStrings* Source);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  // The text in a new zero-terminated buffer; release it with WideStrDispose.
  virtual wchar_t* GetTextBuffer() const;
  virtual int IndexOf(const WideString& S) const;
  // The first item with a separator whose part before it equals Name; -1 when none.
  virtual int IndexOfName(const WideString& Name) const;
  virtual int IndexOfObject(TObject* Obj) const;
  // Index may be Count (appends).
  virtual void Insert(int Index, const WideString& S) = 0;
  virtual void InsertObject(int Index, const WideString& S, TObject* Obj);
  virtual void MoveItem(int CurIndex, int NewIndex);
  virtual void SetTextBuffer(const wchar_t* P);

  void BeginUpdate();
  void EndUpdate();

  // ---- properties ----
  int Count() const { return GetCount(); }
  WideString Strings(int Index) const { return GetString(Index); }
  void SetStrings(int Index, const WideString& S) { PutString(Index, S); }
  TObject* Objects(int Index) const { return GetItemObject(Index); }
  void SetObjects(int Index, TObject* Obj) { SetItemObject(Index, Obj); }
  WideString Text() const { return GetTextStr(); }
  void SetText(const WideString& S) { SetTextStr(S); }
  int Capacity() const { return GetCapacity(); }
  // "=" until set.
  wchar_t NameValueSeparator() const;
  void SetNameValueSeparator(wchar_t C);
  // The 8-bit view of this list (owned by it).
  TAnsiStrings* AnsiStrings() const;
  // Fills this list from an 8-bit list, through the view.
  void SetAnsiStrings(TAnsiStrings* Value);

 protected:
  // Into a class-library TStrings: the items narrowed, objects copied (into the view of another
  // wide list: its wide list takes the items unnarrowed).
  void AssignTo(TPersistent* Dest) override;
  // "Strings" in a form description (Lines.Strings = ('...' '...')): the items, read as wide
  // texts, replace the list's.
  void DefineProperties(TFiler* Filer) override;
  int UpdateCount() const { return FUpdateCount; }

 private:
  enum : uint8_t { sdNameValueSeparator = 1 };

  TAnsiStringsForWideStrings* FAnsiStrings = nullptr;
  mutable uint8_t FDefined = 0;
  mutable wchar_t FNameValueSeparator = L'=';
  int FUpdateCount = 0;
};

// The array-backed wide list: items stay in the order they were added or inserted; every change
// is bracketed by OnChanging and OnChange (one pair per BeginUpdate/EndUpdate batch).
class TUtxStringList : public TUtxStrings {
  VGT_CLASS(TUtxStringList, TUtxStrings)
 public:
  TUtxStringList() = default;
  ~TUtxStringList() override;

  WideString GetString(int Index) const override;
  int GetCapacity() const override { return FCapacity; }
  int GetCount() const override { return FCount; }
  TObject* GetItemObject(int Index) const override;
  void PutString(int Index, const WideString& S) override;
  void SetItemObject(int Index, TObject* Obj) override;
  // Below the current count raises EStringListError (the list only grows, and empties to 0).
  void SetCapacity(int NewCapacity) override;
  void SetUpdateState(bool Updating) override;

  int Add(const WideString& S) override;
  int AddObject(const WideString& S, TObject* Obj) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void Insert(int Index, const WideString& S) override;
  void InsertObject(int Index, const WideString& S, TObject* Obj) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  // No bounds check of its own: its callers check.
  virtual void InsertItem(int Index, const WideString& S, TObject* Obj);

 private:
  struct TWideStringItem {
    WideString FString;
    TObject* FObject = nullptr;
  };
  void Grow();
  void CheckIndex(int Index) const;

  std::vector<TWideStringItem> FList;  // FCapacity entries, the first FCount in use
  int FCount = 0;
  int FCapacity = 0;
};

// Raises EStringListError with the class library's list-index text for Index.
[[noreturn]] void RaiseUtxListIndexError(int Index);

// ======================================================================================
// Wide file stream
// ======================================================================================

// The class library's file-mode values.
inline constexpr uint16_t fmCreate = 0xFFFF;
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

// A handle stream over a file opened or created by a wide name. A file that cannot be created
// raises EFCreateError, one that cannot be opened EFOpenError, each naming the file.
class TUtxFileStream : public THandleStream {
  VGT_CLASS(TUtxFileStream, THandleStream)
 public:
  TUtxFileStream(const WideString& FileName, uint16_t Mode);
  ~TUtxFileStream() override;
};

// ======================================================================================
// Sorted-component-list search
// ======================================================================================

// Three-way comparison of a list item with a key: negative when the item sorts before the key.
using TComponentKeyCompare = std::function<int(TComponent* Item, const void* Key)>;

// Binary search of a list the caller keeps sorted: true when an equal item exists. Index is then
// that item's position, otherwise the position where the key would be inserted.
bool FindInSortedComponentList(const TComponentList* List, const TComponentKeyCompare& Compare,
                               const void* Key, int& Index);

// ======================================================================================
// The 8-bit view of a wide list
// ======================================================================================

// Class-library code that knows only 8-bit lists reads and fills a wide list through this view:
// texts are narrowed and widened in the conversion code page, objects pass unchanged. It belongs
// to its wide list, which creates and frees it.
class TAnsiStringsForWideStrings : public TAnsiStrings {
  VGT_CLASS(TAnsiStringsForWideStrings, TAnsiStrings)
 public:
  explicit TAnsiStringsForWideStrings(TUtxStrings* WideStrings) : FWideStrings(WideStrings) {}

  AnsiString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;

  TUtxStrings* WideStrings() const { return FWideStrings; }

 private:
  TUtxStrings* FWideStrings;
};

// ======================= Wide properties in form descriptions =======================
//
// Every Unicode class offers, for each published wide-string property P, two properties that
// only form descriptions know: "PW" (the text as UTF-8) and "P_UTF7". Descriptions that carry
// them load; their values are applied only for a root in the design state or with the switch
// below on, so at run time the published properties alone give the texts.

#include "classlib/Filer.h"

// Applies the extra properties at run time as well; off unless a program sets it.
extern bool UtxApplyWideFormProperties;

// Defines the two extra properties of one wide-string property; lives for one
// DefineWideStringProperties call.
class TUtxWideStringPropertyFiler : public TObject {
  VGT_CLASS(TUtxWideStringPropertyFiler, TObject)
 public:
  void DefineProperties(TFiler* Filer, TPersistent* Instance, const WideString& PropName);

 private:
  TPersistent* FInstance = nullptr;
  const TPropInfo* FPropInfo = nullptr;
};

// Called by the DefineProperties of every Unicode class after the inherited one.
void DefineWideStringProperties(TFiler* Filer, TPersistent* Instance);
