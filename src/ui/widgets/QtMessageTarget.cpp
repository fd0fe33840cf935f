#include "ui/widgets/QtMessageTarget.h"

#include <QCoreApplication>

#include "ui/widgets/WindowMessage.h"

bool QtMessageTarget::Post(unsigned message, intptr_t wParam, intptr_t lParam) {
  if (!receiver_ || !QCoreApplication::instance()) return false;
  // The queue takes ownership of the event and deletes it once delivered.
  QCoreApplication::postEvent(receiver_, new WindowMessage(message, wParam, lParam));
  return true;
}
