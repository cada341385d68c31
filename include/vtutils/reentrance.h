// vtuReentranceToken and vtuReentranceGuard: detecting that a piece of code is entered again on
// the same thread while it is still running, for example a handler called from within itself.
#pragma once

#include "vtutils/export.h"

// Counts how deep a piece of code is entered. The count is not bounded below: an exit without
// an enter makes it negative, and the token stays out until enters bring it back above zero.
// A token and its guards belong to one thread; the count is not atomic.
class VTUTILS_API vtuReentranceToken {
 public:
  vtuReentranceToken() = default;

  void enter() { ++count_; }
  void exit() { --count_; }

  bool is_in() const { return count_ > 0; }
  bool is_out() const { return count_ < 1; }

 private:
  int count_ = 0;
};

// Enters a token for its lifetime, so the count is restored on every way out of a block,
// exceptions included. The token must outlive the guard. Not copyable: a copy would exit twice.
class VTUTILS_API vtuReentranceGuard {
 public:
  explicit vtuReentranceGuard(vtuReentranceToken& token) : token_(token) { token_.enter(); }
  ~vtuReentranceGuard() { token_.exit(); }

  vtuReentranceGuard(const vtuReentranceGuard&) = delete;
  vtuReentranceGuard& operator=(const vtuReentranceGuard&) = delete;

 private:
  vtuReentranceToken& token_;
};
