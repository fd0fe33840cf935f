#pragma once

#include <QLabel>
#include <QStatusBar>
#include <string>

// A status bar with one simple text. Hints shown over it (a menu item's status tip) hide the
// text only while they last. A text longer than the bar has room for ends in "..." rather
// than widening the window; its tool tip holds all of it.
class TStatusBar : public QStatusBar {
 public:
  explicit TStatusBar(QWidget* parent = nullptr);
  // A path or a text in the system's encoding.
  void SetSimpleText(const std::string& text);
  void SetText(const QString& text);
  // All of it, also when it is shown cut.
  std::string SimpleText() const;

 protected:
  // The text's room changes with the bar and with the fields beside it.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowFitting();

  QLabel* text_;
  QString full_;
};
