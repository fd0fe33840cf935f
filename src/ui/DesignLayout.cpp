#include "ui/DesignLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

void DesignLayout::Place(QWidget* widget, int left, int top, int width, int height) {
  entries_.push_back({widget, QRect(left, top, width, height), false, width});
  widget->setGeometry(left, top, width, height);
}

void DesignLayout::PlaceAtPoint(QWidget* widget, int left, int top, int rowHeight, int room) {
  entries_.push_back({widget, QRect(left, top, widget->sizeHint().width(), rowHeight), true, room});
  widget->setGeometry(entries_.back().design);
}

namespace {

// Room a control needs for its text in its own font: the caption (a mnemonic's & only
// underlines its letter) and a small margin for a push button's bevel, a check box's mark and
// its caption, an edit's line, the gap after a label.
QSize NeededSize(QWidget* widget) {
  const QFontMetrics metrics = widget->fontMetrics();
  if (auto* label = qobject_cast<QLabel*>(widget)) return {label->sizeHint().width() + 4, 0};
  if (auto* check = qobject_cast<QCheckBox*>(widget)) {
    return {check->sizeHint().width(), metrics.height() + 2};
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    return {metrics.horizontalAdvance(QString(button->text()).remove('&')) + 12,
            metrics.height() + 6};
  }
  if (qobject_cast<QLineEdit*>(widget)) return {0, metrics.height() + 6};
  return {0, 0};
}

}  // namespace

double DesignLayout::NeededScale() const {
  double scale = 1.0;
  for (const Entry& entry : entries_) {
    const QSize needed = NeededSize(entry.widget);
    scale = std::max(scale, double(needed.width()) / entry.room);
    scale = std::max(scale, double(needed.height()) / entry.design.height());
  }
  return std::ceil(scale * 20.0 - 1e-9) / 20.0;
}

int DesignLayout::Scaled(int length, double scale) {
  return static_cast<int>(std::lround(length * scale));
}

void DesignLayout::Apply(double scale) const {
  for (const Entry& entry : entries_) {
    const QRect& r = entry.design;
    const int width = entry.sizedToContent ? r.width() : Scaled(r.width(), scale);
    entry.widget->setGeometry(Scaled(r.left(), scale), Scaled(r.top(), scale), width,
                              Scaled(r.height(), scale));
  }
}
