// What the tests of forms read from their descriptions share: finding a described component,
// and the fixtures that set the application up and clean up after each test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "classlib/Forms.h"

// Mixed into a test form: Find<T>(Name) is its component of that name and class. A component the
// description lacks is an error, so that a test never goes on with a null pointer.
template <class TFormClass>
class TComponentFinder {
 public:
  template <class T>
  T* Find(const wchar_t* Name) {
    T* c = dynamic_cast<T*>(static_cast<TFormClass*>(this)->FindComponent(Name));
    if (!c) throw std::runtime_error("missing component");
    return c;
  }
};

// The application is set up once for the program's tests; the messages left by a test are
// handled before the next one.
class TApplicationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  void TearDown() override { Application->ProcessMessages(); }
};

// Each test gets a fresh form F read from its description; it is gone before the messages left
// are handled.
template <class TFormClass>
class TDescribedFormTest : public TApplicationTest {
 protected:
  void SetUp() override { F.reset(TCustomForm::Create<TFormClass>(nullptr)); }
  void TearDown() override {
    F.reset();
    TApplicationTest::TearDown();
  }
  std::unique_ptr<TFormClass> F;
};
