// A fresh page host per test, with the sample pages at hand and small helpers for variants and
// string results.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>

#include "tools/pagehost/Browser.h"

class PageHostFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    FLiveBefore = pagehost::LiveObjectCount();
    FHost = std::make_unique<pagehost::Host>();
  }
  void TearDown() override {
    FHost.reset();
    // Closing lets every sink and browser go: whatever still lives was never released.
    EXPECT_EQ(pagehost::LiveObjectCount(), FLiveBefore) << "page-host objects left alive";
    CoUninitialize();
  }

  pagehost::Host& HostOf() { return *FHost; }

  // The sample pages beside the test program, under their web addresses.
  void LoadSamples() {
    ASSERT_TRUE(FHost->Sites().LoadMapFile(pagehost::PagesBesideProgram())) << "no pages\\sites.txt beside the program";
  }

  // The text a BSTR getter answers; empty when it fails.
  static WideString BstrOf(const std::function<HRESULT(BSTR*)>& get) {
    BSTR b = nullptr;
    if (FAILED(get(&b))) return {};
    WideString s = b ? WideString(b, SysStringLen(b)) : WideString();
    SysFreeString(b);
    return s;
  }

 private:
  std::unique_ptr<pagehost::Host> FHost;
  long FLiveBefore = 0;
};
