#include "classlib/Filer.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "base/Scope.h"
#include "base/TextConversion.h"
#include "classlib/ResStrings.h"
#include "classlib/Strings.h"

namespace {

WideString FromUtf8(const char* p, size_t n) {
  if (n >= 3 && static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
      static_cast<unsigned char>(p[2]) == 0xBF) {
    p += 3;
    n -= 3;
  }
  return CodePageToWide(std::string_view(p, n), CP_UTF8);
}

// The library's base classes: a description never stands for one of them, only for the class
// of the component it is read into or a class between that one and them (an ancestor that has a
// description of its own).
bool IsBaseClassName(const WideString& Name) {
  static const wchar_t* const bases[] = {L"TObject",       L"TPersistent",
                                         L"TComponent",    L"TControl",
                                         L"TWinControl",   L"TScrollingWinControl",
                                         L"TCustomForm",   L"TCustomFrame"};
  for (const wchar_t* b : bases)
    if (SameIdent(Name, b)) return true;
  return false;
}

// Whether a description naming ClassName may be read into Instance: its own class, or an ancestor
// below the library's base classes.
bool DescribesClassOf(TPersistent* Instance, const WideString& ClassName) {
  TClass own = Instance->ClassType();
  if (SameIdent(own->Name, ClassName)) return true;
  for (TClass c = own->Parent; c && !IsBaseClassName(c->Name); c = c->Parent)
    if (SameIdent(c->Name, ClassName)) return true;
  return false;
}

bool IsIdentStart(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_'; }
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || (c >= L'0' && c <= L'9'); }

}  // namespace

struct TReader::Object {
  bool Inherited = false;
  WideString Name;
  WideString ClassName;
  std::vector<TDescProp> Props;
  std::vector<Object> Children;
  int Line = 0;
};

// ---- The parser: text to a tree of objects, properties and values ----

struct TReader::Parsed {
  Object Root;
};

namespace {

class Parser {
 public:
  Parser(const WideString& Text, const TReader& Owner) : T(Text), R(Owner) {}

  template <class Obj>
  void ParseObject(Obj& O) {
    Skip();
    int line = Line;
    Nest nest(*this, line);
    WideString kw = Ident();
    if (SameIdent(kw, L"inherited")) O.Inherited = true;
    else if (!SameIdent(kw, L"object")) R.Error(L"'object' erwartet", line);
    O.Line = line;
    O.Name = Ident();
    Expect(L':');
    O.ClassName = Ident();
    for (;;) {
      Skip();
      if (AtEnd()) R.Error(L"'end' fehlt", Line);
      size_t save = P;
      int saveLine = Line;
      WideString word = Ident();
      if (SameIdent(word, L"end")) return;
      if (SameIdent(word, L"object") || SameIdent(word, L"inherited")) {
        P = save;
        Line = saveLine;
        O.Children.emplace_back();
        ParseObject(O.Children.back());
        continue;
      }
      // A property: a (dotted) name, "=", a value.
      while (Peek() == L'.') {
        ++P;
        word += L'.';
        word += Ident();
      }
      Expect(L'=');
      typename std::remove_reference_t<decltype(O.Props)>::value_type prop;
      prop.Name = word;
      prop.Line = saveLine;
      prop.Value = Value();
      O.Props.push_back(std::move(prop));
    }
  }

  void ExpectEnd() {
    Skip();
    if (!AtEnd()) R.Error(L"Text nach dem Ende der Beschreibung", Line);
  }

 private:
  bool AtEnd() const { return P >= T.size(); }
  wchar_t Peek() {
    Skip();
    return AtEnd() ? L'\0' : T[P];
  }

  void Skip() {
    while (P < T.size()) {
      wchar_t c = T[P];
      if (c == L'\n') {
        ++Line;
        ++P;
      } else if (c == L' ' || c == L'\t' || c == L'\r') {
        ++P;
      } else if (c == L'/' && P + 1 < T.size() && T[P + 1] == L'/') {
        while (P < T.size() && T[P] != L'\n') ++P;
      } else {
        break;
      }
    }
  }

  void Expect(wchar_t c) {
    if (Peek() != c) R.Error(WideString(L"'") + c + L"' erwartet", Line);
    ++P;
  }

  WideString Ident() {
    Skip();
    if (AtEnd() || !IsIdentStart(T[P])) R.Error(L"Bezeichner erwartet", Line);
    size_t start = P;
    while (P < T.size() && IsIdentChar(T[P])) ++P;
    return T.substr(start, P - start);
  }

  TDescValue Value() {
    Skip();
    TDescValue v;
    v.Line = Line;
    if (AtEnd()) R.Error(L"Wert erwartet", Line);
    wchar_t c = T[P];
    if (c == L'\'' || c == L'#') {
      v.Type = TDescValue::Kind::String;
      v.Text = StringValue();
    } else if (c == L'-' || c == L'$' || (c >= L'0' && c <= L'9')) {
      v.Type = TDescValue::Kind::Integer;
      v.Int = Number();
    } else if (c == L'[') {
      ++P;
      v.Type = TDescValue::Kind::Set;
      while (Peek() != L']') {
        if (AtEnd()) R.Error(L"']' fehlt", Line);
        TDescValue item;
        item.Type = TDescValue::Kind::Ident;
        item.Line = Line;
        item.Text = Ident();
        v.Items.push_back(item);
        if (Peek() == L',') ++P;
      }
      ++P;
    } else if (c == L'(') {
      ++P;
      Nest nest(*this, v.Line);
      v.Type = TDescValue::Kind::List;
      while (Peek() != L')') {
        if (AtEnd()) R.Error(L"')' fehlt", Line);
        v.Items.push_back(Value());
      }
      ++P;
    } else if (c == L'<') {
      ++P;
      Nest nest(*this, v.Line);
      v.Type = TDescValue::Kind::Collection;
      while (Peek() != L'>') {
        if (AtEnd()) R.Error(L"'>' fehlt", Line);
        v.Items.push_back(CollectionItem());
      }
      ++P;
    } else if (c == L'{') {
      ++P;
      v.Type = TDescValue::Kind::Binary;
      v.Bytes = HexData();
    } else if (IsIdentStart(c)) {
      v.Type = TDescValue::Kind::Ident;
      v.Text = Ident();
      while (Peek() == L'.') {
        ++P;
        v.Text += L'.';
        v.Text += Ident();
      }
    } else {
      R.Error(WideString(L"Unerwartetes Zeichen '") + c + L"'", Line);
    }
    return v;
  }

  // "item", its properties, "end".
  TDescValue CollectionItem() {
    Skip();
    TDescValue item;
    item.Type = TDescValue::Kind::Item;
    item.Line = Line;
    if (!SameIdent(Ident(), L"item")) R.Error(L"'item' erwartet", item.Line);
    for (;;) {
      Skip();
      if (AtEnd()) R.Error(L"'end' fehlt", Line);
      TDescProp prop;
      prop.Line = Line;
      prop.Name = Ident();
      if (SameIdent(prop.Name, L"end")) return item;
      while (Peek() == L'.') {
        ++P;
        prop.Name += L'.';
        prop.Name += Ident();
      }
      Expect(L'=');
      prop.Value = Value();
      item.Props.push_back(std::move(prop));
    }
  }

  int64_t Number() {
    bool neg = false;
    if (T[P] == L'-') {
      neg = true;
      ++P;
    }
    int64_t n = 0;
    bool any = false;
    if (P < T.size() && T[P] == L'$') {
      ++P;
      while (P < T.size() && iswxdigit(T[P])) {
        wchar_t c = T[P++];
        int d = (c >= L'0' && c <= L'9') ? c - L'0' : (c | 0x20) - L'a' + 10;
        n = n * 16 + d;
        any = true;
        if (n > (int64_t{1} << 40)) R.Error(L"Zahl zu groß", Line);
      }
    } else {
      while (P < T.size() && T[P] >= L'0' && T[P] <= L'9') {
        n = n * 10 + (T[P++] - L'0');
        any = true;
        if (n > (int64_t{1} << 40)) R.Error(L"Zahl zu groß", Line);
      }
    }
    if (!any) R.Error(L"Ungültige Zahl", Line);
    return neg ? -n : n;
  }

  // Pairs of hexadecimal digits up to '}'.
  std::string HexData() {
    std::string bytes;
    int high = -1;
    for (;;) {
      Skip();
      if (AtEnd()) R.Error(L"'}' fehlt", Line);
      wchar_t c = T[P++];
      if (c == L'}') break;
      if (!iswxdigit(c) || c > 0x7F) R.Error(L"Ungültige Binärdaten", Line);
      int d = (c >= L'0' && c <= L'9') ? c - L'0' : (c | 0x20) - L'a' + 10;
      if (high < 0) {
        high = d;
      } else {
        bytes += static_cast<char>(high * 16 + d);
        high = -1;
      }
    }
    if (high >= 0) R.Error(L"Ungültige Binärdaten", Line);
    return bytes;
  }

  // 'text' and #code parts, joined directly or across lines with +.
  WideString StringValue() {
    WideString s;
    for (;;) {
      if (P < T.size() && T[P] == L'\'') {
        ++P;
        for (;;) {
          if (P >= T.size() || T[P] == L'\n') R.Error(L"Zeichenkette nicht abgeschlossen", Line);
          if (T[P] == L'\'') {
            if (P + 1 < T.size() && T[P + 1] == L'\'') {
              s += L'\'';
              P += 2;
              continue;
            }
            ++P;
            break;
          }
          s += T[P++];
        }
      } else if (P < T.size() && T[P] == L'#') {
        ++P;
        int64_t code = Number();
        if (code < 0 || code > 0xFFFF) R.Error(L"Ungültiger Zeichencode", Line);
        s += static_cast<wchar_t>(code);
      } else {
        size_t save = P;
        int saveLine = Line;
        if (Peek() == L'+') {
          ++P;
          Skip();
          if (P < T.size() && (T[P] == L'\'' || T[P] == L'#')) continue;
        }
        P = save;
        Line = saveLine;
        return s;
      }
    }
  }

  // Objects and lists nest by recursion: a damaged description must not exhaust the stack.
  static constexpr int MaxDepth = 200;
  struct Nest {
    Parser& Of;
    Nest(Parser& P, int AtLine) : Of(P) {
      if (++Of.Depth > MaxDepth) Of.R.Error(L"Zu tief verschachtelt", AtLine);
    }
    ~Nest() { --Of.Depth; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;
  };

  const WideString& T;
  const TReader& R;
  size_t P = 0;
  int Line = 1;
  int Depth = 0;
};

}  // namespace

TReader::TReader(const WideString& Text, const WideString& SourceName)
    : FParsed(new Parsed), FSourceName(SourceName) {
  Parser p(Text, *this);
  p.ParseObject(FParsed->Root);
  p.ExpectEnd();
}

TReader::~TReader() = default;

// Control characters of a damaged description are shown as \xNN: a NUL would end the message
// at the very character it reports, and a line break would split it.
AnsiString TReader::ErrorText(const WideString& What, int Line) const {
  WideString msg = L"Fehler beim Lesen der Formularbeschreibung " + FSourceName;
  if (Line > 0) msg += L", Zeile " + std::to_wstring(Line);
  msg += L": " + What;
  WideString shown;
  for (wchar_t c : msg) {
    if (c < 0x20 || c == 0x7F) {
      static const wchar_t digits[] = L"0123456789ABCDEF";
      shown += L"\\x";
      shown += digits[c >> 4];
      shown += digits[c & 0xF];
    } else {
      shown += c;
    }
  }
  return NarrowAcp(shown);
}

void TReader::Error(const WideString& What, int Line) const { throw EReadError(ErrorText(What, Line)); }

// ---- Reading into components ----

void TReader::ReadRootComponent(TComponent* Root) {
  const Object& obj = FParsed->Root;
  if (!DescribesClassOf(Root, obj.ClassName))
    Error(L"Die Beschreibung gehört zur Klasse " + obj.ClassName + L", nicht zu " + Root->ClassName(), obj.Line);
  FRoot = Root;
  FLoaded.clear();
  FFixups.clear();
  // A description that fails half-way leaves no component loading and no root in the reader.
  auto failed = ScopeExit([&] {
    Root->SetReading(false);
    for (TComponent* c : FLoaded) c->SetLoading(false);
    Root->SetLoading(false);
    FRoot = nullptr;
  });
  if (Root->Name().empty() && !obj.Name.empty()) {
    // A second form of the same class beside the first gets a numbered name.
    WideString name = obj.Name;
    TComponent* owner = Root->Owner();
    for (int i = 1; owner && owner->FindComponent(name) && owner->FindComponent(name) != Root; ++i)
      name = obj.Name + L"_" + std::to_wstring(i);
    Root->SetName(name);
  }
  Root->SetLoading(true);
  Root->SetReading(true);
  ReadObject(Root, obj, true);
  for (const Fixup& f : FFixups) {
    TComponent* target = nullptr;
    if (SameIdent(f.Name, L"nil")) target = nullptr;
    else if (SameIdent(f.Name, Root->Name())) target = Root;
    else if (!(target = Root->FindComponent(f.Name)))
      Error(L"Komponente " + f.Name + L" nicht gefunden", f.Line);
    try {
      f.Info->Set(f.Instance, static_cast<TObject*>(target));
    } catch (const EReadError&) {
      throw;
    } catch (const std::exception&) {
      Error(L"Komponente " + f.Name + L" passt nicht zu " + f.Info->Name, f.Line);
    }
  }
  failed.Dismiss();
  Root->SetReading(false);
  // Loaded: the components in the order read, the root last.
  for (TComponent* c : FLoaded) c->Loaded();
  Root->Loaded();
  FRoot = nullptr;
}

void TReader::ReadObject(TComponent* Instance, const Object& Obj, bool IsRoot) {
  (void)IsRoot;
  for (const TDescProp& p : Obj.Props)
    ReadProperty(Instance, p, Instance == FRoot ? p.Name : Instance->Name() + L"." + p.Name);
  for (const Object& child : Obj.Children) {
    TComponent* c = nullptr;
    if (child.Inherited) {
      // A placed frame's own components belong to the frame.
      if (Instance != FRoot) c = Instance->FindComponent(child.Name);
      if (!c) c = FRoot->FindComponent(child.Name);
      if (!c) Error(L"Komponente " + child.Name + L" nicht gefunden", child.Line);
      if (!DescribesClassOf(c, child.ClassName))
        Error(L"Komponente " + child.Name + L" geh\u00f6rt zur Klasse " + c->ClassName() + L", nicht zu " +
                  child.ClassName,
              child.Line);
    } else {
      TComponentFactory factory = FindComponentFactory(child.ClassName);
      if (!factory) throw EClassNotFound(ErrorText(L"Klasse " + child.ClassName + L" nicht gefunden", child.Line));
      c = factory(FRoot);
      try {
        c->SetLoading(true);
        c->SetName(child.Name);
      } catch (const EReadError&) {
        throw;
      } catch (const std::exception& e) {
        delete c;
        Error(L"Komponente " + child.Name + L": " + WideString(e.what(), e.what() + std::strlen(e.what())),
              child.Line);
      }
      FLoaded.push_back(c);
      SetParentComponent(c, Instance);
    }
    ReadObject(c, child, false);
  }
}

void TReader::ReadProperty(TPersistent* Instance, const TDescProp& P, const WideString& Path) {
  // A dotted name walks sub-objects (Font.Name).
  TPersistent* target = Instance;
  WideString name = P.Name;
  size_t dot;
  while ((dot = name.find(L'.')) != WideString::npos) {
    WideString part = name.substr(0, dot);
    const TPropInfo* info = GetPropInfo(target, part);
    if (!info || info->Kind != TTypeKind::tkClass) Error(L"Eigenschaft " + Path + L" existiert nicht", P.Line);
    auto* sub = dynamic_cast<TPersistent*>(GetObjectProp(target, info));
    if (!sub) Error(L"Eigenschaft " + Path + L" existiert nicht", P.Line);
    target = sub;
    name = name.substr(dot + 1);
  }
  const TPropInfo* info = GetPropInfo(target, name);
  if (info) {
    SetValue(target, info, P.Value, Path);
    return;
  }
  // Not published: the object may define it.
  FPropName = name;
  FMatched = false;
  FValue = &P.Value;
  FValueTaken = false;
  FLists.clear();
  try {
    CallDefineProperties(target, this);
  } catch (const EReadError&) {
    FValue = nullptr;
    throw;
  } catch (const std::exception& e) {
    FValue = nullptr;
    Error(L"Eigenschaft " + Path + L": " + WideString(e.what(), e.what() + std::strlen(e.what())), P.Line);
  }
  FValue = nullptr;
  if (!FMatched) Error(L"Eigenschaft " + Path + L" existiert nicht", P.Line);
}

void TReader::SetValue(TPersistent* Instance, const TPropInfo* Info, const TDescValue& V, const WideString& Path) {
  using K = TDescValue::Kind;
  auto bad = [&]() { Error(L"Ungültiger Wert für Eigenschaft " + Path, V.Line); };
  // Every number and identifier an ordinal property is given passes here: a value its type
  // cannot hold is refused, not cut to fit.
  auto setOrdinal = [&](int64_t n) {
    if (!Info->InRange(n)) Error(OutOfRangeText(Info, Path, n), V.Line);
    SetOrdProp(Instance, Info, n);
  };
  try {
    switch (Info->Kind) {
      case TTypeKind::tkInteger: {
        int64_t n = 0;
        if (V.Type == K::Integer) n = V.Int;
        else if (V.Type == K::Ident && Info->Idents && Info->Idents->Find(V.Text, n)) {
        } else bad();
        if (!Info->Set) bad();
        setOrdinal(n);
        return;
      }
      case TTypeKind::tkBool:
        if (V.Type == K::Ident && SameIdent(V.Text, L"True")) setOrdinal(1);
        else if (V.Type == K::Ident && SameIdent(V.Text, L"False")) setOrdinal(0);
        else bad();
        return;
      case TTypeKind::tkEnum: {
        int64_t n = 0;
        if (V.Type != K::Ident || !Info->Idents->Find(V.Text, n)) bad();
        setOrdinal(n);
        return;
      }
      case TTypeKind::tkSet: {
        if (V.Type != K::Set) bad();
        int64_t bits = 0;
        for (const TDescValue& item : V.Items) {
          int64_t n = 0;
          if (!Info->Idents->Find(item.Text, n)) bad();
          bits |= int64_t{1} << n;
        }
        setOrdinal(bits);
        return;
      }
      case TTypeKind::tkString:
        if (V.Type != K::String || !Info->Set) bad();
        Info->Set(Instance, NarrowAcp(V.Text));
        return;
      case TTypeKind::tkWString:
        if (V.Type != K::String || !Info->Set) bad();
        Info->Set(Instance, V.Text);
        return;
      case TTypeKind::tkClass: {
        if (V.Type == K::Ident && Info->Set) {
          FFixups.push_back(Fixup{Instance, Info, V.Text, V.Line});
          return;
        }
        if (V.Type == K::Collection) {
          auto* collection = dynamic_cast<TCollection*>(GetObjectProp(Instance, Info));
          if (!collection) bad();
          ReadCollection(collection, V, Path);
          return;
        }
        if (V.Type == K::List) {
          // A string list given as a list of strings.
          auto* strings = dynamic_cast<TStrings*>(GetObjectProp(Instance, Info));
          if (!strings) bad();
          strings->Clear();
          for (const TDescValue& item : V.Items) {
            if (item.Type != K::String) bad();
            strings->Add(NarrowAcp(item.Text));
          }
          return;
        }
        bad();
        return;
      }
      case TTypeKind::tkMethod: {
        if (V.Type != K::Ident) bad();
        const THandlerInfo* h = FindHandler(FRoot->ClassType(), V.Text);
        if (!h)
          throw EMethodNotFound(ErrorText(L"Methode " + V.Text + L" nicht gefunden", V.Line));
        if (*h->EventType != *Info->EventType)
          Error(L"Methode " + V.Text + L" passt nicht zu Ereignis " + Path, V.Line);
        Info->Set(Instance, h->Bind(FRoot));
        return;
      }
    }
  } catch (const EReadError&) {
    throw;
  } catch (const std::exception& e) {
    Error(L"Eigenschaft " + Path + L": " + WideString(e.what(), e.what() + std::strlen(e.what())), V.Line);
  }
}

// The described items replace the collection's; the collection hears of them once, at the end.
void TReader::ReadCollection(TCollection* Collection, const TDescValue& V, const WideString& Path) {
  TUpdateBracket<TCollection> update(Collection);
  Collection->Clear();
  for (size_t i = 0; i < V.Items.size(); ++i) {
    TCollectionItem* item = Collection->Add();
    for (const TDescProp& p : V.Items[i].Props)
      ReadProperty(item, p, Path + L"[" + std::to_wstring(i) + L"]." + p.Name);
  }
}

void TReader::DefineProperty(const WideString& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (FMatched || !FValue || !ReadData || !SameIdent(Name, FPropName)) return;
  FMatched = true;
  ReadData(this);
}

const TDescValue& TReader::Take() {
  if (!FLists.empty()) {
    auto& [list, index] = FLists.back();
    if (index >= list->Items.size()) Error(L"Listenende erreicht", list->Line);
    return list->Items[index++];
  }
  if (!FValue || FValueTaken) Error(L"Kein Wert zu lesen");
  FValueTaken = true;
  return *FValue;
}

TDescValue::Kind TReader::NextValue() {
  if (!FLists.empty()) {
    auto& [list, index] = FLists.back();
    return index < list->Items.size() ? list->Items[index].Type : TDescValue::Kind::Ident;
  }
  if (!FValue) Error(L"Kein Wert zu lesen");
  return FValue->Type;
}

WideString TReader::ReadWideString() {
  const TDescValue& v = Take();
  if (v.Type != TDescValue::Kind::String) Error(L"Zeichenkette erwartet", v.Line);
  return v.Text;
}

AnsiString TReader::ReadString() { return NarrowAcp(ReadWideString()); }

int64_t TReader::ReadInteger() {
  const TDescValue& v = Take();
  if (v.Type != TDescValue::Kind::Integer) Error(L"Zahl erwartet", v.Line);
  return v.Int;
}

bool TReader::ReadBoolean() {
  const TDescValue& v = Take();
  if (v.Type == TDescValue::Kind::Ident && SameIdent(v.Text, L"True")) return true;
  if (v.Type == TDescValue::Kind::Ident && SameIdent(v.Text, L"False")) return false;
  Error(L"True oder False erwartet", v.Line);
}

WideString TReader::ReadIdent() {
  const TDescValue& v = Take();
  if (v.Type != TDescValue::Kind::Ident) Error(L"Bezeichner erwartet", v.Line);
  return v.Text;
}

std::string TReader::ReadBinary() {
  const TDescValue& v = Take();
  if (v.Type != TDescValue::Kind::Binary) Error(L"Binärdaten erwartet", v.Line);
  return v.Bytes;
}

void TReader::ReadListBegin() {
  const TDescValue& v = Take();
  if (v.Type != TDescValue::Kind::List) Error(L"Liste erwartet", v.Line);
  FLists.emplace_back(&v, 0);
}

bool TReader::EndOfList() {
  if (FLists.empty()) return true;
  return FLists.back().second >= FLists.back().first->Items.size();
}

void TReader::ReadListEnd() {
  if (FLists.empty()) Error(L"Keine Liste offen");
  FLists.pop_back();
}

void TReader::SkipValue() { Take(); }

// ---- Entry points ----

bool ReadComponentResource(TComponent* Root, const WideString& ResName, HINSTANCE Instance) {
  if (!Instance) Instance = ClassLibInstance();
  HRSRC r = FindResourceW(Instance, ResName.c_str(), reinterpret_cast<LPCWSTR>(RT_RCDATA));
  if (!r) return false;
  HGLOBAL g = LoadResource(Instance, r);
  const char* p = g ? static_cast<const char*>(LockResource(g)) : nullptr;
  if (!p) return false;
  DWORD size = SizeofResource(Instance, r);
  // Resource compilers may pad with NULs.
  while (size && p[size - 1] == '\0') --size;
  ReadComponentText(Root, FromUtf8(p, size), ResName);
  return true;
}

void ReadComponentText(TComponent* Root, const WideString& Text, const WideString& SourceName) {
  TReader reader(Text, SourceName);
  reader.ReadRootComponent(Root);
}
