#include "ui/HexView.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QVBoxLayout>
#include <string>

namespace {

constexpr uint32_t kRowBytes = 16;
constexpr int kBytesColumn = 6;  // "0120* " comes first
constexpr int kHexWidth = 49;    // 16 bytes "XX ", and a space more after the eighth
constexpr int kSideWidth = kHexWidth + 1 + kRowBytes;  // the bytes, a space, the ASCII
const char* const kBetween = "  |  ";

// The column of byte `i` of a row in the hex part that starts at `start`.
int ByteColumn(int start, uint32_t i) { return start + int(i) * 3 + (i >= 8 ? 1 : 0); }

QString HexPart(const Buffer& image, uint32_t row) {
  QString text;
  for (uint32_t i = 0; i < kRowBytes; ++i) {
    text += QString("%1 ").arg(image[row + i], 2, 16, QChar('0')).toUpper();
    if (i == 7) text += ' ';
  }
  return text;
}

QString AsciiPart(const Buffer& image, uint32_t row) {
  QString text;
  for (uint32_t i = 0; i < kRowBytes; ++i) {
    const uint8_t byte = image[row + i];
    text += (byte >= 0x20 && byte < 0x7F) ? QChar(byte) : QChar('.');
  }
  return text;
}

QString Side(const Buffer& image, uint32_t row) {
  return HexPart(image, row) + ' ' + AsciiPart(image, row);
}

QString Address(uint32_t row, bool differs) {
  return QString("%1").arg(row, 4, 16, QChar('0')).toUpper() + (differs ? "* " : "  ");
}

bool RowDiffers(const Buffer& expected, const Buffer& chip, uint32_t row, uint32_t length) {
  for (uint32_t a = row; a < row + kRowBytes && a < length; ++a) {
    if (expected[a] != chip[a]) return true;
  }
  return false;
}

QString ColumnHeader() {
  QString text = QString(kBytesColumn, ' ');
  for (uint32_t i = 0; i < kRowBytes; ++i) {
    text += QString("%1 ").arg(i, 2, 16, QChar('0')).toUpper();
    if (i == 7) text += ' ';
  }
  return text;
}

}  // namespace

HexView::HexView(QWidget* parent)
    : QWidget(parent),
      caption_(new QLabel(this)),
      header_(new QLabel(this)),
      text_(new QPlainTextEdit(this)) {
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  caption_->setObjectName("hexCaption");
  caption_->setWordWrap(true);
  caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  header_->setFont(fixed);
  text_->setObjectName("hexRows");
  text_->setFont(fixed);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(caption_);
  layout->addWidget(header_);
  layout->addWidget(text_, 1);
  // The header lines up with the rows inside the text's frame and margin.
  header_->setContentsMargins(text_->frameWidth() + int(text_->document()->documentMargin()), 0, 0,
                              0);
  caption_->setText(tr("No image yet: open a file, or read the chip."));
}

void HexView::ShowImage(const Buffer& image, const QString& caption) {
  QString rows;
  for (uint32_t row = 0; row < image.Size(); row += kRowBytes) {
    rows += Address(row, false) + Side(image, row) + '\n';
  }
  comparing_ = false;
  Fill(rows, ColumnHeader(), caption);
}

void HexView::ShowComparison(const Buffer& expected, const Buffer& chip, uint32_t length,
                             const QString& caption) {
  QString rows;
  for (uint32_t row = 0; row < expected.Size() && row < chip.Size(); row += kRowBytes) {
    rows += Address(row, RowDiffers(expected, chip, row, length)) + Side(expected, row) + kBetween +
            Side(chip, row) + '\n';
  }
  comparing_ = true;
  const QString header = ColumnHeader();
  Fill(rows, header + QString(kSideWidth - kHexWidth + 5, ' ') + header.mid(kBytesColumn), caption);
  Mark(expected, chip, length);
}

void HexView::Fill(const QString& rows, const QString& header, const QString& caption) {
  caption_->setText(caption);
  header_->setText(header);
  text_->setExtraSelections({});
  text_->setPlainText(rows.left(rows.size() - 1));
}

// The differing bytes on both sides, on a background of their own.
void HexView::Mark(const Buffer& expected, const Buffer& chip, uint32_t length) {
  QTextEdit::ExtraSelection mark;
  mark.format.setBackground(QColor(255, 190, 190));
  mark.format.setForeground(Qt::black);
  QList<QTextEdit::ExtraSelection> marks;
  const int chipStart = kBytesColumn + kSideWidth + int(std::char_traits<char>::length(kBetween));
  for (uint32_t a = 0; a < length && a < expected.Size() && a < chip.Size(); ++a) {
    if (expected[a] == chip[a]) continue;
    const QTextBlock block = text_->document()->findBlockByNumber(int(a / kRowBytes));
    for (int start : {kBytesColumn, chipStart}) {
      mark.cursor = QTextCursor(block);
      mark.cursor.setPosition(block.position() + ByteColumn(start, a % kRowBytes));
      mark.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
      marks << mark;
    }
  }
  text_->setExtraSelections(marks);
}

void HexView::JumpTo(uint32_t address) {
  const QTextBlock block = text_->document()->findBlockByNumber(int(address / kRowBytes));
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + ByteColumn(kBytesColumn, address % kRowBytes));
  cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
  text_->setTextCursor(cursor);
  text_->centerCursor();
}

uint32_t HexView::CurrentAddress() const {
  const QTextCursor cursor = text_->textCursor();
  const uint32_t row = uint32_t(cursor.blockNumber()) * kRowBytes;
  const int column = cursor.selectionStart() - cursor.block().position();
  if (column < kBytesColumn || column >= kBytesColumn + kHexWidth) return row;
  for (uint32_t i = kRowBytes; i-- > 0;) {
    if (column >= ByteColumn(kBytesColumn, i)) return row + i;
  }
  return row;
}

QString HexView::Row(uint32_t address) const {
  const QTextBlock block = text_->document()->findBlockByNumber(int(address / kRowBytes));
  return block.isValid() ? block.text() : QString();
}
