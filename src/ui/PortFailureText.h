#pragma once

#include <string>

#include "platform/PortOpenFailure.h"

// How the window tells that a port could not be opened, in the window's language: a first
// line of its own, "Serial port COM3 cannot be opened" (in Czech "Sériový port COM3 nelze
// otevřít"), then on a second line what went wrong and what to do about it with the window
// (the port menu, the other program, the group the user must join).
std::string PortFailureText(const PortOpenFailure& failure);
