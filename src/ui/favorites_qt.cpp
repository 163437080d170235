#include "ui/favorites_qt.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <filesystem>
#include <set>

#include "common/message.h"
#include "common/progdir.h"
#include "common/textfile.h"
#include "common/trace.h"
#include "ui/column_menu_qt.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

std::vector<std::string> FavoriteFolders(const std::string& root, int maxDepth) {
  std::vector<std::string> out{root};
  // Breadth first, so a deep or looping tree cannot hide the folders near the top.
  constexpr std::size_t kMost = 2000;  // a choice list longer than this helps nobody
  for (std::size_t i = 0; i < out.size() && out.size() < kMost; ++i) {
    const std::string& folder = out[i];
    const auto depth = std::count(folder.begin() + static_cast<std::ptrdiff_t>(root.size()), folder.end(), '/');
    if (depth >= maxDepth) continue;
    for (const FavoriteEntry& e : ListFavorites(folder))
      if (e.kind == FavoriteEntry::Kind::Folder && out.size() < kMost) out.push_back(e.path);
  }
  return out;
}

std::optional<FavoritesDialogs::AddChoice> QtFavoritesDialogs::AddFavorite(const std::string& name,
                                                                           const std::string& url,
                                                                           const std::string& root) {
  if (AnsweredUnattended("Add To Favorites", url)) return std::nullopt;
  QDialog d(parent_);
  d.setObjectName(QStringLiteral("add-favorite"));
  d.setWindowTitle(T("Add To Favorites"));
  d.setMinimumWidth(460);
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QFormLayout;
  auto* nameEdit = new QLineEdit(Q(name));
  nameEdit->setObjectName(QStringLiteral("favorite-name"));
  nameEdit->selectAll();
  auto* address = new QLineEdit(Q(url));
  address->setReadOnly(true);
  auto* folderRow = new QHBoxLayout;
  auto* folders = new QComboBox;
  folders->setObjectName(QStringLiteral("favorite-folder"));
  folders->setMinimumWidth(260);
  const QIcon folderIcon = d.style()->standardIcon(QStyle::SP_DirIcon);
  auto fill = [&](const std::string& select) {
    folders->clear();
    for (const std::string& f : FavoriteFolders(root)) {
      const std::string shown = f == root ? TranslateMessage("Favorites") : "Favorites" + f.substr(root.size());
      folders->addItem(folderIcon, Q(shown), Q(f));
    }
    folders->setCurrentIndex(std::max(0, folders->findData(Q(select))));
  };
  fill(root);
  auto* newFolder = new QPushButton(T("New Folder..."));
  newFolder->setAutoDefault(false);
  QObject::connect(newFolder, &QPushButton::clicked, &d, [&] {
    bool ok = false;
    const QString text = QInputDialog::getText(&d, T("New Folder"), T("Folder name:"), QLineEdit::Normal, {}, &ok);
    if (!ok || text.trimmed().isEmpty()) return;
    const std::string made = S(folders->currentData().toString()) + "/" + FavoriteFileName(S(text));
    if (!MakeDirectories(made)) {
      ShowMessage("Can't save " + made + "!");
      return;
    }
    fill(made);
  });
  folderRow->addWidget(folders, 1);
  folderRow->addWidget(newFolder);
  form->addRow(T("Name:"), nameEdit);
  form->addRow(T("Address:"), address);
  form->addRow(T("Create in:"), folderRow);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  layout->addWidget(buttons);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return AddChoice{S(nameEdit->text()), S(folders->currentData().toString())};
}

void QtFavoritesDialogs::Organize(const std::string& root) {
  if (AnsweredUnattended("Organize Favorites", root)) return;
  OrganizeFavorites(parent_, root);
}

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;
constexpr int kFilledRole = Qt::UserRole + 2;

}  // namespace

FavoritesTree::FavoritesTree(const char* objectName, QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QLatin1String(objectName));
  setHeaderHidden(true);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    if (item->data(0, kFilledRole).toBool()) return;
    item->setData(0, kFilledRole, true);
    FillItem(item, PathOf(item));
    if (item->childCount() == 0) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  });
}

std::string FavoritesTree::PathOf(const QTreeWidgetItem* item) {
  return item ? S(item->data(0, kPathRole).toString()) : std::string();
}

bool FavoritesTree::IsFolder(const QTreeWidgetItem* item) { return item && item->data(0, kFolderRole).toBool(); }

void FavoritesTree::FillItem(QTreeWidgetItem* parent, const std::string& folder) {
  const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon pageIcon = QIcon::fromTheme(QStringLiteral("text-html"), style()->standardIcon(QStyle::SP_FileIcon));
  int count = 0;
  for (const FavoriteEntry& e : ListFavorites(folder)) {
    if (e.kind == FavoriteEntry::Kind::Other) continue;
    if (++count > QtFavoritesMenu::kMaxItems) break;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    const bool isFolder = e.kind == FavoriteEntry::Kind::Folder;
    item->setText(0, Q(e.name));
    item->setIcon(0, isFolder ? folderIcon : pageIcon);
    item->setData(0, kPathRole, Q(e.path));
    item->setData(0, kFolderRole, isFolder);
    if (isFolder) item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
}

QTreeWidgetItem* FavoritesTree::ItemOf(const std::string& path) const {
  for (QTreeWidgetItemIterator it(const_cast<FavoritesTree*>(this)); *it; ++it)
    if (PathOf(*it) == path) return *it;
  return nullptr;
}

void FavoritesTree::Fill(const std::string& root, const std::string& select) {
  std::set<std::string> open;
  for (QTreeWidgetItemIterator it(this); *it; ++it)
    if ((*it)->isExpanded()) open.insert(PathOf(*it));
  clear();
  FillItem(nullptr, root);
  // Opening a folder reads it, so the walk goes on into what it brought.
  for (QTreeWidgetItemIterator it(this); *it; ++it)
    if (open.count(PathOf(*it)) || (!select.empty() && select.rfind(PathOf(*it) + "/", 0) == 0)) (*it)->setExpanded(true);
  if (QTreeWidgetItem* current = select.empty() ? nullptr : ItemOf(select)) {
    setCurrentItem(current);
    scrollToItem(current);
  }
}

namespace {

// Asks for a new name and renames the entry: nullopt when the user let it
// be, else the message to show ("" when done); `now` gets its new path.
std::optional<std::string> AskRename(QWidget* parent, const std::string& path, const QString& shown, std::string* now) {
  bool ok = false;
  const QString name = QInputDialog::getText(parent, T("Rename"), T("Name:"), QLineEdit::Normal, shown, &ok);
  if (!ok || name.trimmed().isEmpty()) return std::nullopt;
  return RenameFavorite(path, S(name), now);
}

// To the desktop's trash, where a slip can be undone; where there is none,
// gone for good once the user says so. nullopt when the user kept it.
std::optional<std::string> Discard(const std::string& path, const QString& shown) {
  // Qt 6.4 "trashes" into files/ and info/ of the current folder when the
  // user's data folder does not exist yet: it is made first, and a place
  // that is no absolute path is taken back.
  MakeDirectories(XdgBaseDirectory("XDG_DATA_HOME", ".local/share"));
  QString where;
  if (QFile::moveToTrash(Q(path), &where)) {
    if (where.startsWith(QLatin1Char('/'))) return std::string();
    QFile::rename(where, Q(path));
  }
  if (!ShowMessage("There is no trash for this folder. Delete " + S(shown) + " for good?", MessageKind::YesNo))
    return std::nullopt;
  return DeleteFavorite(path);
}

constexpr const char* kEntryProperty = "kestrel-favorite";  // an item's file

}  // namespace

void OrganizeFavorites(QWidget* parent, const std::string& root) {
  QDialog d(parent);
  d.setObjectName(QStringLiteral("organize-favorites"));
  d.setWindowTitle(T("Organize Favorites"));
  d.resize(600, 440);
  auto* layout = new QVBoxLayout(&d);
  auto* row = new QHBoxLayout;
  auto* tree = new FavoritesTree("organize-tree");
  row->addWidget(tree, 1);
  auto* side = new QVBoxLayout;
  auto* create = new QPushButton(T("Create Folder"));
  auto* rename = new QPushButton(T("Rename"));
  auto* move = new QPushButton(T("Move to Folder..."));
  auto* remove = new QPushButton(T("Delete"));
  for (QPushButton* b : {create, rename, move, remove}) {
    b->setAutoDefault(false);
    side->addWidget(b);
  }
  side->addSpacing(12);
  auto* details = new QLabel;
  details->setObjectName(QStringLiteral("favorite-details"));
  details->setWordWrap(true);
  details->setTextFormat(Qt::PlainText);
  details->setTextInteractionFlags(Qt::TextSelectableByMouse);
  details->setMinimumWidth(170);
  details->setMaximumWidth(220);
  side->addWidget(details);
  side->addStretch(1);
  row->addLayout(side);
  layout->addLayout(row, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  layout->addWidget(buttons);

  auto update = [=] {
    QTreeWidgetItem* item = tree->currentItem();
    for (QPushButton* b : {rename, move, remove}) b->setEnabled(item != nullptr);
    if (!item) return details->clear();
    const std::string path = FavoritesTree::PathOf(item);
    details->setText(item->text(0) + QLatin1Char('\n') +
                     (FavoritesTree::IsFolder(item) ? T("Folder") : Q(ReadShortcutUrl(path).value_or(""))));
  };
  QObject::connect(tree, &QTreeWidget::currentItemChanged, &d, [=] { update(); });
  // Every change is on disk at once; the tree then shows the folder as it is.
  auto done = [=](const std::string& message, const std::string& select) {
    if (!message.empty()) ShowMessage(message);
    tree->Fill(root, select);
    update();
  };
  QObject::connect(create, &QPushButton::clicked, &d, [=, &d] {
    QTreeWidgetItem* item = tree->currentItem();
    const std::string in = !item ? root : FavoritesTree::IsFolder(item) ? FavoritesTree::PathOf(item)
                                                                       : S(QFileInfo(Q(FavoritesTree::PathOf(item))).path());
    bool ok = false;
    const QString name =
        QInputDialog::getText(&d, T("New Folder"), T("Folder name:"), QLineEdit::Normal, T("New Folder"), &ok);
    if (!ok || name.trimmed().isEmpty()) return;
    std::string made;
    const std::string message = NewFavoriteFolder(in, S(name), &made);
    done(message, made);
  });
  QObject::connect(rename, &QPushButton::clicked, &d, [=, &d] {
    QTreeWidgetItem* item = tree->currentItem();
    if (!item) return;
    std::string now = FavoritesTree::PathOf(item);
    if (const std::optional<std::string> message = AskRename(&d, now, item->text(0), &now)) done(*message, now);
  });
  QObject::connect(move, &QPushButton::clicked, &d, [=, &d] {
    QTreeWidgetItem* item = tree->currentItem();
    if (!item) return;
    QStringList shown;
    const std::vector<std::string> folders = FavoriteFolders(root);
    for (const std::string& f : folders) shown << (f == root ? T("Favorites") : Q("Favorites" + f.substr(root.size())));
    bool ok = false;
    const QString to = QInputDialog::getItem(&d, T("Move to Folder"), T("Folder:"), shown, 0, false, &ok);
    if (!ok || shown.indexOf(to) < 0) return;
    std::string now = FavoritesTree::PathOf(item);
    const std::string message = MoveFavorite(now, folders[static_cast<std::size_t>(shown.indexOf(to))], &now);
    done(message, now);
  });
  QObject::connect(remove, &QPushButton::clicked, &d, [=] {
    QTreeWidgetItem* item = tree->currentItem();
    if (!item) return;
    if (const std::optional<std::string> message = Discard(FavoritesTree::PathOf(item), item->text(0)))
      done(*message, {});
  });
  auto key = [&d](QKeySequence seq, QPushButton* b) {
    auto* s = new QShortcut(seq, &d);
    QObject::connect(s, &QShortcut::activated, b, [b] {
      if (b->isEnabled()) b->click();
    });
  };
  key(QKeySequence(Qt::Key_F2), rename);
  key(QKeySequence::Delete, remove);

  tree->Fill(root);
  update();
  d.exec();
}

namespace {

std::optional<std::string> BookmarkFile(QWidget* parent, bool save) {
  const char* caption = save ? "Export Favorites" : "Import Favorites";
  if (AnsweredUnattended(caption)) return std::nullopt;
  QFileDialog d(parent, T(caption), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  d.setNameFilter(T("Bookmark files") + QStringLiteral(" (*.html *.htm)"));
  if (save) {
    d.setDefaultSuffix(QStringLiteral("html"));
    d.selectFile(QStringLiteral("bookmarks.html"));
  }
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return S(d.selectedFiles().front());
}

}  // namespace

std::optional<std::string> QtFavoritesDialogs::ImportFile() { return BookmarkFile(parent_, false); }
std::optional<std::string> QtFavoritesDialogs::ExportFile() { return BookmarkFile(parent_, true); }

namespace {

// A name as a menu shows it: its "&" is a character, not an access key.
QString MenuText(const std::string& name) { return Q(name).replace(QLatin1Char('&'), QStringLiteral("&&")); }

}  // namespace

QtFavoritesMenu::QtFavoritesMenu(QMenu* menu, CFavoritesCommands& commands, std::function<int()> breakCount)
    : QObject(menu), commands_(commands), breakCount_(std::move(breakCount)), root_(menu) {
  OfferContextMenu(menu);
  connect(menu, &QMenu::aboutToShow, this, [this] {
    for (QAction* a : added_) {
      root_->removeAction(a);
      a->deleteLater();
    }
    added_.clear();
    for (QMenu* m : submenus_) m->deleteLater();
    submenus_.clear();
    const auto before = root_->actions();
    if (commands_.Ready()) Fill(root_, commands_.folder(), true);
    for (QAction* a : root_->actions())
      if (!before.contains(a)) added_.push_back(a);
  });
}

void QtFavoritesMenu::Fill(QMenu* menu, const std::string& folder, bool root) {
  std::vector<FavoriteEntry> entries = ListFavorites(folder);
  // The root's four commands are the menu's own items, already there.
  const int fixed = root ? 4 : 0;
  if (entries.size() > static_cast<std::size_t>(kMaxItems)) entries.resize(kMaxItems);
  const std::vector<FavoritesMenuItem> items = FavoritesPopup(entries, root, breakCount_ ? breakCount_() : 0);
  const QIcon folderIcon = menu->style()->standardIcon(QStyle::SP_DirIcon);
  const QIcon pageIcon = QIcon::fromTheme(QStringLiteral("text-html"), menu->style()->standardIcon(QStyle::SP_FileIcon));
  const QIcon fileIcon = menu->style()->standardIcon(QStyle::SP_FileIcon);
  for (std::size_t i = fixed; i < items.size(); ++i) {
    const FavoritesMenuItem& item = items[i];
    QAction* added = nullptr;
    switch (item.kind) {
      case FavoritesMenuItem::Kind::OpenAll:
        added = menu->addAction(T("Open All Favorites"));
        connect(added, &QAction::triggered, this, [this, folder] { commands_.OpenAll(folder); });
        break;
      case FavoritesMenuItem::Kind::Folder: {
        auto* sub = new QtColumnMenu(MenuText(item.entry.name), menu);
        sub->setIcon(folderIcon);
        added = menu->addMenu(sub);
        OfferContextMenu(sub);
        if (root) submenus_.push_back(sub);
        const std::string path = item.entry.path;
        // Filled when it opens: a big tree costs nothing until it is looked at.
        connect(sub, &QMenu::aboutToShow, this, [this, sub, path] {
          sub->clear();
          for (QMenu* old : sub->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) old->deleteLater();
          Fill(sub, path, false);
        });
        break;
      }
      case FavoritesMenuItem::Kind::Entry: {
        const bool shortcut = item.entry.kind == FavoriteEntry::Kind::Shortcut;
        added = menu->addAction(shortcut ? pageIcon : fileIcon, MenuText(item.entry.name));
        connect(added, &QAction::triggered, this, [this, entry = item.entry] { commands_.Open(entry); });
        break;
      }
      default:
        added = menu->addSeparator();
        break;
    }
    if (item.columnBreak) QtColumnMenu::SetColumnBreak(added);
    if (item.kind == FavoritesMenuItem::Kind::Folder || item.kind == FavoritesMenuItem::Kind::Entry)
      added->setProperty(kEntryProperty, Q(item.entry.path));
  }
}

void QtFavoritesMenu::OfferContextMenu(QMenu* popup) {
  auto* menu = dynamic_cast<QtColumnMenu*>(popup);
  if (!menu) return;
  menu->itemContextMenu = [this, menu](QAction* item, const QPoint& at) {
    const std::string path = S(item->property(kEntryProperty).toString());
    if (path.empty()) return false;  // the fixed commands and Open All have none
    QMenu context;
    const bool folder = item->menu() != nullptr;
    QAction* open = context.addAction(T(folder ? "Open All Favorites" : "Open"));
    QAction* rename = context.addAction(T("Rename"));
    QAction* remove = context.addAction(T("Delete"));
    QAction* chosen = context.exec(at);
    if (!chosen) return true;
    const QString shown = item->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    // The menus close, so the next opening shows the folder as it now is.
    menu->CloseChain();
    std::optional<std::string> message;
    if (chosen == open && folder)
      commands_.OpenAll(path);
    else if (chosen == open)
      commands_.Open({IsShortcutFile(path) ? FavoriteEntry::Kind::Shortcut : FavoriteEntry::Kind::Other, S(shown), path});
    else if (chosen == rename)
      message = AskRename(root_->parentWidget(), path, shown, nullptr);
    else if (chosen == remove)
      message = Discard(path, shown);
    if (message && !message->empty()) ShowMessage(*message);
    return true;
  };
}

}  // namespace kestrel
