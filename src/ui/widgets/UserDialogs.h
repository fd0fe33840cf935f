#pragma once

#include <string>

// The modal boxes a window asks the user through. Filters are in the toolkit's form,
// "bin (*.bin);;Intel HEX (*.hex)".
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A box with the text and an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // A box with the question and the buttons Yes and No; true for Yes.
  virtual bool Ask(const std::string& question) = 0;
  // True with the chosen path when the user confirmed.
  virtual bool OpenFile(const std::string& filter, std::string& path) = 0;
  // Also adds `defaultExtension` to a name typed without one; does not ask before replacing
  // an existing file.
  virtual bool SaveFile(const std::string& filter, const std::string& defaultExtension,
                        std::string& path) = 0;
};
