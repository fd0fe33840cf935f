#pragma once

#include <QEvent>
#include <cstdint>

// A window message as a toolkit event: a number and two integer parameters. Posted with
// QCoreApplication::postEvent from any thread, it is delivered on the receiver's thread in
// the order of posting, where the receiver routes it by number.
class WindowMessage : public QEvent {
 public:
  WindowMessage(unsigned number, intptr_t wParam, intptr_t lParam);

  // The event type every window message carries, registered once.
  static QEvent::Type EventType();
  // Called by a receiver before it looks at an event that may be a window message. It pairs
  // with the constructor on the posting thread, so that a thread checker, which does not see
  // the toolkit's own queue locks, sees the hand-over too. One atomic load.
  static void Receive();

  unsigned Number() const { return number_; }
  intptr_t WParam() const { return wParam_; }
  intptr_t LParam() const { return lParam_; }

 private:
  unsigned number_;
  intptr_t wParam_;
  intptr_t lParam_;
};
