// The edge of a COM method, where no exception may pass: the one place that runs a method's body
// and turns whatever it raised into the method's answer. The callers say what a failure answers
// (the class library maps its exception types and sets the error information; other methods
// promise their callers one code), so this knows no exception type of ours.
#pragma once

#include <windows.h>

#include <exception>
#include <type_traits>
#include <utility>

// Runs Body and answers what it answers (S_OK for a body that answers nothing), or
// OnFailure(the exception) for whatever it raised. OnFailure must raise nothing itself.
template <class F, class A>
HRESULT AnswerAtComEdge(F&& Body, A&& OnFailure) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
      Body();
      return S_OK;
    } else {
      return Body();
    }
  } catch (...) {
    return std::forward<A>(OnFailure)(std::current_exception());
  }
}
