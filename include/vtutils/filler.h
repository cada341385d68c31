// coiFiller: the collector through which an operation hands over a list one item at a time. The
// caller wraps a callable that takes one item by value; the operation calls fill() for each
// item, synchronously, on the calling thread.
//
//   std::vector<DWORD> ids;
//   vtuProcess::find_processes("tool", true, [&](vtuProcess p) { ids.push_back(p.process_id()); });
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

// The interface an operation fills.
template <class T>
class coiAbsFiller {
 public:
  virtual void fill(T item) = 0;
  virtual ~coiAbsFiller() = default;
};

// Holds the callable. fill() of an empty callable throws std::bad_function_call.
template <class T>
class coiFillerImpl : public coiAbsFiller<T> {
 public:
  explicit coiFillerImpl(std::function<void(T)> callable) : callable_(std::move(callable)) {}
  void fill(T item) override { callable_(std::move(item)); }

 private:
  std::function<void(T)> callable_;
};

// The collector passed by value: copies share one coiFillerImpl, so whichever copy is filled
// calls the caller's callable.
template <class T>
class coiFiller : public coiAbsFiller<T> {
 public:
  template <class Callable>
    requires(!std::is_same_v<std::remove_cvref_t<Callable>, coiFiller> &&
             std::is_constructible_v<std::function<void(T)>, Callable>)
  coiFiller(Callable callable)  // NOLINT: made from a lambda where a collector is expected
      : impl_(std::make_shared<coiFillerImpl<T>>(std::function<void(T)>(std::move(callable)))) {}

  void fill(T item) override { impl_->fill(std::move(item)); }

 private:
  std::shared_ptr<coiFillerImpl<T>> impl_;
};
