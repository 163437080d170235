#include "ui/downloads_qt.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <filesystem>

#include "common/message.h"
#include "common/trace.h"
#include "downloads/download_names.h"
#include "platform/shell.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {
namespace {

// The changes of many downloads are shown together at this pace.
constexpr int kRefreshMs = 250;

enum Column { kName, kProgress, kSize, kSpeed, kTimeLeft, kStatus, kColumns };

DownloadFailure FailureOf(QWebEngineDownloadRequest::DownloadInterruptReason r) {
  using R = QWebEngineDownloadRequest;
  switch (r) {
    case R::FileNoSpace: return DownloadFailure::DiskFull;
    case R::FileFailed:
    case R::FileAccessDenied:
    case R::FileNameTooLong:
    case R::FileTooLarge:
    case R::FileTransientError: return DownloadFailure::Access;
    case R::NetworkFailed:
    case R::NetworkTimeout:
    case R::NetworkDisconnected:
    case R::NetworkServerDown:
    case R::NetworkInvalidRequest: return DownloadFailure::Network;
    case R::ServerFailed:
    case R::ServerBadContent:
    case R::ServerUnauthorized:
    case R::ServerCertProblem:
    case R::ServerForbidden:
    case R::ServerUnreachable: return DownloadFailure::Server;
    case R::UserCanceled: return DownloadFailure::Cancelled;
    default: return DownloadFailure::Other;
  }
}

// The engine's side of one download; the request may go before the list does.
class EngineJob : public DownloadJob {
 public:
  explicit EngineJob(QWebEngineDownloadRequest* r) : r_(r) {}
  void Pause() override {
    if (r_) r_->pause();
  }
  void Resume() override {
    if (r_) r_->resume();
  }
  void Cancel() override {
    if (r_) r_->cancel();
  }

 private:
  QPointer<QWebEngineDownloadRequest> r_;
};

}  // namespace

// The downloads as rows; the window tells it when the list has changed.
class DownloadsTable : public QAbstractTableModel {
 public:
  explicit DownloadsTable(CDownloads& d, QObject* parent) : QAbstractTableModel(parent), d_(d) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_);
  }
  int columnCount(const QModelIndex&) const override { return kColumns; }

  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[kColumns] = {"Name", "Progress", "Size", "Speed", "Time Left", "Status"};
    return T(names[section]);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    const DownloadItem* item = At(index.row());
    if (!item) return {};
    if (role == Qt::ToolTipRole) return Q(item->finalPath + "\n" + item->url);
    if (role == Qt::UserRole) {  // the progress bar: 0-100, -1 while the size is unknown
      if (item->state == DownloadState::Completed) return 100;
      if (item->total <= 0) return -1;
      return static_cast<int>(item->received * 100 / item->total);
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case kName: return Q(item->FileName());
      case kSize: return Q(CDownloads::SizeText(*item));
      case kSpeed: return item->state == DownloadState::Running ? Q(CDownloads::SpeedText(item->bytesPerSecond)) : QString();
      case kTimeLeft: return Q(CDownloads::TimeLeftText(*item));
      case kStatus: return StatusOf(*item);
      default: return {};
    }
  }

  // Rows added, changed or gone since the last call.
  void Sync() {
    const std::size_t now = d_.items().size();
    if (now < rows_) {
      beginResetModel();
      rows_ = now;
      endResetModel();
      return;
    }
    if (now > rows_) {
      beginInsertRows({}, static_cast<int>(rows_), static_cast<int>(now) - 1);
      rows_ = now;
      endInsertRows();
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(static_cast<int>(rows_) - 1, kColumns - 1));
  }

  const DownloadItem* At(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_ || static_cast<std::size_t>(row) >= d_.items().size())
      return nullptr;
    return &d_.items()[static_cast<std::size_t>(row)];
  }

 private:
  static QString StatusOf(const DownloadItem& item) {
    switch (item.state) {
      case DownloadState::Running: return T("Downloading");
      case DownloadState::Paused: return T("Paused");
      case DownloadState::Completed: return T("Done");
      case DownloadState::Cancelled: return T("Cancelled");
      case DownloadState::Failed: break;
    }
    QString t = T(CDownloads::FailureText(item.failure));
    if (!item.detail.empty()) t += " (" + Q(item.detail) + ")";
    return t;
  }

  CDownloads& d_;
  std::size_t rows_ = 0;
};

namespace {

// A progress bar in the row, drawn rather than made: a hundred downloads
// stay a hundred rows.
class ProgressDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(p, option, QModelIndex());
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(3, 3, -3, -3);
    bar.state = option.state | QStyle::State_Horizontal;
    bar.minimum = 0;
    const int value = index.data(Qt::UserRole).toInt();
    bar.maximum = value < 0 ? 0 : 100;  // 0..0: the busy bar
    bar.progress = value < 0 ? 0 : value;
    bar.textVisible = value >= 0;
    bar.text = value >= 0 ? QString::number(value) + "%" : QString();
    QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, p);
  }
};

}  // namespace

QtDownloadsWindow::QtDownloadsWindow(CDownloads& downloads, Shell& shell, QWidget* parent)
    : QDialog(parent), downloads_(downloads), shell_(shell) {
  setObjectName("downloads-window");
  setWindowTitle(T("Downloads"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  model_ = new DownloadsTable(downloads_, this);
  view_ = new QTableView;
  view_->setModel(model_);
  view_->setItemDelegateForColumn(kProgress, new ProgressDelegate(view_));
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setHighlightSections(false);
  view_->horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
  view_->setColumnWidth(kProgress, 140);
  view_->setColumnWidth(kSize, 150);
  view_->setColumnWidth(kSpeed, 90);
  view_->setColumnWidth(kTimeLeft, 110);
  view_->setColumnWidth(kStatus, 200);
  layout->addWidget(view_);

  auto* row = new QHBoxLayout;
  auto button = [&](const char* text, auto fn) {
    auto* b = new QPushButton(T(text));
    row->addWidget(b);
    // The row shows what the click did at once, not with the next refresh.
    connect(b, &QPushButton::clicked, this, [this, fn] {
      fn();
      if (isVisible()) Refresh();
    });
    return b;
  };
  pause_ = button("&Pause", [this] {
    const DownloadItem* d = downloads_.Find(Selected());
    if (!d) return;
    if (d->state == DownloadState::Paused)
      downloads_.Resume(d->id);
    else
      downloads_.Pause(d->id);
  });
  cancel_ = button("&Cancel", [this] { downloads_.Cancel(Selected()); });
  open_ = button("&Open", [this] { OpenSelected(); });
  folder_ = button("Show in &Folder", [this] {
    if (const DownloadItem* d = downloads_.Find(Selected())) shell_.Open(d->Folder());
  });
  row->addStretch(1);
  button("C&lear List", [this] { downloads_.ClearFinished(); });
  button("Close", [this] { close(); })->setDefault(true);
  layout->addLayout(row);

  connect(view_, &QTableView::doubleClicked, this, [this] { OpenSelected(); });
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    selectedId_ = Selected();
    UpdateButtons();
  });
  resize(900, 380);
  Refresh();
}

QtDownloadsWindow::~QtDownloadsWindow() = default;

int QtDownloadsWindow::Selected() const {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return 0;
  const DownloadItem* d = model_->At(rows.front().row());
  return d ? d->id : 0;
}

void QtDownloadsWindow::OpenSelected() {
  const DownloadItem* d = downloads_.Find(Selected());
  if (d && d->state == DownloadState::Completed && !shell_.Open(d->finalPath))
    ShowMessage("The file could not be opened: " + d->finalPath, MessageKind::Info);
}

void QtDownloadsWindow::UpdateButtons() {
  const DownloadItem* d = downloads_.Find(Selected());
  pause_->setText(d && d->state == DownloadState::Paused ? T("&Resume") : T("&Pause"));
  pause_->setEnabled(d && d->Active());
  cancel_->setEnabled(d && d->Active());
  open_->setEnabled(d && d->state == DownloadState::Completed);
  folder_->setEnabled(d != nullptr);
}

void QtDownloadsWindow::Refresh() {
  // Taken before the rows follow the list: a cleared list moves them.
  const int selected = selectedId_;
  model_->Sync();
  // Rows move when the list is cleared: the selection stays on its download.
  if (selected && Selected() != selected) {
    view_->clearSelection();
    const auto& items = downloads_.items();
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i].id == selected) view_->selectRow(static_cast<int>(i));
  }
  UpdateButtons();
}

QtDownloads::QtDownloads(CDownloads& downloads, Shell& shell, QWidget* window, std::string folder)
    : downloads_(downloads), shell_(shell), parent_(window), folder_(std::move(folder)) {
  if (folder_.empty()) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (dir.isEmpty()) dir = QDir::homePath();
    folder_ = S(dir);
  }
  status_ = new QLabel;
  status_->setObjectName("downloads-status");
  status_->hide();
  timer_ = new QTimer(status_);
  timer_->setSingleShot(true);
  timer_->setInterval(kRefreshMs);
  QObject::connect(timer_, &QTimer::timeout, status_, [this] {
    const std::string text = downloads_.StatusText();
    status_->setText(T(text));
    status_->setVisible(!text.empty());
    if (window_) window_->Refresh();
  });
  changed_ = downloads_.changed.Subscribe([this](int) { Changed(); });
  askSavePath = [this](const std::string& proposed) {
    // An unattended run takes the proposal, so that it can download at all.
    if (AnsweredUnattended("Save File", proposed)) return proposed;
    // The toolkit's dialog asks before it lets an existing file be replaced.
    return S(QFileDialog::getSaveFileName(parent_, T("Save File"), Q(proposed)));
  };
}

QtDownloads::~QtDownloads() {
  changed_.Cancel();
  delete window_.data();
  delete status_.data();
}

void QtDownloads::Changed() {
  if (!timer_->isActive()) timer_->start();
}

void QtDownloads::ShowWindow() {
  if (!window_) window_ = new QtDownloadsWindow(downloads_, shell_, parent_);
  window_->Refresh();
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void QtDownloads::Take(QWebEngineDownloadRequest* request) {
  // The engine tries a broken-off download again itself, under the same id
  // and into the same partial file: the same download, not a new question.
  if (auto known = taken_.find(request->id()); known != taken_.end()) {
    const DownloadItem* d = downloads_.Find(known->second);
    if (!d || !d->Active()) {
      request->cancel();
      return;
    }
    Trace("download-resumed", d->finalPath);
    Follow(request, d->id, d->partPath);
    return;
  }
  const std::string suggested = S(request->suggestedFileName());
  QDir().mkpath(Q(folder_));
  const std::string proposed = ProposedSavePath(folder_, suggested);
  const std::string path = askSavePath(proposed);
  if (path.empty()) {
    request->cancel();
    return;
  }
  const SavePaths paths = PartialPathsFor(path);
  if (const std::string why = ProbeWritable(paths.partPath); !why.empty()) {
    request->cancel();
    ShowMessage("The file cannot be saved in " + std::filesystem::path(path).parent_path().string() + ": " + why,
                MessageKind::Info);
    return;
  }
  Trace("download-save", paths.finalPath);
  const int id = downloads_.Start(nullptr, S(request->url().toString()), paths.finalPath, paths.partPath);
  taken_[request->id()] = id;
  Follow(request, id, paths.partPath);
}

void QtDownloads::Follow(QWebEngineDownloadRequest* request, int id, const std::string& partPath) {
  const std::filesystem::path part(partPath);
  request->setDownloadDirectory(Q(part.parent_path().string()));
  request->setDownloadFileName(Q(part.filename().string()));
  request->accept();
  downloads_.SetJob(id, std::make_unique<EngineJob>(request));
  auto progress = [this, id, request] { downloads_.Progress(id, request->receivedBytes(), request->totalBytes()); };
  QObject::connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, status_, progress);
  QObject::connect(request, &QWebEngineDownloadRequest::totalBytesChanged, status_, progress);
  QObject::connect(request, &QWebEngineDownloadRequest::stateChanged, status_,
                   [this, id, request](QWebEngineDownloadRequest::DownloadState state) {
                     using R = QWebEngineDownloadRequest;
                     if (state == R::DownloadCompleted) {
                       downloads_.Progress(id, request->receivedBytes(), request->totalBytes());
                       downloads_.Completed(id);
                     } else if (state == R::DownloadCancelled) {
                       downloads_.Interrupted(id, DownloadFailure::Cancelled);
                     } else if (state == R::DownloadInterrupted) {
                       downloads_.Interrupted(id, FailureOf(request->interruptReason()),
                                              S(request->interruptReasonString()));
                     }
                   });
}

}  // namespace kestrel
