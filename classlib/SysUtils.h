// The class library's exception root and the exceptions the library itself raises.
#pragma once

#include <exception>
#include <windows.h>

#include "classlib/System.h"

// The root of every exception of our own code. The class library keeps its message as 8-bit text
// in the ANSI code page; classes that carry a wide message override WideMessage.
class Exception : public TObject, public std::exception {
  VGT_CLASS(Exception, TObject)
 public:
  explicit Exception(AnsiString message = {}) : FMessage(std::move(message)) {}

  const AnsiString& Message() const { return FMessage; }
  void SetMessage(AnsiString message) { FMessage = std::move(message); }
  // The message as UTF-16: the 8-bit message widened in the ANSI code page unless a subclass
  // holds the wide text itself.
  virtual WideString WideMessage() const;
  const char* what() const noexcept override { return FMessage.c_str(); }

 protected:
  AnsiString FMessage;
};

// Declares an exception class that only names itself: class EFoo : public EBar { ... }.
#define VGT_EXCEPTION(Self, Parent)                                \
  class Self : public Parent {                                     \
    VGT_CLASS(Self, Parent)                                        \
   public:                                                         \
    using Parent::Parent;                                          \
  }

VGT_EXCEPTION(EAbort, Exception);
VGT_EXCEPTION(EConvertError, Exception);
VGT_EXCEPTION(EInvalidCast, Exception);
VGT_EXCEPTION(EInvalidOperation, Exception);
VGT_EXCEPTION(EOutOfResources, Exception);
VGT_EXCEPTION(EListError, Exception);
VGT_EXCEPTION(EStringListError, Exception);
VGT_EXCEPTION(EStreamError, Exception);
VGT_EXCEPTION(EFCreateError, EStreamError);
VGT_EXCEPTION(EFOpenError, EStreamError);
VGT_EXCEPTION(EReadError, EStreamError);
VGT_EXCEPTION(EWriteError, EStreamError);
VGT_EXCEPTION(EResNotFound, Exception);
VGT_EXCEPTION(EComponentError, Exception);

// A failed platform call; ErrorCode is the thread's last-error value at the failure.
class EOSError : public Exception {
  VGT_CLASS(EOSError, Exception)
 public:
  explicit EOSError(AnsiString message = {}, DWORD errorCode = 0)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  DWORD ErrorCode;
};
