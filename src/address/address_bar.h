#pragma once
// What the Address Bar does with its text, apart from the widget: Enter and
// a choice from the drop-down open through the resolver and go on top of the
// typed-address list; Escape puts the page's address back; the completion
// list follows the typed addresses and the pages visited in this run.
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "address/resolver.h"
#include "address/typed_urls.h"

namespace kestrel {

// The Address Bar widget as the logic sees it.
class AddressBarView {
 public:
  virtual ~AddressBarView() = default;
  virtual std::string AddressText() const = 0;
  // After Enter or a choice: the trimmed text, the caret at its end.
  virtual void SetAddressTextTrimmed(const std::string& text) = 0;
  // The page's address, shown from its start.
  virtual void ShowPageAddress(const std::string& text) = 0;
  virtual void SetAddressItems(const std::vector<std::string>& items) = 0;
  // What the field offers to complete, in order.
  virtual void SetAddressCompletions(const std::vector<std::string>& completions) = 0;
  // The keyboard focus goes to the field, its text selected.
  virtual void FocusAddress() = 0;
  virtual bool AddressHasFocus() const = 0;
  // The text counts as typed: the page's address does not replace it.
  virtual void MarkAddressEdited() = 0;
};

class CAddressBar {
 public:
  static constexpr std::size_t kVisitedMax = 500;
  static constexpr std::size_t kVisitedItemMax = 2048;
  // A choice from the drop-down is cut to this many bytes before it is opened.
  static constexpr std::size_t kChosenMax = 259;

  // Follows every change of `typed` from now on.
  CAddressBar(AddressBarView& view, CAddressResolver& resolver, TypedUrlList& typed);
  ~CAddressBar();
  CAddressBar(const CAddressBar&) = delete;
  CAddressBar& operator=(const CAddressBar&) = delete;

  void Enter();
  void Choose(int index);
  // Escape in the field: the page's address goes back into it, and stays
  // "being edited" so that the page does not overwrite it again at once.
  void Escape(const std::string& pageAddress);
  // The Escape command (2): the same, but only while the field has the focus.
  void EscapeCommand(const std::string& pageAddress);
  // Alt+D and F6: the field takes the keyboard focus.
  void Focus() { view_.FocusAddress(); }
  // A page finished loading at `url`.
  void RememberVisited(const std::string& url);
  // Pages of earlier runs, newest first, behind this run's own.
  void RememberHistory(const std::vector<std::string>& urls);
  // Clean History: the earlier runs' pages go from the completion.
  void ForgetHistory();
  // The system's auto-completion is switched on once, late in start-up.
  void EnableCompletion();

  const std::deque<std::string>& visited() const { return visited_; }
  // The typed addresses, then the visited ones, each once: two that differ
  // only in letter case (any letters, not just ASCII) count as one.
  static std::vector<std::string> MergeCompletions(const std::vector<std::string>& typed,
                                                   const std::deque<std::string>& visited);

 private:
  void RefreshCompletions();
  AddressBarView& view_;
  CAddressResolver& resolver_;
  TypedUrlList& typed_;
  // Newest first.
  std::deque<std::string> visited_;
  bool completion_ = false;
  Notifier<>::Subscription typedChanged_;
};

}  // namespace kestrel
