#include "classlib/Streams.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "base/TextConversion.h"
#include "classlib/ResStrings.h"

// ---- TStream ----

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(LoadResStringA(SReadError));
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(LoadResStringA(SWriteError));
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (!Source || Count < 0) return 0;
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  const int64_t total = Count;
  constexpr int kChunk = 64 * 1024;
  std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(Count, kChunk)));
  while (Count > 0) {
    const int n = static_cast<int>(std::min<int64_t>(Count, kChunk));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    Count -= n;
  }
  return total;
}

int64_t TStream::Size() {
  const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
  const int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(pos, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(int64_t) {}

// ---- THandleStream ----

int THandleStream::Read(void* Buffer, int Count) {
  if (Count <= 0) return 0;
  DWORD done = 0;
  if (!ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return 0;
  return static_cast<int>(done);
}

int THandleStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  DWORD done = 0;
  if (!WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return 0;
  return static_cast<int>(done);
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LONG high = static_cast<LONG>(Offset >> 32);
  SetLastError(NO_ERROR);
  const DWORD low = SetFilePointer(FHandle, static_cast<LONG>(Offset & 0xFFFFFFFF), &high,
                                   methods[static_cast<int>(Origin)]);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
  return (static_cast<int64_t>(high) << 32) | low;
}

void THandleStream::SetSize(int64_t NewSize) {
  const int64_t pos = Position();
  if (Seek(NewSize, TSeekOrigin::soBeginning) < 0 || !SetEndOfFile(FHandle)) {
    const DWORD error = GetLastError();
    if (pos >= 0) SetPosition(pos);
    throw EOSError(LoadResStringA(SWriteError), error);
  }
  SetPosition(std::min(pos, NewSize));
}

// ---- TCustomMemoryStream ----

int TCustomMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  const int n = static_cast<int>(std::min<int64_t>(Count, FSize - FPosition));
  std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = 0;
  if (Origin == TSeekOrigin::soCurrent) base = FPosition;
  if (Origin == TSeekOrigin::soEnd) base = FSize;
  // The block is addressed by 32-bit counts: a position outside 0..2 GB - 1 is refused here, so
  // no later read or write works out an address (or a sum) beyond it.
  if (Offset < -base || Offset > std::numeric_limits<int32_t>::max() - base) return -1;
  FPosition = base + Offset;
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (Stream && FSize > 0) Stream->WriteBuffer(FMemory, static_cast<int>(FSize));
}

// ---- TMemoryStream ----

void TMemoryStream::Reserve(int64_t NewCapacity) {
  if (NewCapacity <= Capacity()) return;
  // One block addressed by 32-bit counts: anything beyond is refused as out of memory.
  if (NewCapacity > std::numeric_limits<int32_t>::max())
    throw EStreamError(LoadResStringA(SMemoryStreamError));
  int64_t grown = std::max<int64_t>(NewCapacity, Capacity() + Capacity() / 2);
  grown = std::min<int64_t>(std::max<int64_t>(grown, 256), std::numeric_limits<int32_t>::max());
  try {
    FStorage.resize(static_cast<size_t>(grown));
  } catch (const std::bad_alloc&) {
    throw EStreamError(LoadResStringA(SMemoryStreamError));
  } catch (const std::length_error&) {
    throw EStreamError(LoadResStringA(SMemoryStreamError));
  }
  SetPointer(FStorage.data(), FSize);
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  const int64_t end = FPosition + Count;
  if (end > FSize) {
    Reserve(end);
    // A gap left by seeking past the end reads as zeros.
    if (FPosition > FSize) std::memset(FStorage.data() + FSize, 0, static_cast<size_t>(FPosition - FSize));
    FSize = end;
    SetPointer(FStorage.data(), FSize);
  }
  std::memcpy(FStorage.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  if (NewSize > FSize) {
    Reserve(NewSize);
    std::memset(FStorage.data() + FSize, 0, static_cast<size_t>(NewSize - FSize));
  }
  FSize = NewSize;
  SetPointer(FStorage.data(), FSize);
  if (FPosition > FSize) FPosition = FSize;
}

void TMemoryStream::Clear() {
  std::vector<char>().swap(FStorage);
  FSize = 0;
  FPosition = 0;
  SetPointer(nullptr, 0);
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  if (!Stream) return;
  Stream->SetPosition(0);
  const int64_t size = Stream->Size();
  SetSize(size);
  if (size > 0) Stream->ReadBuffer(FStorage.data(), static_cast<int>(size));
  FPosition = 0;
}

// ---- TResourceStream ----

TResourceType::TResourceType(LPCWSTR Type) {
  if (IS_INTRESOURCE(Type))
    FId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(Type));
  else
    FName = Type;
}

TResourceType::TResourceType(LPCSTR Type) {
  if (IS_INTRESOURCE(Type)) {
    FId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(Type));
    return;
  }
  FName = CodePageToWide(Type, CP_ACP);
}

TResourceStream::TResourceStream(HINSTANCE Instance, const WideString& ResName, const TResourceType& ResType) {
  Initialize(Instance, ResName.c_str(), ResType.Get(), ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, const TResourceType& ResType) {
  Initialize(Instance, MAKEINTRESOURCEW(ResID), ResType.Get(), std::to_wstring(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, LPCWSTR Name, LPCWSTR ResType,
                                 const WideString& DisplayName) {
  HRSRC res = FindResourceW(Instance, Name, ResType);
  if (!res && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    // A platform without the wide lookup: the same names in the ANSI code page.
    auto narrow = [](LPCWSTR s, AnsiString& keep) -> LPCSTR {
      if (IS_INTRESOURCE(s)) return MAKEINTRESOURCEA(reinterpret_cast<ULONG_PTR>(s));
      keep = ResTextToAnsi(s);
      return keep.c_str();
    };
    AnsiString nameA, typeA;
    LPCSTR n = narrow(Name, nameA);
    LPCSTR t = narrow(ResType, typeA);
    res = FindResourceA(Instance, n, t);
  }
  HGLOBAL mem = res ? LoadResource(Instance, res) : nullptr;
  const void* data = mem ? LockResource(mem) : nullptr;
  if (!data) throw EResNotFound(FmtResStringA(SResNotFound, {DisplayName}));
  SetPointer(static_cast<const char*>(data), SizeofResource(Instance, res));
}

int TResourceStream::Write(const void*, int) {
  throw EStreamError(LoadResStringA(SResWriteError));
}
