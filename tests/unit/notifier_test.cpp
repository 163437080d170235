// Several followers of one change: each is told until its subscription goes,
// whichever side goes first and whatever a follower does while told.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/notifier.h"

namespace kestrel {
namespace {

TEST(Notifier, EverySubscriberIsToldUntilItsSubscriptionGoes) {
  Notifier<int> n;
  std::vector<std::string> told;
  auto a = n.Subscribe([&](int v) { told.push_back("a" + std::to_string(v)); });
  Notifier<int>::Subscription b = n.Subscribe([&](int v) { told.push_back("b" + std::to_string(v)); });
  n.Notify(1);  // a second subscriber does not replace the first
  b.Cancel();
  n.Notify(2);
  {
    auto c = n.Subscribe([&](int v) { told.push_back("c" + std::to_string(v)); });
    n.Notify(3);
  }
  n.Notify(4);
  EXPECT_EQ(told, (std::vector<std::string>{"a1", "b1", "a2", "a3", "c3", "a4"}));
  EXPECT_EQ(n.subscribers(), 1u);

  // A subscriber that cancels another, or itself, while told.
  told.clear();
  Notifier<int>::Subscription d, e;
  d = n.Subscribe([&](int) {
    told.push_back("d");
    e.Cancel();
    d.Cancel();
  });
  e = n.Subscribe([&](int) { told.push_back("e"); });
  n.Notify(5);
  n.Notify(6);
  EXPECT_EQ(told, (std::vector<std::string>{"a5", "d", "a6"}));
  // Moved subscriptions keep following; the one moved over is cancelled.
  told.clear();
  Notifier<int>::Subscription f = n.Subscribe([&](int) { told.push_back("f"); });
  Notifier<int>::Subscription g = std::move(f);
  a = std::move(g);
  n.Notify(7);
  EXPECT_EQ(told, (std::vector<std::string>{"f"}));

  // The notifier may go first: the subscriptions then end harmlessly.
  auto gone = std::make_unique<Notifier<>>();
  auto late = gone->Subscribe([] {});
  gone.reset();
  late.Cancel();
}

}  // namespace
}  // namespace kestrel
