#include "ui/widgets/TStatusBar.h"

#include <QEvent>
#include <QFile>

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
  text_->setIndent(4);
  text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  addWidget(text_, 1);
  text_->installEventFilter(this);
}

void TStatusBar::SetSimpleText(const std::string& text) {
  SetText(QFile::decodeName(QByteArray::fromStdString(text)));
}

void TStatusBar::SetText(const QString& text) {
  full_ = text;
  text_->setToolTip(text);
  ShowFitting();
}

std::string TStatusBar::SimpleText() const { return QFile::encodeName(full_).toStdString(); }

bool TStatusBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_ && event->type() == QEvent::Resize) ShowFitting();
  return QStatusBar::eventFilter(watched, event);
}

void TStatusBar::ShowFitting() {
  const int room = text_->contentsRect().width() - text_->indent();
  text_->setText(room > 0 ? text_->fontMetrics().elidedText(full_, Qt::ElideRight, room) : full_);
}
