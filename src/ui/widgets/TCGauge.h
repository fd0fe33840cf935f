#pragma once

#include <QProgressBar>

// A progress gauge from 0 to 100 that shows the percentage in its middle.
class TCGauge : public QProgressBar {
 public:
  explicit TCGauge(QWidget* parent = nullptr);
  void SetProgress(int percent);
  int Progress() const { return value(); }
};
