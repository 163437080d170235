#pragma once
// Tools > Clean Trace: the history, the typed addresses and the searches
// of the Address Bar and the Quick-Search Bar, the cookies and the cached
// files, each after a question. A part that could not be cleaned is named;
// nothing is said when all went.
#include <functional>
#include <string>
#include <vector>

#include "address/search_engines.h"
#include "address/typed_urls.h"
#include "frame/command_registry.h"
#include "platform/browsing_data.h"
#include "platform/history_store.h"
#include "platform/profile.h"

namespace kestrel {

class CCleanTrace {
 public:
  struct Parts {
    CommandRegistry& registry;
    BrowsingData& engine;
    HistoryStore& history;
    TypedUrlList& typedUrls;
    Profile& profile;  // where the typed addresses are kept
    QueryHistory& queries;
    std::string queryHistoryFile;
    // The history is gone: what shows it (the History pane, the Address
    // Bar's earlier pages) follows.
    std::function<void()> historyCleared;
  };
  explicit CCleanTrace(Parts parts);

  // Each gives the parts that could not be cleaned ("" for none).
  std::vector<std::string> CleanHistory();
  std::vector<std::string> CleanCookies();
  std::vector<std::string> CleanCache();

 private:
  void Run(const char* question, const std::function<std::vector<std::string>()>& clean);
  Parts p_;
  CommandScope commands_;
};

}  // namespace kestrel
