#pragma once

#include <exception>
#include <string>

class QWidget;

// A modal box with the text and an OK button.
void ShowMessage(const std::string& text, QWidget* parent = nullptr);
// The same for an exception that reached the program's outermost level.
void ShowException(const std::exception& error);
