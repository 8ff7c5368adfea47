#include "classlib/TypInfo.h"

#include <map>

#include "base/TextConversion.h"

namespace {

WideString Upper(const WideString& s) {
  WideString u = s;
  for (auto& c : u)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  return u;
}

std::map<TClass, TTypeData>& Tables() {
  static std::map<TClass, TTypeData> tables;
  return tables;
}

std::map<WideString, TClass>& ClassesByName() {
  static std::map<WideString, TClass> classes;
  return classes;
}

const TTypeData* FindTypeData(TClass Class) {
  auto& t = Tables();
  auto it = t.find(Class);
  return it == t.end() ? nullptr : &it->second;
}

}  // namespace

bool SameIdent(const WideString& A, const WideString& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    wchar_t x = A[i], y = B[i];
    if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - 32);
    if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

AnsiString NarrowAcp(const WideString& S) { return WideToCodePage(S, CP_ACP); }

WideString WidenAcp(const AnsiString& S) { return CodePageToWide(S, CP_ACP); }

TIdentInfo MakeEnumIdents(std::initializer_list<const wchar_t*> Names) {
  TIdentInfo info;
  int64_t i = 0;
  for (const wchar_t* n : Names) info.Idents.emplace_back(n, i++);
  return info;
}

bool TIdentInfo::Find(const WideString& Name, int64_t& Value) const {
  for (const auto& [n, v] : Idents)
    if (SameIdent(n, Name)) {
      Value = v;
      return true;
    }
  return false;
}

WideString TIdentInfo::NameOf(int64_t Value) const {
  for (const auto& [n, v] : Idents)
    if (v == Value) return n;
  return std::to_wstring(Value);
}

TTypeData& TypeDataOf(TClass Class) {
  TTypeData& d = Tables()[Class];
  d.Class = Class;
  return d;
}

std::vector<const TPropInfo*> GetPropList(TClass Class) {
  std::vector<TClass> chain;
  for (TClass c = Class; c; c = c->Parent) chain.push_back(c);
  std::vector<const TPropInfo*> list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const TTypeData* d = FindTypeData(*it);
    if (!d) continue;
    for (const TPropInfo& p : d->Props) {
      bool replaced = false;
      for (auto& q : list)
        if (SameIdent(q->Name, p.Name)) {
          q = &p;
          replaced = true;
          break;
        }
      if (!replaced) list.push_back(&p);
    }
  }
  return list;
}

const TPropInfo* GetPropInfo(TClass Class, const WideString& Name) {
  for (TClass c = Class; c; c = c->Parent) {
    const TTypeData* d = FindTypeData(c);
    if (!d) continue;
    for (const TPropInfo& p : d->Props)
      if (SameIdent(p.Name, Name)) return &p;
  }
  return nullptr;
}

const THandlerInfo* FindHandler(TClass RootClass, const WideString& Name) {
  for (TClass c = RootClass; c; c = c->Parent) {
    const TTypeData* d = FindTypeData(c);
    if (!d) continue;
    for (const THandlerInfo& h : d->Handlers)
      if (SameIdent(h.Name, Name)) return &h;
  }
  return nullptr;
}

void RegisterComponentClass(TClass Class, TComponentFactory Factory) {
  ClassesByName()[Upper(Class->Name)] = Class;
  TypeDataOf(Class).Factory = Factory;
}

TClass FindComponentClass(const WideString& ClassName) {
  auto& m = ClassesByName();
  auto it = m.find(Upper(ClassName));
  return it == m.end() ? nullptr : it->second;
}

TComponentFactory FindComponentFactory(const WideString& ClassName) {
  TClass c = FindComponentClass(ClassName);
  if (!c) return nullptr;
  const TTypeData* d = FindTypeData(c);
  return d ? d->Factory : nullptr;
}

static std::vector<TParentSetter>& ParentSetters() {
  static std::vector<TParentSetter> setters;
  return setters;
}

void RegisterParentSetter(TParentSetter Setter) { ParentSetters().push_back(Setter); }

bool SetParentComponent(TComponent* Child, TComponent* Container) {
  for (TParentSetter s : ParentSetters())
    if (s(Child, Container)) return true;
  return false;
}

WideString GetWideStrProp(TObject* Instance, const TPropInfo* Prop) {
  TPropValue v = Prop->Get(Instance);
  if (auto* w = std::get_if<WideString>(&v)) return *w;
  if (auto* a = std::get_if<AnsiString>(&v)) return WidenAcp(*a);
  throw EPropertyConvertError("Ungültiger Eigenschaftstyp");
}

void SetWideStrProp(TObject* Instance, const TPropInfo* Prop, const WideString& Value) {
  if (Prop->Kind == TTypeKind::tkWString) {
    Prop->Set(Instance, Value);
    return;
  }
  if (Prop->Kind != TTypeKind::tkString) throw EPropertyConvertError("Ungültiger Eigenschaftstyp");
  Prop->Set(Instance, NarrowAcp(Value));
}

AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop) {
  TPropValue v = Prop->Get(Instance);
  if (auto* a = std::get_if<AnsiString>(&v)) return *a;
  throw EPropertyConvertError("Ungültiger Eigenschaftstyp");
}

void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value) {
  Prop->Set(Instance, Value);
}

WideString OutOfRangeText(const TPropInfo* Prop, const WideString& Path, int64_t Value) {
  return L"Wert " + std::to_wstring(Value) + L" außerhalb des Bereichs von Eigenschaft " + Path + L" (" +
         std::to_wstring(Prop->MinValue) + L".." + std::to_wstring(Prop->MaxValue) + L")";
}

int64_t GetOrdProp(TObject* Instance, const TPropInfo* Prop) {
  TPropValue v = Prop->Get(Instance);
  if (auto* i = std::get_if<int64_t>(&v)) return *i;
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  throw EPropertyConvertError("Ungültiger Eigenschaftstyp");
}

void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value) {
  if (!Prop->InRange(Value)) throw EPropertyConvertError(NarrowAcp(OutOfRangeText(Prop, Prop->Name, Value)));
  if (Prop->Kind == TTypeKind::tkBool) Prop->Set(Instance, Value != 0);
  else Prop->Set(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop) {
  TPropValue v = Prop->Get(Instance);
  if (auto* o = std::get_if<TObject*>(&v)) return *o;
  throw EPropertyConvertError("Ungültiger Eigenschaftstyp");
}

// The component model's own published properties.
VGT_PUBLISH(TComponent) {
  P.Prop(L"Tag", &TComponent::Tag, &TComponent::SetTag);
}
