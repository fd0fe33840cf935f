#include "platform/StandardStreams.h"
#include "ui/ProgramEntry.h"

int main(int argc, char* argv[]) {
  // Before anything is opened: a closed standard stream must not become the port.
  PrepareStandardStreams();
  return RunProgram(argc, argv);
}
