// Messages that say what happened and what to do: to the chip when the adapter dies during a
// write, and about port names and commands before anything is opened.
#include <cstdlib>

#include "CliFixture.h"
#include "platform/NativePort.h"

namespace {

class CliMessages : public CliFixture {};

// Programming enable, the signature, the erase, then each page and its instruction.
constexpr uint64_t kBeforePages = 4 + 12 + 4, kPage = 258;

}  // namespace

TEST_F(CliMessages, EachSaysWhatHappenedAndWhatToDo) {
  std::vector<uint8_t> fourPages(8192, 0xFF);
  std::copy_n(Pattern(3).begin(), 1024, fourPages.begin());
  ScratchFolder::Write("four.bin", fourPages);
  const std::string longName(300, 'x');
  const struct {
    std::vector<std::string> arguments;
    const char* com1;       // ISP89_COM1, when set
    uint64_t answersAfter;  // the adapter goes silent after these many answers; 0: never
    int status;
    std::string err;
  } cases[] = {
      {{"-q", "-p", "sim:AT89S52", "write", "four.bin"},
       nullptr,
       kBeforePages + 2 * kPage + 100,
       1,
       "isp89-cli: sim:AT89S52: the programmer did not answer (no byte for half a second); check "
       "that the adapter is on this port and powered; the chip is erased and pages 0-1 are "
       "written (page 2 may be partly written): write again\n"},
      {{"-q", "-p", "sim:AT89S52", "erase"},
       nullptr,
       4 + 12 + 2,
       1,
       "isp89-cli: sim:AT89S52: the programmer did not answer (no byte for half a second); check "
       "that the adapter is on this port and powered; the chip may be erased, or not yet: "
       "erase again\n"},
      {{"-p", longName, "signature"},
       nullptr,
       0,
       2,
       "isp89-cli: a port name of 300 characters is too long (at most 255): "
       "'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...'\n"},
      {{"-p", "1", "-p", "COM1", "signature"},
       nullptr,
       0,
       2,
       "isp89-cli: -p 1 and -p COM1 are the same port (" + DefaultNativePortPath(1) +
           "): one adapter runs one session at a time\n"},
      {{"signature"},
       "COM2",
       0,
       2,
       "isp89-cli: unknown port 'COM1': ISP89_COM1 is 'COM2': an environment variable cannot "
       "name another COM port; name its device (" +
           DefaultNativePortPath(2) + ") or use COM2 itself\n"},
      {{"-d", "AT89S52", "ports"},
       nullptr,
       0,
       2,
       "isp89-cli: ports takes no options: it lists every port, whatever -d says (isp89-cli "
       "--help lists the usage)\n"},
  };
  for (const auto& c : cases) {
    if (c.com1) setenv("ISP89_COM1", c.com1, 1);
    Chip()->ClearEvents();
    if (c.answersAfter) Chip()->SetSilenceAfter(c.answersAfter);
    Result r = Run(c.arguments);
    unsetenv("ISP89_COM1");
    EXPECT_EQ(c.status, r.status) << c.err;
    EXPECT_EQ(c.err, r.err);
    // A usage error is found before any port is opened.
    EXPECT_EQ(c.status == 2, Chip()->Events().empty()) << c.err;
    Chip()->SetSilenceAfter(UINT64_MAX);
  }
}

// The table of several ports counts the pages a port wrote before its adapter died.
TEST_F(CliMessages, TheTableOfSeveralPortsCountsThePagesWrittenBeforeAFailure) {
  std::vector<uint8_t> fourPages(8192, 0xFF);
  std::copy_n(Pattern(4).begin(), 1024, fourPages.begin());
  ScratchFolder::Write("four.bin", fourPages);
  Chip("sim2:AT89S52")->SetSilenceAfter(kBeforePages + 3 * kPage + 10);
  Result r = Run({"-q", "-p", "sim:AT89S52", "-p", "sim2:AT89S52", "write", "four.bin"});
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("sim2:AT89S52  AT89S52        3         -  ")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("the chip is erased and pages 0-2 are written (page "
                                          "3 may be partly written): write again"))
      << r.out;
}
