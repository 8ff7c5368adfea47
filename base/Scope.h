// Brackets that undo on every path out of a scope, an exception included: what would otherwise
// be a "catch (...) { undo; throw; }" after the work and the same undo again after it.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

// Runs an undo that may itself raise (an EndUpdate that tells listeners, a realignment): on a
// normal way out its error reaches the caller as it would after a plain call; on the way out of an
// error already raised, the undo's own error is dropped so that the first one goes on (two at once
// would end the program).
template <class F>
void RunUndo(F& Undo, int UncaughtBefore) {
  if (std::uncaught_exceptions() <= UncaughtBefore) {
    Undo();
    return;
  }
  try {
    Undo();
  } catch (...) {
  }
}

// Runs an action when the scope ends, unless dismissed first:
//   auto restore = ScopeExit([&] { FBusy = false; });
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F Action) noexcept(std::is_nothrow_move_constructible_v<F>)
      : FAction(std::move(Action)) {}
  ~TScopeExit() noexcept(false) {
    if (FArmed) RunUndo(FAction, FUncaught);
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  // The work succeeded: the action is not needed.
  void Dismiss() noexcept { FArmed = false; }

 private:
  F FAction;
  bool FArmed = true;
  int FUncaught = std::uncaught_exceptions();
};

template <class F>
[[nodiscard]] TScopeExit<std::decay_t<F>> ScopeExit(F&& Action) {
  return TScopeExit<std::decay_t<F>>(std::forward<F>(Action));
}

// Holds a nesting counter up for the length of a scope (a "busy" or "updating" level that code
// further down asks about): ++ at the start, -- on every way out.
template <class Counter>
class TCounterGuard {
 public:
  explicit TCounterGuard(Counter& Value) : FValue(Value) { ++FValue; }
  ~TCounterGuard() { --FValue; }
  TCounterGuard(const TCounterGuard&) = delete;
  TCounterGuard& operator=(const TCounterGuard&) = delete;

 private:
  Counter& FValue;
};

// Sets a flag for the length of a scope and puts back what it was.
class TFlagGuard {
 public:
  explicit TFlagGuard(bool& Flag, bool During = true) : FFlag(Flag), FBefore(Flag) { FFlag = During; }
  ~TFlagGuard() { FFlag = FBefore; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

 private:
  bool& FFlag;
  bool FBefore;
};

// BeginUpdate on anything that batches its changes (lists, strings, collections, combo items),
// EndUpdate on every way out, so one raised error never leaves it deaf to changes.
template <class T>
class TUpdateBracket {
 public:
  explicit TUpdateBracket(T* Target) : FTarget(Target) {
    if (FTarget) FTarget->BeginUpdate();
  }
  ~TUpdateBracket() noexcept(false) {
    if (!FTarget) return;
    auto end = [this] { FTarget->EndUpdate(); };
    RunUndo(end, FUncaught);
  }
  TUpdateBracket(const TUpdateBracket&) = delete;
  TUpdateBracket& operator=(const TUpdateBracket&) = delete;

 private:
  T* FTarget;
  int FUncaught = std::uncaught_exceptions();
};
