#include "ui/alias_dialog_qt.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "address/alias_dialog.h"
#include "common/message.h"

namespace kestrel {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString T(const char* english) { return Q(TranslateMessage(english)); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

class AliasDialog : public QDialog {
 public:
  AliasDialog(QWidget* parent, AliasList& list, const std::string& path,
              std::function<void(const std::string&)> openHelp)
      : QDialog(parent), list_(list), path_(path), openHelp_(std::move(openHelp)) {
    setWindowTitle(T("Alias Definitions"));
    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left, 1);

    tree_ = new QTreeWidget;
    tree_->setColumnCount(2);
    tree_->setHeaderLabels({T("Alias"), T("URL or Command in Full")});
    tree_->setRootIsDecorated(false);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->setSortingEnabled(false);  // the model sorts
    tree_->header()->setSectionsClickable(true);
    tree_->header()->setSortIndicatorShown(true);
    tree_->setColumnWidth(0, 80);
    tree_->setColumnWidth(1, 400);
    tree_->setMinimumWidth(500);
    left->addWidget(tree_);

    auto* form = new QFormLayout;
    aliasEdit_ = new QLineEdit;
    fullEdit_ = new QLineEdit;
    form->addRow(T("Alias:"), aliasEdit_);
    form->addRow(T("Full Text:"), fullEdit_);
    left->addLayout(form);

    auto* buttons = new QVBoxLayout;
    top->addLayout(buttons);
    auto button = [&](const char* text, auto slot) {
      auto* b = new QPushButton(T(text));
      b->setAutoDefault(false);  // Enter in an edit field does not close or add
      buttons->addWidget(b);
      connect(b, &QPushButton::clicked, this, slot);
      return b;
    };
    button("Add", [this] { Do(&AliasDialogModel::Add); });
    button("Remove", [this] { Do(&AliasDialogModel::Remove); });
    button("Change", [this] { Do(&AliasDialogModel::Change); });
    button("Help", [this] {
      if (openHelp_) openHelp_(AliasDialogModel::kHelpPage);
    });
    buttons->addStretch(1);
    button("Close", [this] {
      model_.Close(list_, path_);
      accept();
    });

    connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
    connect(tree_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
      model_.SortBy(column);
      Refresh();
    });

    model_.Open(list_);
    Refresh();
  }

 private:
  void Do(bool (AliasDialogModel::*op)()) {
    model_.SetFields(S(aliasEdit_->text()), S(fullEdit_->text()));
    (model_.*op)();
    Refresh();
  }

  void SelectionChanged() {
    if (refreshing_) return;
    std::set<int> rows;
    for (QTreeWidgetItem* item : tree_->selectedItems()) rows.insert(tree_->indexOfTopLevelItem(item));
    model_.SetFields(S(aliasEdit_->text()), S(fullEdit_->text()));  // kept when nothing is selected
    model_.Select(rows);
    aliasEdit_->setText(Q(model_.aliasField()));
    fullEdit_->setText(Q(model_.fullTextField()));
  }

  // Mirrors the whole model state into the widgets.
  void Refresh() {
    refreshing_ = true;
    {
      QSignalBlocker block(tree_);
      tree_->clear();
      const QIcon icon = style()->standardIcon(QStyle::SP_FileLinkIcon);
      QList<QTreeWidgetItem*> items;
      for (const AliasEntry& e : model_.rows()) {
        auto* item = new QTreeWidgetItem({Q(e.alias), Q(e.fullText)});
        item->setIcon(0, icon);
        items.append(item);
      }
      tree_->addTopLevelItems(items);
      for (int r : model_.selection()) tree_->topLevelItem(r)->setSelected(true);
      tree_->header()->setSortIndicator(model_.sortColumn(),
                                        model_.ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
      if (model_.focusRow() >= 0) {
        QTreeWidgetItem* focus = tree_->topLevelItem(model_.focusRow());
        tree_->setCurrentItem(focus, 0, QItemSelectionModel::NoUpdate);
        tree_->scrollToItem(focus);
      }
    }
    aliasEdit_->setText(Q(model_.aliasField()));
    fullEdit_->setText(Q(model_.fullTextField()));
    refreshing_ = false;
  }

  AliasList& list_;
  std::string path_;
  std::function<void(const std::string&)> openHelp_;
  AliasDialogModel model_;
  QTreeWidget* tree_ = nullptr;
  QLineEdit* aliasEdit_ = nullptr;
  QLineEdit* fullEdit_ = nullptr;
  bool refreshing_ = false;
};

}  // namespace

bool RunAliasDialog(QWidget* parent, AliasList& list, const std::string& path,
                    std::function<void(const std::string&)> openHelp) {
  AliasDialog dialog(parent, list, path, std::move(openHelp));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace kestrel
