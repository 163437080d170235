#pragma once
// Drives a modal Qt dialog as a person would: the action runs once the
// dialog is up. With KESTREL_SHOT_DIR set, each dialog is also saved as a
// picture there.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>

namespace kestrel::test {

// Saves the window as "<name or title>.png" in KESTREL_SHOT_DIR, when that is set.
inline void SaveShot(QWidget* w, QString name = {}) {
  if (name.isEmpty()) name = w->windowTitle();
  if (const char* dir = std::getenv("KESTREL_SHOT_DIR"))
    w->grab().save(QString::fromUtf8(dir) + "/" + name.replace(' ', '_') + ".png");
}

inline void WhenShown(std::function<void(QDialog*)> act) {
  QTimer::singleShot(0, [act] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    SaveShot(d);
    act(d);
  });
}

// The first button of type W whose text, without its mnemonic, is `text`.
template <typename W = QPushButton>
W* Find(QWidget* d, const QString& text) {
  for (W* w : d->findChildren<W*>())
    if (w->text().remove('&') == text) return w;
  return nullptr;
}

inline QPushButton* Button(QWidget* d, const QString& text) { return Find<QPushButton>(d, text); }

}  // namespace kestrel::test
