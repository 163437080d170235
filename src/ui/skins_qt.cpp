#include "ui/skins_qt.h"

#include <QAbstractButton>
#include <QBitmap>
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QToolBar>
#include <QWindow>
#include <algorithm>

#include "common/message.h"
#include "frame/command_ids.h"
#include "frame/command_registry.h"
#include "frame/main_frame.h"
#include "settings/settings.h"
#include "ui/frame_window_qt.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

// Frame pieces and buttons are small; a bitmap past this is no frame piece
// and would only cost memory.
constexpr int kMaxBitmapSide = 4096;
// However wide a skin asks its frame to be, the window keeps room inside.
constexpr int kMaxFrameWidth = 120;

enum Button { kMin, kMax, kClose, kSys };
constexpr unsigned kButtonCommands[] = {ID_CAPTION_MINIMIZE, ID_CAPTION_MAXIMIZE, ID_CAPTION_CLOSE,
                                        ID_CAPTION_SYSTEM};
// kEdgeBitmaps' order.
enum Edge { kTopLeft, kTopRight, kBottomLeft, kBottomRight, kLeftTop, kLeftBottom, kRightTop, kRightBottom,
            kTop, kBottom, kLeft, kRight };

SkinSize SizeOf(const QImage& image) { return {image.width(), image.height()}; }

// A fill frame's outline: the whole window with corners as round as the
// skin asks, at most half the window's side.
QPainterPath RoundedOutline(int width, int height, int corner) {
  QPainterPath outline;
  const qreal r = std::min<qreal>(corner, std::min(width, height) / 2.0);
  outline.addRoundedRect(QRectF(0, 0, width, height), r, r);
  return outline;
}

}  // namespace

QImage LoadSkinBitmap(const std::string& path) {
  QImageReader reader(Q(path));
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() || size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide)
    return {};
  QImage image = reader.read();
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb magenta = qRgb(255, 0, 255);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0xffffff) == (magenta & 0xffffff)) line[x] = 0;
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A caption button: one of four equal images of its strip for normal,
// under the pointer, pressed and disabled.
class QtSkinButton : public QAbstractButton {
 public:
  explicit QtSkinButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    hide();
  }
  void SetStrip(QImage strip) {
    strip_ = std::move(strip);
    same_ = false;
  }
  // The same picture in every state (the program's icon).
  void SetPicture(QImage picture) {
    strip_ = std::move(picture);
    same_ = true;
  }
  QSize StateSize() const {
    if (same_) return strip_.size();
    const SkinSize s = SkinButtonSize(SizeOf(strip_));
    return {s.width, s.height};
  }
  std::function<void()> doubleClicked;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (strip_.isNull()) return;
    const int state = !isEnabled() ? 3 : isDown() ? 2 : underMouse() ? 1 : 0;
    const QSize s = StateSize();
    QPainter p(this);
    p.drawImage(QPoint(0, 0), strip_, QRect(same_ ? 0 : state * s.width(), 0, s.width(), s.height()));
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (doubleClicked && e->button() == Qt::LeftButton) {
      doubleClicked();
      return;
    }
    QAbstractButton::mouseDoubleClickEvent(e);
  }

 private:
  QImage strip_;
  bool same_ = false;
};

QtSkinFrame::QtSkinFrame(Parts parts)
    : p_(std::move(parts)), skins_(p_.skinsFolder, *this), commands_(std::make_unique<CommandScope>(p_.frame.commands())) {
  QtFrameWindow& w = p_.window;
  for (int i = 0; i < 4; ++i) {
    buttons_[i] = new QtSkinButton(&w);
    buttons_[i]->setObjectName(QStringLiteral("skin-button-%1").arg(i));
    const unsigned id = kButtonCommands[i];
    connect(buttons_[i], &QAbstractButton::clicked, this, [this, id] { p_.frame.OnCommand(id); });
  }
  buttons_[kSys]->doubleClicked = [this] { p_.window.close(); };
  w.installEventFilter(this);

  CommandScope& r = *commands_;
  r.Add(ID_SELECT_SKIN, [this](const CommandContext&) { SelectSkins(); });
  r.Add(ID_DISABLE_SKIN, [this](const CommandContext&) {
    if (skins_.active()) Apply("");
  }, [this](const CommandContext&) { return CommandState{skins_.active(), false}; });
  r.Add(ID_CAPTION_MINIMIZE, [this](const CommandContext&) { p_.window.showMinimized(); });
  r.Add(ID_CAPTION_MAXIMIZE, [this](const CommandContext&) {
    p_.window.isMaximized() ? p_.window.showNormal() : p_.window.showMaximized();
  });
  r.Add(ID_CAPTION_CLOSE, [this](const CommandContext&) { p_.window.close(); });
  r.Add(ID_CAPTION_SYSTEM, [this](const CommandContext&) {
    QWidget* b = buttons_[kSys];
    ShowSystemMenu(b->mapToGlobal(QPoint(0, b->height())));
  });
}

QtSkinFrame::~QtSkinFrame() { p_.window.removeEventFilter(this); }

QWidget* QtSkinFrame::button(int i) const { return i >= 0 && i < 4 ? buttons_[i] : nullptr; }

CSkins::Applied QtSkinFrame::Apply(const std::string& name) {
  const CSkins::Applied a = skins_.Apply(name);
  p_.settings.SkinName = skins_.name();  // written at exit: a name that was not found is not kept
  return a;
}

void QtSkinFrame::RemoveSkin() {
  ini_ = SkinIni();
  widths_ = {};
  edges_ = {};
  fill_ = QImage();
  frameImage_ = QImage();
  SetBandBackground(QPixmap());
  for (QtSkinButton* b : buttons_) {
    b->hide();
    b->SetStrip(QImage());
  }
  SetFrameless(false);
  Relayout();
}

void QtSkinFrame::ShowSkin(const std::string& folder, const SkinIni& ini) {
  ini_ = ini;
  ini_.frameCorner = std::clamp(ini_.frameCorner, 0, 400);
  auto load = [&](const std::string& name) { return LoadSkinBitmap(folder + name); };
  SetBandBackground(QPixmap::fromImage(load(ini.barBack)));
  edges_ = {};
  fill_ = QImage();
  if (ini.fillFrame) {
    fill_ = load(ini.frameFill);
    widths_ = ini.fillWidths;
  } else {
    for (std::size_t i = 0; i < edges_.size(); ++i) edges_[i] = load(kEdgeBitmaps[i]);
    widths_ = EdgeFrameWidths(SizeOf(edges_[kLeft]), SizeOf(edges_[kTop]), SizeOf(edges_[kRight]),
                              SizeOf(edges_[kBottom]));
  }
  for (int* w : {&widths_.left, &widths_.top, &widths_.right, &widths_.bottom})
    *w = std::clamp(*w, 0, kMaxFrameWidth);
  buttons_[kMin]->SetStrip(load("min.bmp"));
  buttons_[kMax]->SetStrip(load("max.bmp"));
  buttons_[kClose]->SetStrip(load("close.bmp"));
  if (ini.systemIcon)
    buttons_[kSys]->SetPicture(p_.window.windowIcon().pixmap(16, 16).toImage());
  else
    buttons_[kSys]->SetStrip(load("sys.bmp"));
  SetFrameless(true);
  Relayout();
}

bool QtSkinFrame::fullScreen() const { return p_.window.isFullScreen(); }

void QtSkinFrame::SetFrameless(bool frameless) {
  QtFrameWindow& w = p_.window;
  if (w.windowFlags().testFlag(Qt::FramelessWindowHint) == frameless) return;
  const bool shown = w.isVisible();
  const Qt::WindowStates state = w.windowState();
  w.setWindowFlag(Qt::FramelessWindowHint, frameless);
  w.setWindowState(state);
  if (shown) w.show();
}

void QtSkinFrame::SetBandBackground(const QPixmap& pixmap) {
  bandBack_ = pixmap;
  for (QWidget* band : p_.window.BandWidgets()) {
    // A tool bar's style paints its panel in one colour over any brush:
    // its background is painted here instead (see PaintToolBar).
    if (auto* bar = qobject_cast<QToolBar*>(band)) {
      bar->removeEventFilter(this);
      if (!pixmap.isNull()) bar->installEventFilter(this);
    } else if (pixmap.isNull()) {
      band->setPalette(QPalette());
      band->setAutoFillBackground(false);
    } else {
      QPalette pal = band->palette();
      pal.setBrush(QPalette::Window, QBrush(pixmap));
      band->setPalette(pal);
      band->setAutoFillBackground(true);
    }
    band->update();
  }
}

void QtSkinFrame::PaintToolBar(QToolBar& bar) {
  QPainter p(&bar);
  p.drawTiledPixmap(bar.rect(), bandBack_, bar.mapTo(&p_.window, QPoint(0, 0)));
  if (!bar.isMovable()) return;
  QStyleOptionToolBar opt;
  opt.initFrom(&bar);
  opt.state |= QStyle::State_Horizontal;
  opt.features = QStyleOptionToolBar::Movable;
  opt.rect = bar.style()->subElementRect(QStyle::SE_ToolBarHandle, &opt, &bar);
  if (opt.rect.isValid()) bar.style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &opt, &p, &bar);
}

void QtSkinFrame::Relayout() {
  QtFrameWindow& w = p_.window;
  const bool on = skins_.active() && !fullScreen();
  const FrameWidths f = on ? widths_ : FrameWidths{};
  w.setContentsMargins(f.left, f.top, f.right, f.bottom);
  w.setMouseTracking(on);
  if (!on) {
    for (QtSkinButton* b : buttons_) b->hide();
    w.clearMask();
    w.unsetCursor();
    frameImage_ = QImage();
    w.update();
    return;
  }
  const int width = w.width();
  auto size = [](QtSkinButton* b) {
    const QSize s = b->StateSize();
    return SkinSize{s.width(), s.height()};
  };
  const CaptionButtons places = LayoutCaptionButtons(ini_, width, f.top, size(buttons_[kMin]), size(buttons_[kMax]),
                                                     size(buttons_[kClose]), size(buttons_[kSys]));
  const SkinRect rects[] = {places.min, places.max, places.close, places.sys};
  for (int i = 0; i < 4; ++i) {
    buttons_[i]->setGeometry(rects[i].left, rects[i].top, rects[i].width(), rects[i].height());
    buttons_[i]->setVisible(rects[i].width() > 0 && rects[i].height() > 0);
    buttons_[i]->raise();
  }
  RenderFrame();
  const SkinRect inner = InnerRect(f, width, w.height(), false);
  QRegion shape(inner.left, inner.top, inner.width(), inner.height());
  if (ini_.fillFrame) {
    shape = QRegion(RoundedOutline(width, w.height(), ini_.frameCorner).toFillPolygon().toPolygon());
  } else if (!frameImage_.isNull()) {
    shape |= QRegion(QBitmap::fromImage(frameImage_.createAlphaMask()));
  }
  w.setMask(shape);
  w.update();
}

void QtSkinFrame::RenderFrame() {
  QtFrameWindow& w = p_.window;
  const int W = w.width(), H = w.height();
  if (W <= 0 || H <= 0) {
    frameImage_ = QImage();
    return;
  }
  frameImage_ = QImage(W, H, QImage::Format_ARGB32_Premultiplied);
  frameImage_.fill(Qt::transparent);
  QPainter p(&frameImage_);
  const FrameWidths& f = widths_;
  const SkinRect inner = InnerRect(f, W, H, false);
  const QRect innerRect(inner.left, inner.top, inner.width(), inner.height());
  if (ini_.fillFrame) {
    QPainterPath band = RoundedOutline(W, H, ini_.frameCorner);
    QPainterPath hole;
    hole.addRect(innerRect);
    band = band.subtracted(hole);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(band, fill_.isNull() ? QBrush(w.palette().color(QPalette::Window)) : QBrush(fill_));
    return;
  }
  auto piece = [&](int i) -> const QImage& { return edges_[static_cast<std::size_t>(i)]; };
  auto pw = [&](int i) { return piece(i).width(); };
  auto ph = [&](int i) { return piece(i).height(); };
  auto put = [&](int i, int x, int y) {
    if (!piece(i).isNull()) p.drawImage(x, y, piece(i));
  };
  auto stretch = [&](int i, QRect target) {
    if (!piece(i).isNull() && target.width() > 0 && target.height() > 0) p.drawImage(target, piece(i));
  };
  // The straight edges first, so the fixed pieces lie over their ends.
  stretch(kTop, QRect(pw(kTopLeft), 0, W - pw(kTopLeft) - pw(kTopRight), ph(kTop)));
  stretch(kBottom, QRect(pw(kBottomLeft), H - ph(kBottom), W - pw(kBottomLeft) - pw(kBottomRight), ph(kBottom)));
  const int leftFrom = f.top + ph(kLeftTop), leftTo = H - f.bottom - ph(kLeftBottom);
  stretch(kLeft, QRect(f.left - pw(kLeft), leftFrom, pw(kLeft), leftTo - leftFrom));
  const int rightFrom = f.top + ph(kRightTop), rightTo = H - f.bottom - ph(kRightBottom);
  stretch(kRight, QRect(W - f.right, rightFrom, pw(kRight), rightTo - rightFrom));
  put(kTopLeft, 0, 0);
  put(kTopRight, W - pw(kTopRight), 0);
  put(kBottomLeft, 0, H - ph(kBottomLeft));
  put(kBottomRight, W - pw(kBottomRight), H - ph(kBottomRight));
  put(kLeftTop, 0, f.top);
  put(kRightTop, W - pw(kRightTop), f.top);
  put(kLeftBottom, 0, H - f.bottom - ph(kLeftBottom));
  put(kRightBottom, W - pw(kRightBottom), H - f.bottom - ph(kRightBottom));
}

void QtSkinFrame::PaintCaption(QWidget& window) {
  QPainter p(&window);
  if (!frameImage_.isNull()) p.drawImage(0, 0, frameImage_);
  const SkinRect r = CaptionTextRect(ini_, window.width());
  if (r.width() <= 0 || r.height() <= 0) return;
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(10);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(ini_.capTextColor.r, ini_.capTextColor.g, ini_.capTextColor.b));
  const QRect box(r.left, r.top, r.width(), r.height());
  const Qt::Alignment align = ini_.capAlign == 6   ? Qt::AlignHCenter
                              : ini_.capAlign == 2 ? Qt::AlignRight
                                                   : Qt::AlignLeft;
  p.setClipRect(box);
  p.drawText(box, static_cast<int>(align | Qt::AlignTop | Qt::TextSingleLine),
             p.fontMetrics().elidedText(window.windowTitle(), Qt::ElideRight, box.width()));
}

bool QtSkinFrame::eventFilter(QObject* watched, QEvent* event) {
  QtFrameWindow& w = p_.window;
  if (auto* bar = qobject_cast<QToolBar*>(watched); bar && event->type() == QEvent::Paint && !bandBack_.isNull()) {
    PaintToolBar(*bar);
    return true;
  }
  if (watched != &w) return false;
  const bool on = skins_.active() && !fullScreen();
  switch (event->type()) {
    case QEvent::Resize:
      if (on) Relayout();
      return false;
    case QEvent::WindowStateChange:
      if (skins_.active()) Relayout();
      return false;
    case QEvent::WindowTitleChange:
      if (on) w.update();
      return false;
    case QEvent::Paint:
      if (on) PaintCaption(w);
      return false;
    default: break;
  }
  if (!on) return false;
  auto* m = dynamic_cast<QMouseEvent*>(event);
  if (!m) return false;
  const QPoint at = m->position().toPoint();
  const HitZone zone = SkinHitTest(widths_, w.width(), w.height(), at.x(), at.y());
  static constexpr struct {
    HitZone zone;
    Qt::Edges edges;
    Qt::CursorShape cursor;
  } kZones[] = {
      {HitZone::Top, Qt::TopEdge, Qt::SizeVerCursor},
      {HitZone::Bottom, Qt::BottomEdge, Qt::SizeVerCursor},
      {HitZone::Left, Qt::LeftEdge, Qt::SizeHorCursor},
      {HitZone::Right, Qt::RightEdge, Qt::SizeHorCursor},
      {HitZone::TopLeft, Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor},
      {HitZone::BottomRight, Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor},
      {HitZone::TopRight, Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor},
      {HitZone::BottomLeft, Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor},
  };
  const auto edge = std::find_if(std::begin(kZones), std::end(kZones), [&](const auto& z) { return z.zone == zone; });
  const bool sizing = edge != std::end(kZones) && !w.isMaximized();
  switch (event->type()) {
    case QEvent::MouseMove:
      if (m->buttons() == Qt::NoButton) {
        if (sizing)
          w.setCursor(edge->cursor);
        else
          w.unsetCursor();
      }
      return false;
    case QEvent::MouseButtonPress:
      if (m->button() == Qt::RightButton && zone != HitZone::None) {
        ShowSystemMenu(m->globalPosition().toPoint());
        return true;
      }
      if (m->button() != Qt::LeftButton || !w.windowHandle()) return false;
      if (zone == HitZone::Caption) return w.windowHandle()->startSystemMove();
      if (sizing) return w.windowHandle()->startSystemResize(edge->edges);
      return false;
    case QEvent::MouseButtonDblClick:
      if (m->button() == Qt::LeftButton && zone == HitZone::Caption) {
        p_.frame.OnCommand(ID_CAPTION_MAXIMIZE);
        return true;
      }
      return false;
    default: return false;
  }
}

void QtSkinFrame::ShowSystemMenu(QPoint global) {
  QtFrameWindow& w = p_.window;
  const bool max = w.isMaximized(), min = w.isMinimized();
  QMenu menu(&w);
  menu.setObjectName(QStringLiteral("system-menu"));
  auto add = [&](const char* text, bool enabled, std::function<void()> run) {
    QAction* a = menu.addAction(T(text));
    a->setEnabled(enabled);
    connect(a, &QAction::triggered, &w, std::move(run));
  };
  add("&Restore", max || min, [&w] { w.showNormal(); });
  add("&Move", !max && !min, [&w] {
    if (w.windowHandle()) w.windowHandle()->startSystemMove();
  });
  add("&Size", !max && !min, [&w] {
    if (w.windowHandle()) w.windowHandle()->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
  });
  add("Mi&nimize", !min, [&w] { w.showMinimized(); });
  add("Ma&ximize", !max, [&w] { w.showMaximized(); });
  menu.addSeparator();
  add("&Close", true, [&w] { w.close(); });
  menu.exec(global);
}

void QtSkinFrame::SelectSkins() {
  if (AnsweredUnattended("Select Skins")) return;
  QDialog d(&p_.window);
  d.setObjectName(QStringLiteral("select-skins"));
  d.setWindowTitle(T("Select Skins"));
  auto* list = new QListWidget(&d);
  list->setObjectName(QStringLiteral("skin-list"));
  for (const std::string& name : ListSkins(skins_.folder())) {
    list->addItem(Q(name));
    if (name == skins_.name()) list->setCurrentRow(list->count() - 1);
  }
  auto* author = new QLabel(&d);
  auto* email = new QLabel(&d);
  auto* website = new QLabel(&d);
  author->setObjectName(QStringLiteral("skin-author"));
  email->setObjectName(QStringLiteral("skin-email"));
  website->setObjectName(QStringLiteral("skin-website"));
  for (QLabel* link : {email, website}) {
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(link, &QLabel::linkActivated, &d, [this](const QString& url) {
      if (p_.openUrl) p_.openUrl(S(url));
    });
  }
  auto linkTo = [](const std::string& href, const std::string& text) {
    if (text.empty()) return QString();
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(Q(href).toHtmlEscaped(), Q(text).toHtmlEscaped());
  };
  auto shown = [&] {
    const QListWidgetItem* item = list->currentItem();
    const SkinIni ini = item ? skins_.ReadIni(S(item->text())) : SkinIni();
    author->setText(Q(ini.author));
    email->setText(linkTo("mailto:" + ini.email, ini.email));
    website->setText(linkTo(ini.website, ini.website));
  };
  connect(list, &QListWidget::currentRowChanged, &d, shown);
  shown();
  auto apply = [&] {
    const QListWidgetItem* item = list->currentItem();
    if (!item) {
      ShowMessage("Please select a skin!");
      return false;
    }
    Apply(S(item->text()));
    return true;
  };
  connect(list, &QListWidget::itemDoubleClicked, &d, [&] { apply(); });

  auto* details = new QFormLayout;
  details->addRow(T("Author:"), author);
  details->addRow(T("Email:"), email);
  details->addRow(T("Website:"), website);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel |
                                           QDialogButtonBox::Help,
                                       &d);
  TranslateButtons(buttons);
  connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, &d, [&] {
    if (apply()) d.accept();
  });
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, &d, [&] { apply(); });
  connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, &d, [this] {
    if (p_.help) p_.help("skin.htm");
  });
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(list, 1);
  layout->addLayout(details);
  layout->addWidget(buttons);
  d.resize(380, 360);
  d.exec();
}

}  // namespace kestrel
