#include "ui/explorer_bar_qt.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QKeyEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "collections/history.h"
#include "common/trace.h"
#include "frame/command_ids.h"
#include "ui/favorites_qt.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

constexpr int kPathRole = Qt::UserRole;
// The newest visits a History pane shows; older ones stay in the store.
constexpr std::size_t kHistoryPaneMax = 100000;

// A tree that opens an entry on a single click or Enter, and opens or
// closes a branch the same way.
class EnterKey : public QObject {
 public:
  EnterKey(QAbstractItemView* view, std::function<void(const QModelIndex&)> choose)
      : QObject(view), view_(view), choose_(std::move(choose)) {
    view->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || !view_->currentIndex().isValid()) return false;
    choose_(view_->currentIndex());
    return true;
  }

 private:
  QAbstractItemView* view_;
  std::function<void(const QModelIndex&)> choose_;
};

void OnChoose(QAbstractItemView* view, std::function<void(const QModelIndex&)> choose) {
  QObject::connect(view, &QAbstractItemView::clicked, view, [choose](const QModelIndex& i) { choose(i); });
  new EnterKey(view, std::move(choose));
}

QTreeWidget* NewTree(const char* name) {
  auto* tree = new QTreeWidget;
  tree->setObjectName(QLatin1String(name));
  tree->setHeaderHidden(true);
  tree->setUniformRowHeights(true);
  tree->setFrameShape(QFrame::NoFrame);
  tree->setExpandsOnDoubleClick(false);  // one click does it
  return tree;
}

QIcon PageIcon(const QWidget* w) {
  return QIcon::fromTheme(QStringLiteral("text-html"), w->style()->standardIcon(QStyle::SP_FileIcon));
}

// "N Weeks Ago" in the interface language, whatever N is.
QString DateGroupText(const std::string& english) {
  constexpr std::string_view kWeeks = " Weeks Ago";
  if (!english.ends_with(kWeeks)) return T(english);
  return Q(english.substr(0, english.size() - kWeeks.size())) + QLatin1Char(' ') + T("Weeks Ago");
}

void Toggle(QTreeView* view, const QModelIndex& i) { view->setExpanded(i, !view->isExpanded(i)); }

}  // namespace

QtExplorerBar::QtExplorerBar(Parts parts, QWidget* parent)
    : QWidget(parent), p_(std::move(parts)), title_(new QLabel), body_(new QVBoxLayout), historyTimer_(new QTimer(this)) {
  setObjectName(QStringLiteral("explorer-bar"));
  setAccessibleName(T("Explorer Bar"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* frame = new QFrame;
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* inside = new QVBoxLayout(frame);
  inside->setContentsMargins(1, 1, 1, 1);
  inside->setSpacing(0);

  auto* caption = new QWidget;
  auto* row = new QHBoxLayout(caption);
  row->setContentsMargins(6, 2, 2, 2);
  title_->setObjectName(QStringLiteral("explorer-title"));
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  auto* close = new QToolButton;
  close->setObjectName(QStringLiteral("explorer-close"));
  close->setAutoRaise(true);
  close->setIcon(QIcon::fromTheme(QStringLiteral("window-close"), style()->standardIcon(QStyle::SP_TitleBarCloseButton)));
  close->setIconSize(QSize(12, 12));
  close->setToolTip(T("Close"));
  connect(close, &QToolButton::clicked, this, [this] {
    if (p_.close) p_.close();
  });
  row->addWidget(title_, 1);
  row->addWidget(close);
  inside->addWidget(caption);
  auto* rule = new QFrame;
  rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  inside->addWidget(rule);
  body_->setContentsMargins(0, 0, 0, 0);
  inside->addLayout(body_, 1);
  outer->addWidget(frame);

  historyTimer_->setSingleShot(true);
  historyTimer_->setInterval(1000);
  connect(historyTimer_, &QTimer::timeout, this, [this] {
    if (refill_) refill_();
  });
  setMinimumWidth(120);
  hide();
}

QtExplorerBar::~QtExplorerBar() { DropContent(); }

void QtExplorerBar::SetContent(QWidget* content) {
  delete content_;
  content_ = content;
  if (content_) body_->addWidget(content_, 1);
}

void QtExplorerBar::DropContent() {
  historyTimer_->stop();
  refill_ = nullptr;
  if (saveFileTypes_) saveFileTypes_();
  saveFileTypes_ = nullptr;
  SetContent(nullptr);
}

void QtExplorerBar::ShowPane(ExplorerPane pane) {
  shown_ = pane;
  DropContent();
  switch (pane) {
    case ExplorerPane::None:
      hide();
      return;
    case ExplorerPane::Favorites:
      title_->setText(T("Favorites"));
      SetContent(MakeFavorites());
      break;
    case ExplorerPane::History:
      title_->setText(T("History"));
      SetContent(MakeHistory());
      break;
    case ExplorerPane::Folders:
      title_->setText(T("Folders"));
      SetContent(MakeFolders());
      break;
  }
  show();
}

void QtExplorerBar::HistoryChanged() {
  if (refill_) historyTimer_->start();
}

QWidget* QtExplorerBar::MakeFavorites() {
  auto* pane = new QWidget;
  pane->setObjectName(QStringLiteral("favorites-pane"));
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QToolBar;
  bar->setIconSize(QSize(16, 16));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  auto* tree = new FavoritesTree("favorites-tree");
  tree->setFrameShape(QFrame::NoFrame);
  tree->setExpandsOnDoubleClick(false);  // one click does it
  auto refill = [this, tree] {
    if (p_.favorites.Ready())
      tree->Fill(p_.favorites.folder(), FavoritesTree::PathOf(tree->currentItem()));
    else
      tree->clear();
  };
  OnChoose(tree, [this, tree](const QModelIndex& i) {
    QTreeWidgetItem* item = tree->itemFromIndex(i);
    if (!item) return;
    if (FavoritesTree::IsFolder(item)) return Toggle(tree, i);
    p_.favorites.Open({FavoriteEntry::Kind::Shortcut, S(item->text(0)), FavoritesTree::PathOf(item)});
  });
  // After Add and Organize the tree shows the folder as it now is.
  auto button = [&](const char* text, const char* icon, unsigned id, const char* name) {
    QAction* a = bar->addAction(QIcon::fromTheme(QLatin1String(icon)), T(text));
    a->setObjectName(QLatin1String(name));
    a->setIconText(T(text));  // the dots say a dialog follows; a tool button would drop them
    connect(a, &QAction::triggered, tree, [this, id, refill] {
      if (p_.command) p_.command(id);
      refill();
    });
  };
  button("Add...", "bookmark-new", ID_ADD_FAVORITE, "favorites-add");
  button("Organize...", "document-properties", ID_ORGANIZE_FAVORITES, "favorites-organize");
  layout->addWidget(bar);
  layout->addWidget(tree, 1);
  refill();
  return pane;
}

QWidget* QtExplorerBar::MakeHistory() {
  auto* tree = NewTree("history-tree");
  const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon hostIcon = QIcon::fromTheme(QStringLiteral("network-server"), folderIcon);
  const QIcon pageIcon = PageIcon(this);
  refill_ = [this, tree, folderIcon, hostIcon, pageIcon] {
    tree->clear();
    const std::vector<HistoryDay> days = BuildHistoryTree(p_.history.Recent(kHistoryPaneMax), p_.now());
    for (const HistoryDay& day : days) {
      auto* d = new QTreeWidgetItem(tree, {DateGroupText(day.group.text)});
      d->setIcon(0, folderIcon);
      for (const HistoryHost& host : day.hosts) {
        auto* h = new QTreeWidgetItem(d, {host.text == "My Computer" ? T(host.text) : Q(host.text)});
        h->setIcon(0, hostIcon);
        for (const HistoryVisit& v : host.pages) {
          auto* page = new QTreeWidgetItem(h, {Q(HistoryPageText(v))});
          page->setIcon(0, pageIcon);
          page->setToolTip(0, Q(v.url));
          page->setData(0, kPathRole, Q(v.url));
        }
      }
    }
    // The newest day open, as the user most often wants it.
    if (tree->topLevelItemCount() > 0) tree->topLevelItem(tree->topLevelItemCount() - 1)->setExpanded(true);
    Trace("history-pane", std::to_string(days.size()));
  };
  OnChoose(tree, [this, tree](const QModelIndex& i) {
    QTreeWidgetItem* item = tree->itemFromIndex(i);
    if (!item) return;
    if (item->childCount() > 0) return Toggle(tree, i);
    const QString url = item->data(0, kPathRole).toString();
    if (!url.isEmpty() && p_.openAddress) p_.openAddress(S(url));
  });
  refill_();
  return tree;
}

QWidget* QtExplorerBar::MakeFolders() {
  // Read when the pane is made, written back when it goes.
  const std::string types =
      NormalizeFileTypes(p_.store.ReadSettingString("FileTypes", kDefaultFileTypes));
  auto* view = new QTreeView;
  view->setObjectName(QStringLiteral("folders-tree"));
  view->setHeaderHidden(true);
  view->setFrameShape(QFrame::NoFrame);
  view->setUniformRowHeights(true);
  view->setExpandsOnDoubleClick(false);
  auto* model = new QFileSystemModel(view);
  model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Drives);
  QStringList patterns;
  for (const std::string& p : FileTypePatterns(types)) patterns << Q(p);
  model->setNameFilters(patterns);
  model->setNameFilterDisables(false);  // files that do not match are not shown at all
  const QString home = QDir::homePath();
  const bool ownRoot = !foldersRoot_.empty() && QFileInfo(Q(foldersRoot_)).isDir();
  const QModelIndex top = model->setRootPath(ownRoot ? Q(foldersRoot_) : QDir::rootPath());
  view->setModel(model);
  for (int c = 1; c < model->columnCount(); ++c) view->hideColumn(c);
  if (ownRoot) {
    view->setRootIndex(top);
  } else {
    // From the top of the file system, opened down to the user's home.
    for (QModelIndex i = model->index(home); i.isValid(); i = i.parent()) view->expand(i);
    view->setCurrentIndex(model->index(home));
    view->scrollTo(model->index(home), QAbstractItemView::PositionAtTop);
  }
  OnChoose(view, [this, view, model](const QModelIndex& i) {
    const QString path = model->filePath(i);
    const FolderClick click = ClickOnFolderItem(S(path), QFileInfo(path).isFile());
    switch (click.action) {
      case FolderClick::Action::Toggle:
        return Toggle(view, i);
      case FolderClick::Action::Start:
        p_.shell.Open(click.address);
        return;
      case FolderClick::Action::Open:
        if (p_.openAddress) p_.openAddress(click.address);
        return;
    }
  });
  saveFileTypes_ = [this, types] { p_.store.WriteSettingString("FileTypes", types); };
  return view;
}

}  // namespace kestrel
