// A single-threaded COM apartment for the whole test program: included once by each program
// whose tests create COM objects.
#pragma once

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

class TComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};
const auto* const ComEnvironment = ::testing::AddGlobalTestEnvironment(new TComEnvironment);

}  // namespace
