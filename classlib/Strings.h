// The class library's 8-bit string lists: the abstract TStrings (every operation built on a small
// set of virtual primitives, so that a view over some other storage only overrides those) and the
// array-backed TStringList with sorting and change notifications.
#pragma once

#include <functional>
#include <vector>

#include "classlib/Classes.h"

class TStrings : public TPersistent {
  VGT_CLASS(TStrings, TPersistent)
 public:
  TStrings() = default;
  ~TStrings() override = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  // ---- The primitives a concrete list provides. Everything else goes through these. ----
  virtual AnsiString Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  // The object attached to an item; a list without objects answers nullptr.
  virtual TObject* GetObject(int Index) const;
  // Replaces an item's text, keeping its object.
  virtual void Put(int Index, const AnsiString& S);
  // Attaches an object to an item; a list without objects ignores it.
  virtual void PutObject(int Index, TObject* AObject);
  // Called when the update count leaves or reaches 0 (BeginUpdate/EndUpdate).
  virtual void SetUpdateState(bool Updating);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  // Index may be Count (appends).
  virtual void Insert(int Index, const AnsiString& S) = 0;

  // ---- Built on the primitives. ----
  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* AObject);
  virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
  virtual void AddStrings(TStrings* Strings);
  void Append(const AnsiString& S) { Add(S); }

  // Copies the items and objects of another TStrings; assigning a list to itself keeps it.
  void Assign(TPersistent* Source) override;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  virtual int IndexOf(const AnsiString& S) const;
  // First item whose part before the first NameValueSeparator equals Name; items without a
  // separator never match.
  virtual int IndexOfName(const AnsiString& Name) const;
  virtual int IndexOfObject(TObject* AObject) const;

  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);

  // Every item followed by CR LF; an empty list gives "".
  virtual AnsiString GetTextStr() const;
  // Splits at CR LF, CR or LF (a final line break adds no empty item); a NUL ends the text.
  virtual void SetTextStr(const AnsiString& Value);
  AnsiString Text() const { return GetTextStr(); }
  void SetText(const AnsiString& Value) { SetTextStr(Value); }

  // Items separated by commas; an item holding a space, comma, quote or control character is
  // quoted with '"' (inner quotes doubled). Setting splits at commas and unquoted blanks.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& Value);

  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char C) { FNameValueSeparator = C; }
  // The part before the first separator; "" for an item without one.
  AnsiString Names(int Index) const;
  // The part after the first separator of the item named Name; "" when there is none.
  AnsiString Values(const AnsiString& Name) const;
  // Sets the value of Name, adding "Name=Value" when absent; an empty value removes the item.
  void SetValues(const AnsiString& Name, const AnsiString& Value);
  AnsiString ValueFromIndex(int Index) const;

  virtual int GetCapacity() const { return GetCount(); }
  virtual void SetCapacity(int) {}
  int Capacity() const { return GetCapacity(); }

  int Count() const { return GetCount(); }
  AnsiString Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const AnsiString& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

  // Three-way comparison used by IndexOf and IndexOfName: case-insensitive in the user's locale.
  virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;

  // Dest a TStrings: Dest takes this list's items; anything else is the standard failure.
  void AssignTo(TPersistent* Dest) override;

 protected:
  // Raises EStringListError with the list-index message for Index.
  [[noreturn]] static void IndexError(int Index);
  // "Strings" in a form description: the items as a list of strings.
  void DefineProperties(TFiler* Filer) override;

 private:
  int FUpdateCount = 0;
  char FNameValueSeparator = '=';
};

// A separate name for the 8-bit list base, for lists that stand in for wide ones.
using TAnsiStrings = TStrings;

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
  VGT_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  ~TStringList() override;

  AnsiString Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;

  // In a sorted list the item goes to its sorted place; Duplicates decides about equal items.
  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* AObject) override;
  int IndexOf(const AnsiString& S) const override;
  void Exchange(int Index1, int Index2) override;
  // A sorted list refuses moves (they would break the order).
  void Move(int CurIndex, int NewIndex) override;

  int GetCapacity() const override { return FCapacity; }
  // Below the current count raises EStringListError (the list is left as it is).
  void SetCapacity(int NewCapacity) override;

  // Binary search of a sorted list: true when found, Index the first equal item or else the
  // place where S would go.
  virtual bool Find(const AnsiString& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  // No bounds check: callers check.
  virtual void InsertItem(int Index, const AnsiString& S, TObject* AObject);

 private:
  struct TStringItem {
    AnsiString FString;
    TObject* FObject = nullptr;
  };
  void Grow();
  void SortNow(const TStringListSortCompare& Compare);
  static TStringListSortCompare DefaultCompare();
  void CheckIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
  }
  [[noreturn]] static void SortedListError();

  std::vector<TStringItem> FList;
  int FCapacity = 0;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = TDuplicates::dupIgnore;
};
