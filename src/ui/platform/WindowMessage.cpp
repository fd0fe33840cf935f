#include "ui/platform/WindowMessage.h"

WindowMessage::WindowMessage(unsigned number, intptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), number_(number), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessage::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}
