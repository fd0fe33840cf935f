#pragma once

#include <QProgressBar>

// A progress gauge from 0 to 100 that shows the percentage in its middle, and after it a
// remark such as the time left.
class TCGauge : public QProgressBar {
 public:
  explicit TCGauge(QWidget* parent = nullptr);
  void SetProgress(int percent);
  int Progress() const { return value(); }
  // Shown after the percentage until replaced; empty shows the percentage alone.
  void SetRemark(const QString& remark);
};
