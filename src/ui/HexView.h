#pragma once

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>
#include <cstdint>

#include "image/Buffer.h"

// A read-only hex view of a memory image: a row for every 16 bytes with the address, the
// bytes and their ASCII characters ('.' for those that have none). It shows one image, or two
// side by side, the bytes the chip should hold on the left and those it holds on the right;
// then the bytes that differ are marked and their rows flagged with '*' after the address.
class HexView : public QWidget {
  Q_DECLARE_TR_FUNCTIONS(HexView)

 public:
  explicit HexView(QWidget* parent = nullptr);

  // `caption` says above the rows what is shown.
  void ShowImage(const Buffer& image, const QString& caption);
  // Compares the first `length` bytes (the chip's flash).
  void ShowComparison(const Buffer& expected, const Buffer& chip, uint32_t length,
                      const QString& caption);
  // Scrolls the row of `address` into the middle and puts the cursor on that byte.
  void JumpTo(uint32_t address);

  // The address of the byte the cursor is on (of the row, when it is outside the bytes).
  uint32_t CurrentAddress() const;
  QString Caption() const { return caption_->text(); }
  // The text of the row that holds `address`; empty beyond the image.
  QString Row(uint32_t address) const;
  bool Comparing() const { return comparing_; }

 private:
  void Fill(const QString& rows, const QString& header, const QString& caption);
  void Mark(const Buffer& expected, const Buffer& chip, uint32_t length);

  QLabel* caption_;
  QLabel* header_;
  QPlainTextEdit* text_;
  bool comparing_ = false;
};
