#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/widgets/UserDialogs.h"

// Dialogs that answer from a script and remember what they were shown.
class ScriptedDialogs : public UserDialogs {
 public:
  struct Asked {
    std::string filter;
    std::string defaultExtension;
    std::string folder;  // where the dialog started
  };

  // Every box's text, errors among them; those shown with the error icon also in `errors`.
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override {
    messages.push_back(text);
    errors.push_back(text);
  }
  // Answers from WillAnswer(), No when nothing is scripted.
  bool Ask(const std::string& question) override {
    questions.push_back(question);
    if (yesNoAnswers.empty()) return false;
    bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
  }
  // Answers from WillConfirm(), No with the box unticked when nothing is scripted.
  bool Confirm(const std::string& question, bool& dontAskAgain) override {
    confirmations.push_back(question);
    Confirmation answer = confirmAnswers.empty() ? Confirmation{} : confirmAnswers.front();
    if (!confirmAnswers.empty()) confirmAnswers.pop_front();
    dontAskAgain = answer.dontAskAgain;
    return answer.yes;
  }
  bool OpenFile(const std::string& filter, const std::string& folder, std::string& path) override {
    opened.push_back({filter, "", folder});
    return Answer(path);
  }
  bool SaveFile(const std::string& filter, const std::string& defaultExtension,
                const std::string& folder, std::string& path) override {
    saved.push_back({filter, defaultExtension, folder});
    return Answer(path);
  }

  // The next dialog is confirmed with `path`; an empty path cancels it.
  void WillChoose(const std::string& path) { answers.push_back(path); }
  void WillAnswer(bool yes) { yesNoAnswers.push_back(yes); }
  void WillConfirm(bool yes, bool dontAskAgain = false) {
    confirmAnswers.push_back({yes, dontAskAgain});
  }

  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::vector<std::string> confirmations;
  std::vector<Asked> opened;
  std::vector<Asked> saved;

 private:
  struct Confirmation {
    bool yes = false;
    bool dontAskAgain = false;
  };
  bool Answer(std::string& path) {
    if (answers.empty()) return false;
    path = answers.front();
    answers.pop_front();
    return !path.empty();
  }
  std::deque<std::string> answers;
  std::deque<bool> yesNoAnswers;
  std::deque<Confirmation> confirmAnswers;
};
