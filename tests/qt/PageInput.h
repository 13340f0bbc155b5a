#pragma once
#include <QWidget>

// The widget that takes the page's mouse and keys: the end of the view's
// chain of focus proxies (the view, then the engine's view, then its
// renderer widget), or the view itself before the engine has one.
inline QWidget* PageInput(QWidget& view) {
  QWidget* input = &view;
  while (input->focusProxy()) input = input->focusProxy();
  return input;
}
