#pragma once

#include <QRect>
#include <QWidget>
#include <utility>
#include <vector>

// Fixed positions for the window's controls, drawn for a small design font. When the
// platform's own font needs more room than a control has, every position and size is scaled
// by the same factor, so the layout keeps its shape and no caption is cut; with a font that
// fits, the positions are exactly the design's.
class DesignLayout {
 public:
  // Records the design geometry (in the parent's coordinates) and sets it.
  void Place(QWidget* widget, int left, int top, int width, int height);
  // Places a label at its position, as wide as its text and as high as the row it names,
  // so its text lines up with the field beside it, which begins `room` to the right.
  void PlaceAtPoint(QWidget* widget, int left, int top, int rowHeight, int room);

  // The factor the recorded controls need, at least 1, rounded up to a twentieth.
  double NeededScale() const;
  // Applies `scale` to every recorded control.
  void Apply(double scale) const;
  static int Scaled(int length, double scale);

 private:
  struct Entry {
    QWidget* widget;
    QRect design;
    bool sizedToContent;
    int room;  // sized to content: the width up to the next control
  };
  std::vector<Entry> entries_;
};
