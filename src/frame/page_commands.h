#pragma once
// The commands that act on the page of the active site: clipboard, find,
// source, save, print, properties, text size, encoding, zoom, the download
// control and Up One Level. Each acts on that site only; one that cannot act
// now is disabled.
#include <optional>
#include <string>

#include "frame/main_frame.h"

namespace kestrel {

class PageDialogs {
 public:
  virtual ~PageDialogs() = default;
  // The file the page is saved to (`title` proposes its name); nullopt on Cancel.
  virtual std::optional<std::string> SavePageFile(const std::string& title, SavePageFormat format) = 0;
  virtual void Print(CKestrelView& site) = 0;
  virtual void PrintPreview(CKestrelView& site) = 0;
  virtual void PageSetup() = 0;
  virtual void Properties(const PageProperties& page) = 0;
};

class CPageCommands {
 public:
  CPageCommands(CMainFrame& frame, PageDialogs& dialogs);
  CPageCommands(const CPageCommands&) = delete;
  CPageCommands& operator=(const CPageCommands&) = delete;

  // Save As (complete) or Save Without Picture (HTML only).
  void SavePage(CKestrelView& site, SavePageFormat format);
  void ShowProperties(CKestrelView& site);

 private:
  CMainFrame& frame_;
  PageDialogs& dialogs_;
  CommandScope commands_;
};

}  // namespace kestrel
