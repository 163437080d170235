#pragma once
// The sites of the main frame: every site in the order it was made (newest
// last), the ones that are shown in the order they were shown (the tab
// order), and the active one. One rule says who takes over when the active
// site is closed or hidden: the next site in tab order, wrapping around.
// The tab bar and the site windows follow this list through its observers;
// nothing else keeps a copy of which site is active. Sites are opaque keys
// here, never dereferenced.
#include <vector>

namespace kestrel {

class CKestrelView;

class SiteListObserver {
 public:
  virtual ~SiteListObserver() = default;
  // The tab order changed: a site was shown, hidden or closed.
  virtual void TabsChanged() {}
  // Another site is active now (nullptr: none).
  virtual void ActiveChanged(CKestrelView* site) { (void)site; }
  // The site is off the list (after TabsChanged and ActiveChanged).
  virtual void SiteRemoved(CKestrelView* site) { (void)site; }
};

class CSiteList {
 public:
  const std::vector<CKestrelView*>& sites() const { return sites_; }
  const std::vector<CKestrelView*>& tabs() const { return tabs_; }
  CKestrelView* active() const { return active_; }
  CKestrelView* newest() const { return sites_.empty() ? nullptr : sites_.back(); }
  bool Contains(const CKestrelView* site) const;
  bool IsShown(const CKestrelView* site) const { return TabIndex(site) >= 0; }
  int TabIndex(const CKestrelView* site) const;  // -1 without a tab
  int shownCount() const { return static_cast<int>(tabs_.size()); }

  // A new site, hidden, newest. With no site active it becomes the active
  // one, so that typed text goes to it instead of opening yet another.
  void Add(CKestrelView* site);
  // The site is gone. When it was active the successor takes over.
  void Remove(CKestrelView* site);
  // The site gets a tab at the end of the row; `activate` makes it the
  // active site. False when it had a tab already (nothing changes).
  bool Show(CKestrelView* site, bool activate);
  // The site loses its tab; when it was active the successor takes over.
  void Hide(CKestrelView* site);
  // Who takes over from `leaving`: the next shown site after it in tab
  // order, wrapping around; nullptr when no other site is shown. A site
  // without a tab hands over to the first tab.
  CKestrelView* Successor(const CKestrelView* leaving) const;
  // The user or the window system activated the site. A site kept out of
  // view (a popup being judged) does not take the activation from a shown
  // one: false, and the active site stays.
  bool Activate(CKestrelView* site);
  // Next and Previous Window: the neighbouring tab of the active site,
  // wrapping around; from a site without a tab, the first or the last tab.
  // nullptr with no tabs.
  CKestrelView* Neighbour(bool next) const;

  void AddObserver(SiteListObserver* observer);
  void RemoveObserver(SiteListObserver* observer);

 private:
  void SetActive(CKestrelView* site);
  void TabsChanged();

  std::vector<CKestrelView*> sites_;
  std::vector<CKestrelView*> tabs_;
  CKestrelView* active_ = nullptr;
  std::vector<SiteListObserver*> observers_;
};

}  // namespace kestrel
