#include "cli/CommandLine.h"

#include <map>

#include "cli/CliError.h"
#include "cli/PortChoice.h"
#include "device/ChipCatalog.h"
#include "platform/Exception.h"

namespace {

using Command = CliOptions::Command;

const std::map<std::string, Command>& CommandNames() {
  static const std::map<std::string, Command> kNames = {
      {"signature", Command::Signature}, {"read", Command::Read},   {"write", Command::Write},
      {"verify", Command::Verify},       {"erase", Command::Erase}, {"lock", Command::Lock},
      {"ports", Command::Ports},
  };
  return kNames;
}

[[noreturn]] void Usage(const std::string& message) {
  throw CliError(CliError::kUsage, message + " (isp89-cli --help lists the usage)");
}

bool TakesFile(Command command) {
  return command == Command::Read || command == Command::Write || command == Command::Verify;
}

// Walks the arguments; each option that takes a value takes the next one or its "=value".
class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  CliOptions Run() {
    for (index_ = 0; index_ < arguments_.size(); ++index_) Take(arguments_[index_]);
    if (options_.command == Command::Help || options_.command == Command::Version) {
      return options_;
    }
    Check();
    return options_;
  }

 private:
  void Take(const std::string& argument) {
    std::string name = argument, value;
    bool inlineValue = false;
    if (argument.compare(0, 2, "--") == 0 && argument.find('=') != std::string::npos) {
      name = argument.substr(0, argument.find('='));
      value = argument.substr(argument.find('=') + 1);
      inlineValue = true;
    }
    auto valueOf = [&]() {
      if (inlineValue) return value;
      if (index_ + 1 >= arguments_.size()) Usage("option " + name + " needs a value");
      return arguments_[++index_];
    };
    if (name.size() > 1 && name[0] == '-') optionsGiven_.push_back(name);
    if (name == "-h" || name == "--help") {
      options_.command = Command::Help;
    } else if (name == "--version") {
      if (options_.command != Command::Help) options_.command = Command::Version;
    } else if (name == "-p" || name == "--port") {
      options_.ports.push_back(valueOf());
    } else if (name == "-d" || name == "--device") {
      options_.device = valueOf();
    } else if (name == "--format") {
      options_.format = ParseFormat(valueOf());
    } else if (name == "--write") {
      options_.lockMode = ParseLockMode(valueOf());
    } else if (name == "--crystal") {
      options_.ftdi.crystalHz = ParseCrystal(valueOf());
    } else if (name == "--pins") {
      options_.ftdi.pins = ParsePins(valueOf());
    } else if (name == "--verify") {
      options_.verify = ParseVerify(valueOf());
      verifyGiven_ = true;
    } else if (name == "--trace" || name == "-q" || name == "--quiet" || name == "--force" ||
               name == "--no-verify" || name == "--erase-locked") {
      if (inlineValue) Usage("option " + name + " takes no value");
      Flag(name);
    } else if (name.size() > 1 && name[0] == '-') {
      Usage("unknown option '" + argument + "'");
    } else {
      Positional(argument);
    }
  }

  void Flag(const std::string& name) {
    if (name == "--trace") options_.trace = true;
    if (name == "-q" || name == "--quiet") options_.quiet = true;
    if (name == "--force") options_.force = true;
    if (name == "--no-verify") options_.noVerify = true;
    if (name == "--erase-locked") options_.eraseLocked = true;
  }

  static CliOptions::Verify ParseVerify(const std::string& text) {
    if (text == "written") return CliOptions::Verify::Written;
    if (text == "full") return CliOptions::Verify::Full;
    Usage("--verify takes 'written' or 'full', not '" + text + "'");
  }

  static unsigned ParseLockMode(const std::string& text) {
    if (text.size() != 1 || text[0] < '0' || text[0] > '7') {
      Usage("lock mode '" + text + "' is not 0 to 7 (bit 0 programs LB1, bit 1 LB2, bit 2 LB3)");
    }
    return static_cast<unsigned>(text[0] - '0');
  }

  // MHz: "12", "11.0592"; 3 to 33, the clocks the chips program with.
  static double ParseCrystal(const std::string& text) {
    size_t used = 0;
    double mhz = 0;
    try {
      mhz = std::stod(text, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != text.size() || !(mhz >= 3 && mhz <= 33)) {
      Usage("--crystal takes the target's clock in MHz, 3 to 33 (such as 11.0592), not '" + text +
            "'");
    }
    return mhz * 1e6;
  }

  static FtdiPins ParsePins(const std::string& text) {
    try {
      return FtdiPins::Parse(text);
    } catch (const Exception& e) {
      Usage(e.Message());
    }
  }

  static ImageFile::Format ParseFormat(const std::string& text) {
    std::optional<ImageFile::Format> format = ImageFile::FormatNamed(text);
    if (!format) Usage("format '" + text + "' is not raw or hex");
    return *format;
  }

  void Positional(const std::string& argument) {
    if (commandSeen_ && TakesFile(options_.command) && options_.file.empty()) {
      options_.file = argument;
      return;
    }
    if (commandSeen_) Usage("unexpected argument '" + argument + "'");
    auto found = CommandNames().find(argument);
    if (found == CommandNames().end()) Usage("unknown command '" + argument + "'");
    commandSeen_ = true;
    if (options_.command == Command::None) options_.command = found->second;
  }

  void Check() {
    const Command command = options_.command;
    if (command == Command::None) Usage("no command given");
    if (command == Command::Ports && !optionsGiven_.empty()) {
      Usage("ports takes no options: it lists every port, whatever " + optionsGiven_.front() +
            " says");
    }
    if (options_.eraseLocked && command != Command::Write && command != Command::Erase) {
      Usage("--erase-locked belongs to write and erase");
    }
    if (TakesFile(command) && options_.file.empty()) Usage("the command needs a FILE");
    if (options_.lockMode && command != Command::Lock) Usage("--write belongs to the lock command");
    if (verifyGiven_ && command != Command::Write) Usage("--verify belongs to the write command");
    if (verifyGiven_ && options_.noVerify) Usage("--verify and --no-verify contradict each other");
    if (options_.format && !TakesFile(command)) Usage("--format applies to read, write and verify");
    if (options_.file == "-" && command != Command::Read) {
      Usage("- (the standard output) is for read");
    }
    if (options_.noVerify && command != Command::Write && command != Command::Erase &&
        command != Command::Lock) {
      Usage("--no-verify applies to write, erase and lock --write only");
    }
    if (!options_.device.empty() && !ChipCatalog::FindByName(options_.device)) {
      Usage("unknown device '" + options_.device + "': choose " + ChipCatalog::Names());
    }
    if (options_.ports.empty()) options_.ports.push_back("COM1");
    options_.portsGiven = options_.ports;
    for (std::string& port : options_.ports) port = PortChoice::Normalize(port);
    if (options_.ports.size() > 1) CheckSeveralPorts();
  }

  // Each port runs a session of its own, at once: a command that leaves a file, or that
  // prints what one chip holds, needs one port.
  void CheckSeveralPorts() const {
    const Command command = options_.command;
    if (command == Command::Read || command == Command::Lock || command == Command::Ports) {
      Usage("several ports (-p) work with write, verify, erase and signature only");
    }
    if (options_.trace) Usage("--trace takes one port: every port would write the same files");
  }

  const std::vector<std::string>& arguments_;
  size_t index_ = 0;
  bool commandSeen_ = false;
  bool verifyGiven_ = false;
  std::vector<std::string> optionsGiven_;
  CliOptions options_;
};

}  // namespace

CliOptions CommandLine::Parse(const std::vector<std::string>& arguments) {
  return Parser(arguments).Run();
}

std::string CommandLine::HelpText() {
  return "Usage: isp89-cli [options] COMMAND\n"
         "Programs an AT89S51 or AT89S52 through the serial-port adapter, or an FTDI\n"
         "USB chip wired to the target's SCK, MOSI, MISO and RST.\n"
         "\n"
         "Commands:\n"
         "  signature          read the three signature bytes and name the chip\n"
         "  read FILE          read the whole code memory into FILE (- : standard output)\n"
         "  write FILE         erase the chip, write the pages of FILE that hold data,\n"
         "                     read them back and compare\n"
         "  verify FILE        compare the chip's code memory with FILE\n"
         "  erase              erase the chip (flash to FF, lock bits cleared)\n"
         "  lock               show the lock bits LB1, LB2, LB3\n"
         "  lock --write MODE  program lock bits: MODE 0 to 7, bit 0 LB1, bit 1 LB2,\n"
         "                     bit 2 LB3 (3: no programming, no reading back)\n"
         "  ports              list the serial ports, and which COMn names each, and the\n"
         "                     FTDI chips\n"
         "\n"
         "A FILE to write or verify that holds Intel HEX records is read as HEX whatever\n"
         "its name; a FILE named .hex or .ihx must be HEX; any other is a raw image.\n"
         "read saves FILE as HEX when it ends in .hex or .ihx, else raw (- : raw).\n"
         "Every command reads the signature first and stops when it names no known chip.\n"
         "\n"
         "Options:\n"
         "  -p, --port PORT    COMn (or just n), a device path such as /dev/ttyUSB0,\n"
         "                     a USB serial number, usb:VID:PID, or sim, sim:AT89S51,\n"
         "                     sim:AT89S52, sim2 ... (default COM1; COMn is the device in\n"
         "                     ISP89_COM<n>, else the system's port n); or an FTDI chip\n"
         "                     driving the target's pins itself: ftdi, ftdi:SERIAL,\n"
         "                     ftdi:VID:PID (:A, :B for an interface), sim-ftdi. Given more\n"
         "                     than once, write, verify, erase and signature run on every\n"
         "                     port at once and end with a table of the results\n"
         "  --pins WIRING      an FTDI chip's pins: SCK=D3,MOSI=D0,MISO=D1,RST=D2 (the\n"
         "                     default: CTS, TXD, RXD, RTS of an FT232R header)\n"
         "  --crystal MHZ      the target's clock, for an FTDI chip's SCK (at most 1/16\n"
         "                     of it; default 3, which suits every board)\n"
         "  -d, --device DEV   AT89S51 or AT89S52 (default: the chip the signature names)\n"
         "  --format raw|hex   the FILE's format, whatever its name and content\n"
         "  --force            go on when the signature names no known chip or not the\n"
         "                     device's, and read a chip whose read-out protection is on\n"
         "  --erase-locked     erase and write: a chip whose signature reads all FF or 00\n"
         "                     with lock bit 2 programmed may be a locked one hiding it;\n"
         "                     erase it first (flash and lock bits), then read it again\n"
         "  --verify full      after write, read back the whole flash, not only the pages\n"
         "                     written (this also checks that the rest was erased)\n"
         "  --no-verify        skip the read-back after write, erase or lock --write\n"
         "  --trace            leave readed_memory.bin / writed_memory.bin in this folder\n"
         "  -q, --quiet        no progress and no messages but errors and results\n"
         "  -h, --help         show this help\n"
         "  --version          show the version\n"
         "\n"
         "Exit status: 0 done, 1 the operation failed (or its results could not be written),\n"
         "2 a usage error or a bad input file, 128 + the signal's number when a signal\n"
         "stopped it (130 Ctrl-C); the message then says what the chip holds.\n";
}
