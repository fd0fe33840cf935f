#include "ui/widgets/ProgramArguments.h"

#include <QCoreApplication>
#include <QFile>

int ParamCount() { return static_cast<int>(QCoreApplication::arguments().size()) - 1; }

std::string ParamStr(int index) {
  QStringList arguments = QCoreApplication::arguments();
  if (index < 0 || index >= arguments.size()) return {};
  // Paths come back in the system's own encoding, as the file functions expect them.
  return QFile::encodeName(arguments.at(index)).toStdString();
}

ProgramArguments::ProgramArguments(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)) {}

ProgramArguments ProgramArguments::FromProcess() {
  std::vector<std::string> arguments;
  for (int i = 0; i <= ::ParamCount(); ++i) arguments.push_back(::ParamStr(i));
  return ProgramArguments(std::move(arguments));
}

std::string ProgramArguments::ParamStr(int index) const {
  if (index < 0 || index >= static_cast<int>(arguments_.size())) return {};
  return arguments_[static_cast<size_t>(index)];
}
