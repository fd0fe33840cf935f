#pragma once

#include <QLabel>
#include <QStatusBar>
#include <string>

// A status bar with one simple text. Hints shown over it (a menu item's status tip) hide the
// text only while they last.
class TStatusBar : public QStatusBar {
 public:
  explicit TStatusBar(QWidget* parent = nullptr);
  void SetSimpleText(const std::string& text);
  std::string SimpleText() const;

 private:
  QLabel* text_;
};
