#pragma once
// One site: an MDI child holding its web view.
#include <QMdiSubWindow>
#include <string>

class QWebEngineView;

namespace kestrel {

class SiteWindow : public QMdiSubWindow {
  Q_OBJECT
 public:
  explicit SiteWindow(QWidget* parent = nullptr);

  void Navigate(const std::string& url);
  QWebEngineView* view() const { return view_; }
  bool isBlank() const;
  int progress() const { return progress_; }
  std::string address() const;

  // Titles come from pages: bounded, and without control characters.
  static QString DisplayTitle(const QString& title);

 signals:
  void stateChanged();

 private:
  QWebEngineView* view_;
  int progress_ = 100;
};

}  // namespace kestrel
