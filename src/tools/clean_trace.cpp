#include "tools/clean_trace.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "common/message.h"
#include "frame/command_ids.h"

namespace kestrel {

CCleanTrace::CCleanTrace(Parts parts) : p_(std::move(parts)), commands_(p_.registry) {
  commands_.Add(ID_CLEAN_HISTORY, [this](const CommandContext&) {
    Run("Are you sure to clean browser history?", [this] { return CleanHistory(); });
  });
  commands_.Add(ID_CLEAN_COOKIES, [this](const CommandContext&) {
    Run("Are you sure to clean all cookies?", [this] { return CleanCookies(); });
  });
  commands_.Add(ID_CLEAN_CACHE, [this](const CommandContext&) {
    Run("Are you sure to clean all the cached Internet files?", [this] { return CleanCache(); });
  });
  commands_.Add(ID_CLEAN_ALL, [this](const CommandContext&) {
    Run("This operation will clean all browser history, cookies, cache.\nIt can't be undone. Are you sure to continue?",
        [this] {
          std::vector<std::string> failed = CleanCookies();
          for (std::string& f : CleanCache()) failed.push_back(std::move(f));
          for (std::string& f : CleanHistory()) failed.push_back(std::move(f));
          return failed;
        });
  });
}

void CCleanTrace::Run(const char* question, const std::function<std::vector<std::string>()>& clean) {
  if (!ShowMessage(question, MessageKind::Question)) return;
  const std::vector<std::string> failed = clean();
  if (failed.empty()) return;
  // Said, never passed over: the user believes the trace is gone otherwise.
  std::string text = TranslateMessage("Some of the trace could not be cleaned:");
  for (const std::string& f : failed) text += "\n" + f;
  ShowMessage(text);
}

std::vector<std::string> CCleanTrace::CleanHistory() {
  std::vector<std::string> failed;
  if (!p_.history.Clear()) failed.push_back(TranslateMessage("the history") + " (" + p_.history.lastError() + ")");
  if (!p_.engine.ClearVisitedLinks()) failed.push_back(TranslateMessage("the visited links"));
  if (p_.historyCleared) p_.historyCleared();
  p_.typedUrls.Clear(p_.profile);
  if (::unlink(p_.queryHistoryFile.c_str()) != 0 && errno != ENOENT)
    failed.push_back("Can't delete " + p_.queryHistoryFile + "! (" + std::strerror(errno) + ")");
  p_.queries.Clear();
  return failed;
}

std::vector<std::string> CCleanTrace::CleanCookies() {
  if (p_.engine.ClearCookies()) return {};
  return {TranslateMessage("the cookies")};
}

std::vector<std::string> CCleanTrace::CleanCache() {
  if (p_.engine.ClearCache()) return {};
  return {TranslateMessage("the cached files")};
}

}  // namespace kestrel
