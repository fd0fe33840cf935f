#include "ui/widgets/TStatusBar.h"

#include <QFile>

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
  text_->setIndent(4);
  addWidget(text_, 1);
}

void TStatusBar::SetSimpleText(const std::string& text) {
  text_->setText(QFile::decodeName(QByteArray::fromStdString(text)));
}

std::string TStatusBar::SimpleText() const {
  return QFile::encodeName(text_->text()).toStdString();
}
