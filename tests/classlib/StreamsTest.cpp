#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "classlib/ResStrings.h"
#include "classlib/Streams.h"

namespace {

std::string ReadAll(TStream& S) {
  S.SetPosition(0);
  std::string text(static_cast<size_t>(S.Size()), '\0');
  S.ReadBuffer(text.data(), static_cast<int>(text.size()));
  return text;
}

// A handle stream that opens its own file after construction, as a stream opened by a wide name
// does; it closes what it opened.
class TTempFileStream : public THandleStream {
 public:
  TTempFileStream(const WideString& Name, DWORD Access) {
    SetHandle(CreateFileW(Name.c_str(), Access, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
  }
  ~TTempFileStream() override {
    if (Handle() != INVALID_HANDLE_VALUE) CloseHandle(Handle());
  }
};

// Per process: the suite runs this program and its Windows-version copy at the same time.
WideString TempName(const wchar_t* Base) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return WideString(dir) + std::to_wstring(GetCurrentProcessId()) + L"_" + Base;
}

}  // namespace

TEST(MemoryStream, WritesReadsSeeksAndReportsShortReads) {
  TMemoryStream M;
  M.WriteBuffer("hello", 5);
  EXPECT_EQ(M.Position(), 5);
  EXPECT_EQ(M.Seek(-2, TSeekOrigin::soEnd), 3);
  char buf[8] = {};
  EXPECT_EQ(M.Read(buf, 8), 2);
  EXPECT_STREQ(buf, "lo");
  EXPECT_EQ(M.Seek(-1, TSeekOrigin::soBeginning), -1);
  // Far positions are refused, or fail cleanly on writing: never an address past the block.
  EXPECT_EQ(M.Seek(INT64_MAX, TSeekOrigin::soBeginning), -1);
  EXPECT_EQ(M.Seek(INT64_MAX, TSeekOrigin::soCurrent), -1);
  EXPECT_EQ(M.Position(), 5);
  ASSERT_EQ(M.Seek(INT32_MAX, TSeekOrigin::soBeginning), INT32_MAX);
  EXPECT_THROW(M.Write("x", 1), EStreamError);
  EXPECT_EQ(M.Size(), 5);
  // Writing past the end fills the gap with zeros.
  M.SetPosition(7);
  M.WriteBuffer("!", 1);
  EXPECT_EQ(ReadAll(M), std::string("hello\0\0!", 8));
  M.SetPosition(6);
  try {
    M.ReadBuffer(buf, 3);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.WideMessage(), LoadResStringW(SReadError));
  }
  M.SetSize(2);
  EXPECT_EQ(M.Position(), 2);
  EXPECT_EQ(ReadAll(M), "he");
  M.SetSize(4);
  EXPECT_EQ(ReadAll(M), std::string("he\0\0", 4));

  TMemoryStream Copy;
  Copy.WriteBuffer("x", 1);
  EXPECT_EQ(Copy.CopyFrom(&M, 0), 4);
  EXPECT_EQ(ReadAll(Copy), std::string("xhe\0\0", 5));
  M.SetPosition(3);
  EXPECT_THROW(Copy.CopyFrom(&M, 5), EReadError);
}

TEST(HandleStream, FileReadWriteSeekAndSize) {
  const WideString name = TempName(L"vgt_handlestream.bin");
  DeleteFileW(name.c_str());
  {
    TTempFileStream F(name, GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(F.Handle(), INVALID_HANDLE_VALUE);
    F.WriteBuffer("abcdef", 6);
    EXPECT_EQ(F.Size(), 6);
    EXPECT_EQ(F.Position(), 6);
    EXPECT_EQ(F.Seek(2, TSeekOrigin::soBeginning), 2);
    char buf[4] = {};
    F.ReadBuffer(buf, 3);
    EXPECT_STREQ(buf, "cde");
    EXPECT_EQ(F.Read(buf, 3), 1);  // only "f" is left
    EXPECT_THROW(F.ReadBuffer(buf, 1), EReadError);
    F.SetSize(3);
    EXPECT_EQ(ReadAll(F), "abc");
    TMemoryStream M;
    M.LoadFromStream(&F);
    EXPECT_EQ(ReadAll(M), "abc");
  }
  {
    TTempFileStream R(name, GENERIC_READ);
    EXPECT_EQ(ReadAll(R), "abc");
    EXPECT_THROW(R.WriteBuffer("z", 1), EWriteError);
  }
  DeleteFileW(name.c_str());
}

TEST(ResourceStream, ReadsByNameAndNumberAndRefusesWhatIsMissing) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  TResourceStream byName(self, L"VGTSTREAMDATA", RT_RCDATA);
  EXPECT_EQ(ReadAll(byName), "0123456789");
  byName.SetPosition(4);
  char c = 0;
  byName.ReadBuffer(&c, 1);
  EXPECT_EQ(c, '4');
  EXPECT_THROW(byName.Write("x", 1), EStreamError);

  TResourceStream byId(self, 4711, RT_RCDATA);
  EXPECT_EQ(ReadAll(byId), "by number");

  try {
    TResourceStream missing(self, L"TFRMNOSUCHFORM", RT_RCDATA);
    FAIL() << "no exception";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Ressource TFRMNOSUCHFORM wurde nicht gefunden");
  }
  EXPECT_THROW(TResourceStream(self, 4712, RT_RCDATA), EResNotFound);
}
