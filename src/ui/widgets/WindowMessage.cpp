#include "ui/widgets/WindowMessage.h"

#include <atomic>

namespace {

// Released by every message made on a posting thread, acquired by the receiver.
std::atomic<uint32_t> handOver{0};

}  // namespace

WindowMessage::WindowMessage(unsigned number, intptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), number_(number), wParam_(wParam), lParam_(lParam) {
  handOver.fetch_add(1, std::memory_order_release);
}

QEvent::Type WindowMessage::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void WindowMessage::Receive() { handOver.load(std::memory_order_acquire); }
