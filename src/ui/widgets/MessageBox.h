#pragma once

#include <exception>
#include <string>

class QWidget;

// A modal box with the text and an OK button; with the error icon when `error` is set.
void ShowMessage(const std::string& text, QWidget* parent = nullptr, bool error = false);
// The same for an exception that reached the program's outermost level.
void ShowException(const std::exception& error);
