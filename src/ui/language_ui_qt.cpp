#include "ui/language_ui_qt.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QTabWidget>
#include <QToolBar>

#include "language/language.h"
#include "common/message.h"
#include "common/progdir.h"
#include "settings/settings.h"
#include "ui/frame_window_qt.h"
#include "ui/menu_bar_qt.h"

namespace kestrel {
namespace {

QString Tr(CLanguages& l, const QString& text) {
  if (text.isEmpty()) return text;
  return QString::fromStdString(l.Translate(text.toStdString()));
}

// Each action once: the menus and the tool bars share them.
void TranslateAction(QAction* a, CLanguages& l, QSet<QAction*>& done) {
  if (a->isSeparator() || done.contains(a)) return;
  done.insert(a);
  // An item's text may carry its accelerator after a tab: only the words change.
  if (!a->text().isEmpty()) a->setText(QString::fromStdString(l.TranslateMenuText(a->text().toStdString())));
  if (!a->toolTip().isEmpty()) a->setToolTip(Tr(l, a->toolTip()));
  if (!a->statusTip().isEmpty()) a->setStatusTip(Tr(l, a->statusTip()));
  if (QMenu* m = a->menu())
    for (QAction* child : m->actions()) TranslateAction(child, l, done);
}

bool InsideUserText(const QWidget* w) {
  for (const QWidget* p = w; p; p = p->parentWidget())
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QLineEdit*>(p)) return true;
  return false;
}

}  // namespace

void TranslateWidgetTree(QWidget* root, CLanguages& l) {
  if (!root || l.source() == l.target()) return;
  QList<QWidget*> all = root->findChildren<QWidget*>();
  all.prepend(root);
  QSet<QAction*> done;
  for (QWidget* w : all) {
    // A field's hint is the program's text; what is typed in it is not.
    if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->placeholderText().isEmpty())
      edit->setPlaceholderText(Tr(l, edit->placeholderText()));
    if (InsideUserText(w)) continue;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      // Padding around a label's words is layout, not text.
      const QString t = label->text();
      const QString core = t.trimmed();
      if (!core.isEmpty()) label->setText(QString(t).replace(core, Tr(l, core)));
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (!b->text().isEmpty()) b->setText(Tr(l, b->text()));
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      g->setTitle(Tr(l, g->title()));
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) tabs->setTabText(i, Tr(l, tabs->tabText(i)));
    } else if (auto* bar = qobject_cast<QToolBar*>(w)) {
      bar->setWindowTitle(Tr(l, bar->windowTitle()));
    }
    if (!w->toolTip().isEmpty()) w->setToolTip(Tr(l, w->toolTip()));
    if (dynamic_cast<QtMenuBar*>(w) || qobject_cast<QToolBar*>(w))
      for (QAction* a : w->actions()) TranslateAction(a, l, done);
  }
}

}  // namespace kestrel
