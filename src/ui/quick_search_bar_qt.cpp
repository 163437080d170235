#include "ui/quick_search_bar_qt.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "common/message.h"
#include "ui/qt_text.h"

namespace kestrel {

QtQuickSearchBar::QtQuickSearchBar(CSearchEngines& engines, QueryHistory& history, SearchFn search, QWidget* parent)
    : QWidget(parent), engines_(engines), history_(history), search_(std::move(search)) {
  setObjectName("QuickSearchBar");
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 0, 2, 0);
  row->setSpacing(4);

  searchLabel_ = new QLabel(T("Search@"));
  engineBox_ = new QComboBox;
  engineBox_->setEditable(false);
  engineBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  engineBox_->setMinimumContentsLength(10);
  forLabel_ = new QLabel(T("For"));

  queryBox_ = new QComboBox;
  queryBox_->setEditable(true);
  // The box must not add what is typed (the history does, most recent first),
  // nor complete it: the search takes the text exactly as typed.
  queryBox_->setInsertPolicy(QComboBox::NoInsert);
  queryBox_->setDuplicatesEnabled(true);
  queryBox_->setCompleter(nullptr);
  queryBox_->setMaxVisibleItems(20);
  queryBox_->setMinimumContentsLength(14);
  queryBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  // The address takes the row's spare width; a query is short.
  queryBox_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  QLineEdit* edit = queryBox_->lineEdit();
  // The box treats leaving the field with an item's text in it as a choice
  // of that item; only Enter and "Go" search.
  QObject::disconnect(edit, &QLineEdit::editingFinished, queryBox_, nullptr);
  connect(edit, &QLineEdit::returnPressed, this, [this] { Search(); });

  go_ = new QPushButton(T("Go"));
  go_->setAutoDefault(false);
  go_->setDefault(false);
  connect(go_, &QPushButton::clicked, this, [this] { Search(); });

  connect(engineBox_, qOverload<int>(&QComboBox::currentIndexChanged), this,
          [this](int index) { engines_.Select(index); });

  row->addWidget(searchLabel_);
  row->addWidget(engineBox_);
  row->addWidget(forLabel_);
  row->addWidget(queryBox_);
  row->addWidget(go_);

  enginesChanged_ = engines_.changed.Subscribe([this] { RefreshEngines(); });
  historyChanged_ = history_.changed.Subscribe([this] { RefreshHistory(); });
  RefreshEngines();
  RefreshHistory();
}

QtQuickSearchBar::~QtQuickSearchBar() = default;

QLineEdit* QtQuickSearchBar::queryEdit() const { return queryBox_->lineEdit(); }

std::string QtQuickSearchBar::QueryText() const { return queryEdit()->text().toStdString(); }

void QtQuickSearchBar::SetQueryText(const std::string& text) { queryEdit()->setText(Q(text)); }

void QtQuickSearchBar::Search() {
  if (search_) search_(QueryText());
}

void QtQuickSearchBar::RefreshEngines() {
  QSignalBlocker block(engineBox_);
  engineBox_->clear();
  for (const SearchEngine& e : engines_.engines()) engineBox_->addItem(Q(e.name));
  engineBox_->setCurrentIndex(engines_.selectedIndex());
}

void QtQuickSearchBar::RefreshHistory() {
  // Refilling an editable box empties its field; the typing stays.
  QLineEdit* edit = queryEdit();
  const QString typed = edit->text();
  const int cursor = edit->cursorPosition();
  QStringList list;
  list.reserve(static_cast<qsizetype>(history_.items().size()));
  for (const std::string& s : history_.items()) list << Q(s);
  QSignalBlocker block(queryBox_);
  queryBox_->clear();
  queryBox_->addItems(list);
  queryBox_->setCurrentIndex(-1);
  edit->setText(typed);
  edit->setCursorPosition(cursor);
}

}  // namespace kestrel
