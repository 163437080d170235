#include "ui/hidden_sites_qt.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/message.h"
#include "ui/qt_text.h"

namespace kestrel {
namespace {

class HiddenSitesDialog : public QDialog {
 public:
  HiddenSitesDialog(QWidget* parent, HiddenSitesActions actions) : QDialog(parent), a_(std::move(actions)) {
    setWindowTitle(T("Hidden Sites"));
    auto* top = new QHBoxLayout(this);
    list_ = new QTreeWidget;
    list_->setColumnCount(3);
    list_->setHeaderLabels({T("Title"), T("Auto Close"), T("Address")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setColumnWidth(0, 200);
    list_->setColumnWidth(1, 65);
    list_->setColumnWidth(2, 300);
    list_->setMinimumWidth(580);
    top->addWidget(list_, 1);
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const HiddenSiteRow& r : a_.rows) {
      auto* item = new QTreeWidgetItem({Q(r.title), r.autoClose ? T("yes") : T("no"), Q(r.address)});
      item->setIcon(0, icon);
      list_->addTopLevelItem(item);
    }
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));

    auto* buttons = new QVBoxLayout;
    top->addLayout(buttons);
    auto button = [&](const char* text, auto slot) {
      auto* b = new QPushButton(T(text));
      b->setAutoDefault(false);
      buttons->addWidget(b);
      connect(b, &QPushButton::clicked, this, slot);
    };
    button("Show", [this] { ShowSelected(false); });
    button("Add Into White List", [this] { ShowSelected(true); });
    button("Help", [this] {
      if (a_.openHelp) a_.openHelp("hiddensites.htm");
    });
    buttons->addStretch(1);
    button("Done", [this] { accept(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
      list_->setCurrentItem(item);
      ShowSelected(false);
    });
  }

 private:
  void ShowSelected(bool white) {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected()) {
      ShowMessage("Please select a site!");
      return;
    }
    const int row = list_->indexOfTopLevelItem(item);
    CKestrelView* site = a_.rows[static_cast<std::size_t>(row)].site;
    if (white && a_.addToWhiteList) a_.addToWhiteList(site);
    if (a_.show) a_.show(site);
    a_.rows.erase(a_.rows.begin() + row);
    delete list_->takeTopLevelItem(row);
    const int n = list_->topLevelItemCount();
    if (n > 0) list_->setCurrentItem(list_->topLevelItem(row < n ? row : n - 1));
  }

  HiddenSitesActions a_;
  QTreeWidget* list_ = nullptr;
};

}  // namespace

void RunHiddenSitesDialog(QWidget* parent, HiddenSitesActions actions) {
  HiddenSitesDialog dialog(parent, std::move(actions));
  dialog.exec();
}

}  // namespace kestrel
