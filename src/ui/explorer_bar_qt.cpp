#include "ui/explorer_bar_qt.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QKeyEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "collections/history.h"
#include "common/trace.h"
#include "frame/command_ids.h"
#include "ui/favorites_qt.h"
#include "ui/history_tree_qt.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

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

void Toggle(QTreeView* view, const QModelIndex& i) { view->setExpanded(i, !view->isExpanded(i)); }

}  // namespace

QtExplorerBar::QtExplorerBar(Parts parts, QWidget* parent)
    : QWidget(parent), p_(std::move(parts)), title_(new QLabel), body_(new QVBoxLayout) {
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
  history_ = nullptr;
  if (saveFileTypes_) saveFileTypes_();
  saveFileTypes_ = nullptr;
  SetContent(nullptr);
}

void QtExplorerBar::ShowPane(ExplorerPane pane) {
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
  auto* tree = new HistoryTree;
  tree->setFrameShape(QFrame::NoFrame);
  tree->setExpandsOnDoubleClick(false);  // one click does it
  history_ = tree;
  OnChoose(tree, [this, tree](const QModelIndex& i) {
    QTreeWidgetItem* item = tree->itemFromIndex(i);
    const std::string url = HistoryTree::UrlOf(item);
    if (url.empty()) return Toggle(tree, i);
    if (p_.openAddress) p_.openAddress(url);
  });
  FillHistory();
  return tree;
}

void QtExplorerBar::FillHistory() {
  const std::int64_t now = p_.now();
  const std::vector<HistoryVisit> visits = p_.history.Recent(kHistoryPaneMax);
  history_->Fill(visits, now);
  Trace("history-pane", std::to_string(visits.size()));
}

void QtExplorerBar::VisitRecorded(const HistoryVisit& visit) {
  // Past midnight every day's group has moved: the tree is built anew.
  if (history_ && !history_->Add(visit, p_.now())) FillHistory();
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
    // The folders are read in the background and the window may not be up
    // yet: the home folder is brought to the top once it has been read and
    // the tree is on screen (tried for a few seconds at most).
    auto* settle = new QTimer(view);
    settle->setInterval(100);
    auto loaded = std::make_shared<bool>(false);
    connect(model, &QFileSystemModel::directoryLoaded, settle, [home, loaded](const QString& path) {
      if (path == home) *loaded = true;
    });
    connect(settle, &QTimer::timeout, view, [view, model, home, loaded, settle, tries = 0]() mutable {
      if (++tries > 50) return settle->deleteLater();
      if (!*loaded || !view->isVisible() || view->viewport()->height() < 50) return;
      view->scrollTo(model->index(home), QAbstractItemView::PositionAtTop);
      settle->deleteLater();
    });
    settle->start();
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
