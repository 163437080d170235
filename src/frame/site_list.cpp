#include "frame/site_list.h"

#include <algorithm>

#include "common/trace.h"

namespace kestrel {

bool CSiteList::Contains(const CKestrelView* site) const {
  return site && std::find(sites_.begin(), sites_.end(), site) != sites_.end();
}

int CSiteList::TabIndex(const CKestrelView* site) const {
  auto it = std::find(tabs_.begin(), tabs_.end(), site);
  return site && it != tabs_.end() ? static_cast<int>(it - tabs_.begin()) : -1;
}

void CSiteList::Add(CKestrelView* site) {
  if (!site || Contains(site)) return;
  sites_.push_back(site);
  if (!active_) SetActive(site);
}

void CSiteList::Remove(CKestrelView* site) {
  auto it = std::find(sites_.begin(), sites_.end(), site);
  if (!site || it == sites_.end()) return;
  CKestrelView* next = active_ == site ? Successor(site) : active_;
  sites_.erase(it);
  if (const int i = TabIndex(site); i >= 0) {
    tabs_.erase(tabs_.begin() + i);
    TabsChanged();
  }
  SetActive(next);
  for (SiteListObserver* o : std::vector<SiteListObserver*>(observers_)) o->SiteRemoved(site);
}

bool CSiteList::Show(CKestrelView* site, bool activate) {
  if (!Contains(site)) return false;
  if (IsShown(site)) {
    Trace("debug", "Attempt add duplicate tabs to the same view!");
    return false;
  }
  tabs_.push_back(site);
  TabsChanged();
  if (activate) SetActive(site);
  return true;
}

void CSiteList::Hide(CKestrelView* site) {
  const int i = TabIndex(site);
  if (i < 0) return;
  CKestrelView* next = active_ == site ? Successor(site) : active_;
  tabs_.erase(tabs_.begin() + i);
  TabsChanged();
  SetActive(next);
}

CKestrelView* CSiteList::Successor(const CKestrelView* leaving) const {
  const int i = TabIndex(leaving);
  const int n = shownCount();
  if (i < 0) return n > 0 ? tabs_.front() : nullptr;
  return n > 1 ? tabs_[static_cast<std::size_t>((i + 1) % n)] : nullptr;
}

bool CSiteList::Activate(CKestrelView* site) {
  if (!Contains(site)) return false;
  if (site == active_) return true;
  if (!IsShown(site) && IsShown(active_)) return false;
  SetActive(site);
  return true;
}

CKestrelView* CSiteList::Neighbour(bool next) const {
  const int n = shownCount();
  if (n == 0) return nullptr;
  const int i = TabIndex(active_);
  const int j = i < 0 ? (next ? 0 : n - 1) : (next ? (i + 1) % n : (i + n - 1) % n);
  return tabs_[static_cast<std::size_t>(j)];
}

void CSiteList::AddObserver(SiteListObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void CSiteList::RemoveObserver(SiteListObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void CSiteList::SetActive(CKestrelView* site) {
  if (site == active_) return;
  active_ = site;
  // A copy: an observer may add or remove observers.
  for (SiteListObserver* o : std::vector<SiteListObserver*>(observers_)) o->ActiveChanged(site);
}

void CSiteList::TabsChanged() {
  for (SiteListObserver* o : std::vector<SiteListObserver*>(observers_)) o->TabsChanged();
}

}  // namespace kestrel
