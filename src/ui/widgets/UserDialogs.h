#pragma once

#include <string>

// The modal boxes a window asks the user through. Filters are in the toolkit's form,
// "bin (*.bin);;Intel HEX (*.hex)".
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A box with the text and an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The same with the error icon: something the user asked for failed.
  virtual void ShowError(const std::string& text) = 0;
  // A box with the question and the buttons Yes and No; true for Yes.
  virtual bool Ask(const std::string& question) = 0;
  // The same with a "don't ask again" box below the question, whose state comes back in
  // `dontAskAgain`.
  virtual bool Confirm(const std::string& question, bool& dontAskAgain) = 0;
  // True with the chosen path when the user confirmed; the dialog starts in `folder` (empty:
  // the working folder).
  virtual bool OpenFile(const std::string& filter, const std::string& folder,
                        std::string& path) = 0;
  // Also adds `defaultExtension` to a name typed without one; does not ask before replacing
  // an existing file.
  virtual bool SaveFile(const std::string& filter, const std::string& defaultExtension,
                        const std::string& folder, std::string& path) = 0;
};
