#pragma once
// A change several others follow: each subscriber keeps its subscription
// and is told of every change until the subscription goes. Either side may
// go first; a subscriber may go while it is being told.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace kestrel {

template <typename... Args>
class Notifier {
  struct Slot {
    std::function<void(Args...)> fn;
    bool live = true;
  };
  using Slots = std::vector<std::shared_ptr<Slot>>;

 public:
  class Subscription {
   public:
    Subscription() = default;
    Subscription(Subscription&& o) noexcept : slot_(std::move(o.slot_)) {}
    Subscription& operator=(Subscription&& o) noexcept {
      Cancel();
      slot_ = std::move(o.slot_);
      return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Cancel(); }
    void Cancel() {
      if (auto s = slot_.lock()) s->live = false;
      slot_.reset();
    }

   private:
    friend class Notifier;
    explicit Subscription(std::weak_ptr<Slot> slot) : slot_(std::move(slot)) {}
    std::weak_ptr<Slot> slot_;
  };

  [[nodiscard]] Subscription Subscribe(std::function<void(Args...)> fn) {
    std::erase_if(slots_, [](const std::shared_ptr<Slot>& s) { return !s->live; });
    auto slot = std::make_shared<Slot>(Slot{std::move(fn)});
    slots_.push_back(slot);
    return Subscription(slot);
  }

  void Notify(Args... args) const {
    // A copy: a subscriber may subscribe or cancel while it is told.
    const Slots now = slots_;
    for (const auto& s : now)
      if (s->live && s->fn) s->fn(args...);
  }

  std::size_t subscribers() const {
    std::size_t n = 0;
    for (const auto& s : slots_) n += s->live;
    return n;
  }

 private:
  Slots slots_;
};

}  // namespace kestrel
