#include "ui/widgets/TCGauge.h"

TCGauge::TCGauge(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setFormat("%p%");
  setAlignment(Qt::AlignCenter);
}

void TCGauge::SetProgress(int percent) {
  setValue(percent < 0 ? 0 : (percent > 100 ? 100 : percent));
}

void TCGauge::SetRemark(const QString& remark) {
  setFormat(remark.isEmpty() ? QString("%p%") : "%p%  \u2013  " + remark);
}
