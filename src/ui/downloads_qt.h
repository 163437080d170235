#pragma once
// The engine's downloads on the desktop: the question where to save each
// one, the Downloads window that follows them, and the status bar's count.
// What happens to the files is decided by CDownloads.
#include <QDialog>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "common/notifier.h"
#include "downloads/downloads.h"

class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class QWebEngineDownloadRequest;

namespace kestrel {

class DownloadsTable;
class Shell;

class QtDownloadsWindow : public QDialog {
 public:
  QtDownloadsWindow(CDownloads& downloads, Shell& shell, QWidget* parent);
  ~QtDownloadsWindow() override;
  // Brings the rows up to date with the downloads (the changes are
  // gathered and shown a few times a second, however many arrive).
  void Refresh();
  QTableView* table() { return view_; }

 private:
  int Selected() const;  // the id of the selected download, 0 for none
  void UpdateButtons();
  void OpenSelected();

  CDownloads& downloads_;
  Shell& shell_;
  DownloadsTable* model_ = nullptr;
  int selectedId_ = 0;
  QTableView* view_ = nullptr;
  QPushButton* pause_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* folder_ = nullptr;
};

class QtDownloads {
 public:
  // `folder`: where the save question starts; "" for the user's download folder.
  QtDownloads(CDownloads& downloads, Shell& shell, QWidget* window, std::string folder = {});
  ~QtDownloads();
  QtDownloads(const QtDownloads&) = delete;
  QtDownloads& operator=(const QtDownloads&) = delete;

  // Asks where to save what the engine offers, then starts or cancels it.
  void Take(QWebEngineDownloadRequest* request);
  void ShowWindow();
  QtDownloadsWindow* window() { return window_; }
  // Shows how many downloads run; lives in the status bar.
  QLabel* statusLabel() { return status_; }
  const std::string& folder() const { return folder_; }
  // The save question: the path chosen for `proposed`, "" for Cancel. The
  // file dialog unless replaced (tests answer it themselves).
  std::function<std::string(const std::string& proposed)> askSavePath;

 private:
  void Changed();
  // Saves what `request` fetches as `partPath`, for the list's download `id`.
  void Follow(QWebEngineDownloadRequest* request, int id, const std::string& partPath);

  CDownloads& downloads_;
  Shell& shell_;
  QWidget* parent_;
  std::string folder_;
  QPointer<QtDownloadsWindow> window_;
  // Owned by the status bar once placed there; the downloads' signals and
  // the refresh timer are tied to it, so it goes with this object.
  QPointer<QLabel> status_;
  QTimer* timer_ = nullptr;
  Notifier<int>::Subscription changed_;
  std::map<quint32, int> taken_;  // the engine's ids of the downloads: the list's
};

}  // namespace kestrel
