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
  };

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  // Answers from WillAnswer(), No when nothing is scripted.
  bool Ask(const std::string& question) override {
    questions.push_back(question);
    if (yesNoAnswers.empty()) return false;
    bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
  }
  bool OpenFile(const std::string& filter, std::string& path) override {
    opened.push_back({filter, ""});
    return Answer(path);
  }
  bool SaveFile(const std::string& filter, const std::string& defaultExtension,
                std::string& path) override {
    saved.push_back({filter, defaultExtension});
    return Answer(path);
  }

  // The next dialog is confirmed with `path`; an empty path cancels it.
  void WillChoose(const std::string& path) { answers.push_back(path); }
  void WillAnswer(bool yes) { yesNoAnswers.push_back(yes); }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<Asked> opened;
  std::vector<Asked> saved;

 private:
  bool Answer(std::string& path) {
    if (answers.empty()) return false;
    path = answers.front();
    answers.pop_front();
    return !path.empty();
  }
  std::deque<std::string> answers;
  std::deque<bool> yesNoAnswers;
};
