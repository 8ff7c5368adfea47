// Run-time type information of the class library: per class, its published properties (in
// declaration order) and the handlers a form description may name; a registry from class name to
// factory. Tables are filled by VGT_PUBLISH blocks at program start; they create no windows and
// install no hooks.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <variant>
#include <vector>

#include "classlib/Classes.h"

VGT_EXCEPTION(EPropertyConvertError, Exception);

// Stores Value in a property's field; true when that changed it (the setter then tells what
// depends on the property).
template <class T>
bool ChangeField(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

// Names of classes, properties and handlers compare without regard to (ASCII) case.
bool SameIdent(const WideString& A, const WideString& B);
// 8-bit properties hold their text in the ANSI code page.
AnsiString NarrowAcp(const WideString& S);
WideString WidenAcp(const AnsiString& S);

enum class TTypeKind {
  tkInteger,  // any integral type; may carry identifiers (clWindow, mrOk, ...)
  tkBool,
  tkEnum,     // an enumeration with named values
  tkSet,      // a TSet of an enumeration
  tkString,   // 8-bit text in the ANSI code page
  tkWString,  // UTF-16 text
  tkClass,    // an object: a sub-object (Font) or a reference to another component
  tkMethod,   // an event handler (a std::function)
};

// A set of up to 32 values of an enumeration, stored as bits by ordinal.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) FBits |= Bit(v);
  }
  static constexpr TSet FromBits(uint32_t bits) {
    TSet s;
    s.FBits = bits;
    return s;
  }
  constexpr uint32_t Bits() const { return FBits; }
  constexpr bool Contains(E v) const { return (FBits & Bit(v)) != 0; }
  constexpr TSet& Include(E v) { FBits |= Bit(v); return *this; }
  constexpr TSet& Exclude(E v) { FBits &= ~Bit(v); return *this; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr uint32_t Bit(E v) { return 1u << static_cast<unsigned>(v); }
  uint32_t FBits = 0;
};

// Names of the values of an enumeration (for enumerations and sets), or identifiers of an
// integer property (name -> value).
struct TIdentInfo {
  std::vector<std::pair<WideString, int64_t>> Idents;
  // The value of Name (compared without regard to case); false when there is none.
  bool Find(const WideString& Name, int64_t& Value) const;
  WideString NameOf(int64_t Value) const;
};

// Specialise through VGT_ENUM for every enumeration that is published.
template <class E>
struct TEnumNames;  // static const TIdentInfo& Info();

// VGT_ENUM(TAlign, L"alNone", L"alTop", ...): the names in ordinal order.
#define VGT_ENUM(E, ...)                                             \
  template <>                                                        \
  struct TEnumNames<E> {                                             \
    static const TIdentInfo& Info() {                                \
      static const TIdentInfo info = ::MakeEnumIdents({__VA_ARGS__}); \
      return info;                                                   \
    }                                                                \
  }
TIdentInfo MakeEnumIdents(std::initializer_list<const wchar_t*> Names);

// One property value as the reader and generic code pass it. Enumerations, sets and integers are
// int64_t; events are a std::any holding the event's std::function.
using TPropValue = std::variant<std::monostate, int64_t, bool, AnsiString, WideString, TObject*, std::any>;

struct TPropInfo {
  WideString Name;
  TTypeKind Kind = TTypeKind::tkInteger;
  const TIdentInfo* Idents = nullptr;       // enum names, set element names, integer identifiers
  TClass PropClass = nullptr;               // tkClass: the class the property holds
  const std::type_info* EventType = nullptr;  // tkMethod: the std::function type
  std::function<TPropValue(TObject*)> Get;
  std::function<void(TObject*, const TPropValue&)> Set;  // empty: a sub-object read for its own properties
  std::function<bool(TObject*)> Stored;                 // empty: always stored
  // Ordinal kinds (integers, booleans, enumerations, sets): the values the property's type can
  // hold. The setter would cut any other value to fit and silently store a different one.
  int64_t MinValue = 0;
  int64_t MaxValue = 0;

  bool IsStored(TObject* Instance) const { return !Stored || Stored(Instance); }
  bool InRange(int64_t Value) const { return Value >= MinValue && Value <= MaxValue; }
};

// A handler a form description may name: a method of the root (form) class, bound to a root
// object it gives the event's std::function.
struct THandlerInfo {
  WideString Name;
  const std::type_info* EventType = nullptr;
  std::function<std::any(TObject* Root)> Bind;
};

using TComponentFactory = TComponent* (*)(TComponent* Owner);

struct TTypeData {
  TClass Class = nullptr;
  std::vector<TPropInfo> Props;  // this class's own, in declaration order
  std::vector<THandlerInfo> Handlers;
  TComponentFactory Factory = nullptr;
};

// The table of a class, made on first use.
TTypeData& TypeDataOf(TClass Class);
// Published properties of a class and its ancestors: the ancestors' first, a property that a
// class publishes again with the same name replacing the inherited one in its place.
std::vector<const TPropInfo*> GetPropList(TClass Class);
// The published property Name (no regard to case), or nullptr.
const TPropInfo* GetPropInfo(TClass Class, const WideString& Name);
inline const TPropInfo* GetPropInfo(const TObject* Instance, const WideString& Name) {
  return GetPropInfo(Instance->ClassType(), Name);
}
// The handler Name of a root class or its ancestors, or nullptr.
const THandlerInfo* FindHandler(TClass RootClass, const WideString& Name);

// Class registry: classes that have a factory can be created by name from form descriptions.
void RegisterComponentClass(TClass Class, TComponentFactory Factory);
TClass FindComponentClass(const WideString& ClassName);  // nullptr when unknown
TComponentFactory FindComponentFactory(const WideString& ClassName);

// How a component read inside another in a form description joins it (a control gets its parent,
// an action its list). Each unit registers one; the first that accepts the pair wins.
using TParentSetter = bool (*)(TComponent* Child, TComponent* Container);
void RegisterParentSetter(TParentSetter Setter);
// True when a registered setter took Child into Container.
bool SetParentComponent(TComponent* Child, TComponent* Container);

// Why Value was refused for the ordinal property Prop (named Path where it was met):
// "Wert 300 außerhalb des Bereichs von Eigenschaft Name (0..255)".
WideString OutOfRangeText(const TPropInfo* Prop, const WideString& Path, int64_t Value);

// Typed access for generic code.
WideString GetWideStrProp(TObject* Instance, const TPropInfo* Prop);
void SetWideStrProp(TObject* Instance, const TPropInfo* Prop, const WideString& Value);
AnsiString GetStrProp(TObject* Instance, const TPropInfo* Prop);
void SetStrProp(TObject* Instance, const TPropInfo* Prop, const AnsiString& Value);
int64_t GetOrdProp(TObject* Instance, const TPropInfo* Prop);
// Raises EPropertyConvertError for a value outside the property's range.
void SetOrdProp(TObject* Instance, const TPropInfo* Prop, int64_t Value);
TObject* GetObjectProp(TObject* Instance, const TPropInfo* Prop);

namespace typinfo_detail {

template <class T>
struct IsFunction : std::false_type {};
template <class R, class... A>
struct IsFunction<std::function<R(A...)>> : std::true_type {};

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
  using Element = E;
};

template <class T>
TPropValue ToValue(const T& v) {
  if constexpr (std::is_same_v<T, bool>) return v;
  else if constexpr (std::is_enum_v<T>) return static_cast<int64_t>(v);
  else if constexpr (std::is_integral_v<T>) return static_cast<int64_t>(v);
  else if constexpr (IsSet<T>::value) return static_cast<int64_t>(v.Bits());
  else if constexpr (std::is_same_v<T, AnsiString> || std::is_same_v<T, WideString>) return v;
  else if constexpr (std::is_pointer_v<T>) return static_cast<TObject*>(v);
  else return std::any(v);
}

template <class T>
T FromValue(const TPropValue& v) {
  if constexpr (std::is_same_v<T, bool>) return std::get<bool>(v);
  else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) return static_cast<T>(std::get<int64_t>(v));
  else if constexpr (IsSet<T>::value) return T::FromBits(static_cast<uint32_t>(std::get<int64_t>(v)));
  else if constexpr (std::is_same_v<T, AnsiString> || std::is_same_v<T, WideString>) return std::get<T>(v);
  else if constexpr (std::is_pointer_v<T>) {
    TObject* o = std::get<TObject*>(v);
    if (!o) return nullptr;
    T t = dynamic_cast<T>(o);
    if (!t) throw EInvalidCast("Ungültige Typumwandlung");
    return t;
  } else return std::any_cast<T>(std::get<std::any>(v));
}

// The values an ordinal property of type T holds. A char is a character code of the ANSI code
// page (0-255), whatever the sign of char; an enumeration runs over its names, a set over the bits
// of its element's names.
template <class T>
std::pair<int64_t, int64_t> OrdinalRange(const TIdentInfo* Idents) {
  if constexpr (std::is_same_v<T, bool>) return {0, 1};
  else if constexpr (std::is_enum_v<T>) return {0, static_cast<int64_t>(Idents->Idents.size()) - 1};
  else if constexpr (IsSet<T>::value) {
    size_t n = Idents->Idents.size();
    return {0, n >= 32 ? int64_t{0xFFFFFFFF} : (int64_t{1} << n) - 1};
  } else if constexpr (std::is_same_v<T, char>) return {0, 255};
  else if constexpr (std::is_integral_v<T>) {
    constexpr auto top = std::numeric_limits<T>::max();
    constexpr int64_t max = static_cast<uint64_t>(top) > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                                ? std::numeric_limits<int64_t>::max()
                                : static_cast<int64_t>(top);
    return {static_cast<int64_t>(std::numeric_limits<T>::min()), max};
  } else return {0, 0};
}

// The call forms accepted for getters and setters: member functions or free functions/lambdas
// taking the instance first.
template <class C, class G>
auto CallGet(G g, C* c) {
  return std::invoke(g, c);
}

template <class M>
struct MethodTraits;
template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...)> {
  using Class = C;
  using Event = std::function<R(A...)>;
};

}  // namespace typinfo_detail

// Fills the table of class C: VGT_PUBLISH(C) { P.Prop(...).Handler(...); }
template <class C>
class TPublisher {
 public:
  TPublisher() : D(TypeDataOf(C::StaticClass())) {
    if constexpr (std::is_constructible_v<C, TComponent*> && !std::is_abstract_v<C> &&
                  std::is_base_of_v<TComponent, C>) {
      D.Factory = [](TComponent* Owner) -> TComponent* { return new C(Owner); };
      RegisterComponentClass(C::StaticClass(), D.Factory);
    }
  }

  // A property read by Get and written by Set (member functions, or callables taking C* first).
  // Set may be nullptr for a sub-object whose own properties are read.
  template <class G, class S>
  TPublisher& Prop(const wchar_t* Name, G Get, S Set, std::function<bool(C*)> Stored = {}) {
    using T = std::decay_t<decltype(std::invoke(Get, static_cast<C*>(nullptr)))>;
    TPropInfo p;
    p.Name = Name;
    if constexpr (std::is_same_v<T, bool>) p.Kind = TTypeKind::tkBool;
    else if constexpr (std::is_enum_v<T>) {
      p.Kind = TTypeKind::tkEnum;
      p.Idents = &TEnumNames<T>::Info();
    } else if constexpr (std::is_integral_v<T>) p.Kind = TTypeKind::tkInteger;
    else if constexpr (typinfo_detail::IsSet<T>::value) {
      p.Kind = TTypeKind::tkSet;
      p.Idents = &TEnumNames<typename typinfo_detail::IsSet<T>::Element>::Info();
    } else if constexpr (std::is_same_v<T, AnsiString>) p.Kind = TTypeKind::tkString;
    else if constexpr (std::is_same_v<T, WideString>) p.Kind = TTypeKind::tkWString;
    else if constexpr (std::is_pointer_v<T>) {
      p.Kind = TTypeKind::tkClass;
      p.PropClass = std::remove_pointer_t<T>::StaticClass();
    } else {
      static_assert(typinfo_detail::IsFunction<T>::value, "unsupported property type");
      p.Kind = TTypeKind::tkMethod;
      p.EventType = &typeid(T);
    }
    auto [lo, hi] = typinfo_detail::OrdinalRange<T>(p.Idents);
    p.MinValue = lo;
    p.MaxValue = hi;
    p.Get = [Get](TObject* o) { return typinfo_detail::ToValue<T>(std::invoke(Get, static_cast<C*>(o))); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      p.Set = [Set](TObject* o, const TPropValue& v) {
        std::invoke(Set, static_cast<C*>(o), typinfo_detail::FromValue<T>(v));
      };
    if (Stored) p.Stored = [Stored](TObject* o) { return Stored(static_cast<C*>(o)); };
    D.Props.push_back(std::move(p));
    return *this;
  }

  // An event property: a public handler field of C or of a base of C.
  template <class T, class Base>
  TPublisher& Event(const wchar_t* Name, T Base::*Field) {
    return Prop(Name, [Field](C* c) -> T { return c->*Field; }, [Field](C* c, T e) { c->*Field = std::move(e); });
  }

  // Identifiers an integer property accepts besides numbers (applies to the last property).
  TPublisher& Idents(const TIdentInfo& Info) {
    D.Props.back().Idents = &Info;
    return *this;
  }

  // A handler a form description may bind by name: a member function of C.
  template <class M>
  TPublisher& Handler(const wchar_t* Name, M Method) {
    using Event = typename typinfo_detail::MethodTraits<M>::Event;
    THandlerInfo h;
    h.Name = Name;
    h.EventType = &typeid(Event);
    h.Bind = [Method](TObject* Root) -> std::any {
      C* self = static_cast<C*>(Root);
      return Event([self, Method](auto&&... a) { return (self->*Method)(std::forward<decltype(a)>(a)...); });
    };
    D.Handlers.push_back(std::move(h));
    return *this;
  }

 private:
  TTypeData& D;
};

// A static library links only the units something refers to, and a unit whose classes are only
// named in form descriptions would lose its VGT_PUBLISH tables. Each such unit declares an anchor,
// and the start-up code of its layer uses it:
//   VGT_UNIT_ANCHOR(StdCtrls)   in StdCtrls.cpp
//   VGT_USE_UNIT(StdCtrls);     in a function that runs at start (Application->Initialize)
#define VGT_UNIT_ANCHOR(Unit) \
  void VgtLinkUnit_##Unit() {}
#define VGT_USE_UNIT(Unit)         \
  do {                             \
    void VgtLinkUnit_##Unit();     \
    VgtLinkUnit_##Unit();          \
  } while (0)

#define VGT_PUBLISH_CAT2(a, b) a##b
#define VGT_PUBLISH_CAT(a, b) VGT_PUBLISH_CAT2(a, b)
// VGT_PUBLISH(TFoo) { P.Prop(L"Bar", &TFoo::Bar, &TFoo::SetBar); }
// Fills TFoo's table during static initialisation (no windows, no hooks).
#define VGT_PUBLISH(C)                                                                           \
  static void VGT_PUBLISH_CAT(vgtPublish_, C)(TPublisher<C> & P);                               \
  [[maybe_unused]] static const bool VGT_PUBLISH_CAT(vgtPublished_, C) = [] {                   \
    TPublisher<C> p;                                                                             \
    VGT_PUBLISH_CAT(vgtPublish_, C)(p);                                                          \
    return true;                                                                                 \
  }();                                                                                           \
  static void VGT_PUBLISH_CAT(vgtPublish_, C)([[maybe_unused]] TPublisher<C> & P)
