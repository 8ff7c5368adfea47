// The root of the class library: text types, the root object with its run-time class name, and
// class references.
#pragma once

#include <cstdint>
#include <string>

// Text of our own code is UTF-16; 8-bit text appears only at the platform boundary and in the
// class library's 8-bit properties.
using WideString = std::wstring;
using AnsiString = std::string;
static_assert(sizeof(wchar_t) == 2, "WideString must be UTF-16");

class TObject;

// Run-time class information: the class's own name (as the class library and our logs show it)
// and its parent. One static instance per class, made by VGT_CLASS.
struct TClassInfo {
  const wchar_t* Name;
  const TClassInfo* Parent;

  bool InheritsFrom(const TClassInfo* ancestor) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
      if (c == ancestor) return true;
    return false;
  }
};
using TClass = const TClassInfo*;

// Declares a class's run-time information inside its body:
//   class TFoo : public TBar { VGT_CLASS(TFoo, TBar) ... };
#define VGT_CLASS(Self, Parent)                                                      \
 public:                                                                             \
  static TClass StaticClass() {                                                      \
    static const ::TClassInfo info{L## #Self, Parent::StaticClass()};                \
    return &info;                                                                    \
  }                                                                                  \
  TClass ClassType() const override { return Self::StaticClass(); }                  \
                                                                                     \
 private:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  static TClass StaticClass() {
    static const TClassInfo info{L"TObject", nullptr};
    return &info;
  }
  virtual TClass ClassType() const { return StaticClass(); }

  WideString ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }
  template <class T>
  bool Is() const { return dynamic_cast<const T*>(this) != nullptr; }
};

// Frees an object and clears the pointer, the idiom the library uses for owned members.
template <class T>
void FreeAndNil(T*& p) {
  T* q = p;
  p = nullptr;
  delete q;
}
