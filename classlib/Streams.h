// Byte streams: the abstract TStream, THandleStream over a platform file handle, the in-memory
// streams and TResourceStream over a module's resource.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>

#include "classlib/SysUtils.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
  VGT_CLASS(TStream, TObject)
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // The number of bytes read or written, 0 on failure; a negative Count does nothing.
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  // The new position from the start, or -1 when the position cannot be set.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  // Exactly Count bytes or EReadError / EWriteError.
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);
  // Copies Count bytes from Source's position; Count 0 copies all of Source from its start.
  // Answers the number of bytes copied; a short source raises EReadError.
  int64_t CopyFrom(TStream* Source, int64_t Count);

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);
};

// A stream over a handle it does not own (whoever made the handle closes it).
class THandleStream : public TStream {
  VGT_CLASS(THandleStream, TStream)
 public:
  explicit THandleStream(HANDLE AHandle) : FHandle(AHandle) {}

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  // Cuts or extends the file; failure raises EOSError.
  void SetSize(int64_t NewSize) override;

  HANDLE Handle() const { return FHandle; }

 protected:
  // For streams that obtain their handle after construction (opening by some other means).
  THandleStream() = default;
  void SetHandle(HANDLE AHandle) { FHandle = AHandle; }

  HANDLE FHandle = INVALID_HANDLE_VALUE;
};

// A stream over a block of memory held elsewhere; reading and seeking only.
class TCustomMemoryStream : public TStream {
  VGT_CLASS(TCustomMemoryStream, TStream)
 public:
  int Read(void* Buffer, int Count) override;
  // Positions may lie past the end (a later write fills the gap with zeros where writing is
  // possible); before the start or beyond 2 GB - 1 is refused (-1) and the position stays.
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }

  const void* Memory() const { return FMemory; }
  void SaveToStream(TStream* Stream);

 protected:
  void SetPointer(const char* Ptr, int64_t Size) {
    FMemory = Ptr;
    FSize = Size;
  }

  const char* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  VGT_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  TMemoryStream() = default;

  int Write(const void* Buffer, int Count) override;
  // Growing fills with zeros; shrinking moves a position past the end to the end.
  void SetSize(int64_t NewSize) override;
  void Clear();
  // Replaces the content with all of Stream, from its start.
  void LoadFromStream(TStream* Stream);

  void* Memory() { return FStorage.data(); }
  int64_t Capacity() const { return static_cast<int64_t>(FStorage.size()); }

 private:
  // Makes room for at least NewCapacity bytes; out of memory raises EStreamError.
  void Reserve(int64_t NewCapacity);

  std::vector<char> FStorage;
};

// A resource type: a number (RT_RCDATA and the like, in either character width) or a name. (Not
// TResType: that name is the image list's kind of resource.)
struct TResourceType {
  TResourceType(LPCWSTR Type);
  TResourceType(LPCSTR Type);
  LPCWSTR Get() const { return FName.empty() ? MAKEINTRESOURCEW(FId) : FName.c_str(); }

 private:
  WORD FId = 0;
  WideString FName;
};

// A module's resource as a read-only stream. A resource that cannot be found raises EResNotFound;
// writing raises EStreamError.
class TResourceStream : public TCustomMemoryStream {
  VGT_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  TResourceStream(HINSTANCE Instance, const WideString& ResName, const TResourceType& ResType);
  TResourceStream(HINSTANCE Instance, int ResID, const TResourceType& ResType);

  int Write(const void* Buffer, int Count) override;

 private:
  void Initialize(HINSTANCE Instance, LPCWSTR Name, LPCWSTR ResType, const WideString& DisplayName);
};
