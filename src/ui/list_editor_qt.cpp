#include "ui/list_editor_qt.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/message.h"
#include "ui/qt_text.h"

namespace kestrel {

QtListEditor::QtListEditor(QWidget* parent, ListEditorModel& model, const ListEditorLook& look,
                           std::function<void()> help)
    : QDialog(parent), model_(model) {
  setWindowTitle(T(look.title));
  auto* top = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  top->addLayout(left, 1);

  rows_ = new QTreeWidget;
  if (!look.caption.empty()) {
    auto* label = new QLabel(T(look.caption));
    label->setWordWrap(true);
    label->setBuddy(rows_);
    left->addWidget(label);
  }
  rows_->setColumnCount(model_.Columns());
  rows_->setRootIsDecorated(false);
  rows_->setUniformRowHeights(true);
  rows_->setSelectionMode(look.multiSelect ? QAbstractItemView::ExtendedSelection
                                           : QAbstractItemView::SingleSelection);
  rows_->setSortingEnabled(false);  // the model sorts
  rows_->setMinimumSize(look.minimumWidth, look.minimumHeight);
  if (look.headers.empty()) {
    rows_->setHeaderHidden(true);
  } else {
    QStringList headers;
    for (const std::string& h : look.headers) headers << T(h);
    rows_->setHeaderLabels(headers);
    rows_->header()->setSectionsClickable(true);
    rows_->header()->setSortIndicatorShown(model_.SortColumn() >= 0);
    rows_->setColumnWidth(0, 100);
  }
  left->addWidget(rows_, 1);

  auto* form = new QFormLayout;
  for (int c = 0; c < model_.Columns(); ++c) {
    auto* edit = new QLineEdit;
    const std::string label = c < static_cast<int>(look.fields.size()) ? look.fields[static_cast<std::size_t>(c)] : "";
    if (label.empty())
      form->addRow(edit);
    else
      form->addRow(T(label), edit);
    fields_.push_back(edit);
  }
  left->addLayout(form);

  buttons_ = new QVBoxLayout;
  top->addLayout(buttons_);
  connect(AddButton("Add"), &QPushButton::clicked, this, [this] { Do(&ListEditorModel::Add); });
  connect(AddButton("Remove"), &QPushButton::clicked, this, [this] { Do(&ListEditorModel::Remove); });
  connect(AddButton("Change"), &QPushButton::clicked, this, [this] { Do(&ListEditorModel::Change); });
  connect(AddButton("Help"), &QPushButton::clicked, this, [help = std::move(help)] {
    if (help) help();
  });
  buttons_->addStretch(1);

  connect(rows_, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
  connect(rows_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    model_.SortBy(column);
    Refresh();
  });
  Refresh();
  // An empty list is opened to type the first entry.
  if (model_.RowCount() == 0 && !fields_.empty()) fields_.front()->setFocus();
}

QPushButton* QtListEditor::AddButton(const std::string& text) {
  auto* b = new QPushButton(T(text));
  b->setAutoDefault(false);  // Enter in an edit field neither adds nor closes
  buttons_->addWidget(b);
  return b;
}

void QtListEditor::AddClosingButton(const std::string& text, std::function<void()> before, bool accept) {
  connect(AddButton(text), &QPushButton::clicked, this, [this, before = std::move(before), accept] {
    if (before) before();
    if (accept)
      QDialog::accept();
    else
      reject();
  });
}

void QtListEditor::StoreFields() {
  std::vector<std::string> texts;
  for (QLineEdit* e : fields_) texts.push_back(S(e->text()));
  model_.SetFields(texts);
}

void QtListEditor::Do(bool (ListEditorModel::*op)()) {
  StoreFields();
  (model_.*op)();
  Refresh();
}

void QtListEditor::SelectionChanged() {
  if (refreshing_) return;
  std::set<int> rows;
  for (QTreeWidgetItem* item : rows_->selectedItems()) rows.insert(rows_->indexOfTopLevelItem(item));
  StoreFields();  // kept when nothing is selected
  model_.SelectRows(rows);
  ShowFields();
}

void QtListEditor::ShowFields() {
  for (std::size_t c = 0; c < fields_.size(); ++c) fields_[c]->setText(Q(model_.Field(static_cast<int>(c))));
}

void QtListEditor::Refresh() {
  refreshing_ = true;
  {
    QSignalBlocker block(rows_);
    rows_->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t r = 0; r < model_.RowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < model_.Columns(); ++c) cells << Q(model_.Cell(r, c));
      items.append(new QTreeWidgetItem(cells));
    }
    rows_->addTopLevelItems(items);
    for (int r : model_.SelectedRows())
      if (QTreeWidgetItem* item = rows_->topLevelItem(r)) item->setSelected(true);
    if (model_.SortColumn() >= 0)
      rows_->header()->setSortIndicator(model_.SortColumn(),
                                        model_.SortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (QTreeWidgetItem* focus = rows_->topLevelItem(model_.FocusRow())) {
      rows_->setCurrentItem(focus, 0, QItemSelectionModel::NoUpdate);
      rows_->scrollToItem(focus);
    }
  }
  ShowFields();
  refreshing_ = false;
}

}  // namespace kestrel
