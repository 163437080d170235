#pragma once
// The Quick-Search Bar: "Search@", the engine list, "For", the editable
// query box with the remembered queries and "Go". It shows the engine list
// and the query history it is given, keeps the engine selection in the list
// and hands the typed query to `search`; it decides nothing itself.
#include <QWidget>
#include <functional>
#include <string>

#include "address/search_engines.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrel {

class QtQuickSearchBar : public QWidget {
  Q_OBJECT
 public:
  // The query exactly as typed (bind to QuickSearch).
  using SearchFn = std::function<void(const std::string& query)>;

  // Follows the changes of `engines` and `history`, and fills itself from them.
  QtQuickSearchBar(CSearchEngines& engines, QueryHistory& history, SearchFn search, QWidget* parent = nullptr);
  ~QtQuickSearchBar() override;

  // What "Go" and Enter in the query field do.
  void Search();

  // Refill from the lists; what is typed in the query field stays.
  void RefreshEngines();
  void RefreshHistory();

  std::string QueryText() const;
  void SetQueryText(const std::string& text);

  QComboBox* engineBox() const { return engineBox_; }
  QComboBox* queryBox() const { return queryBox_; }
  QLineEdit* queryEdit() const;
  QPushButton* goButton() const { return go_; }

 private:
  CSearchEngines& engines_;
  QueryHistory& history_;
  SearchFn search_;
  QLabel* searchLabel_ = nullptr;
  QComboBox* engineBox_ = nullptr;
  QLabel* forLabel_ = nullptr;
  QComboBox* queryBox_ = nullptr;
  QPushButton* go_ = nullptr;
  Notifier<>::Subscription enginesChanged_, historyChanged_;
};

}  // namespace kestrel
