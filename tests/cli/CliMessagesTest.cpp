// Messages that say what happened and what to do: to the chip when the adapter dies during a
// write or an erase, and to a port that an environment variable names wrong.
#include <cstdlib>

#include "CliFixture.h"
#include "platform/NativePort.h"

namespace {

class CliMessages : public CliFixture {};

// Programming enable, the signature and the erase; then 258 bytes a page.
constexpr uint64_t kBeforePages = 4 + 12 + 4, kPage = 258;

}  // namespace

TEST_F(CliMessages, EachSaysWhatHappenedAndWhatToDo) {
  std::vector<uint8_t> fourPages(8192, 0xFF);
  std::copy_n(Pattern(3).begin(), 1024, fourPages.begin());
  ScratchFolder::Write("four.bin", fourPages);
  WriteText("blink.hex", BlinkHex());
  const std::string silent =
      "isp89-cli: sim:AT89S52: the programmer did not answer (no byte for half a second); check "
      "that the adapter is on this port and powered; ";
  const struct {
    std::string line;
    const char* com1;       // ISP89_COM1, when set
    uint64_t answersAfter;  // the adapter goes silent after these many answers
    int status;
    std::string err;
  } cases[] = {
      {"-q -p sim:AT89S52 write four.bin", nullptr, kBeforePages + 2 * kPage + 100, 1,
       silent + "the chip is erased and pages 0-1 are written (page 2 may be partly written): "
                "write again\n"},
      {"-q -p sim:AT89S52 write blink.hex", nullptr, kBeforePages + 100, 1,
       silent + "the chip may be erased, or not yet, and page 0 partly written: write again\n"},
      // Without the blank check, the erase still waits for the chip's answer.
      {"-p sim:AT89S52 erase --no-verify", nullptr, 4 + 12, 1,
       silent + "the chip may be erased, or not yet: erase again\n"},
      {"-q -p sim:AT89S52 erase", nullptr, 4 + 12 + 2, 1,
       silent + "the chip may be erased, or not yet: erase again\n"},
      {"signature", "COM2", UINT64_MAX, 2,
       "isp89-cli: unknown port 'COM1': ISP89_COM1 is 'COM2': an environment variable cannot "
       "name another COM port; name its device (" +
           DefaultNativePortPath(2) + ") or use COM2 itself\n"},
  };
  for (const auto& c : cases) {
    if (c.com1) setenv("ISP89_COM1", c.com1, 1);
    Chip()->SetSilenceAfter(c.answersAfter);
    Expect(c.line, c.status, "", c.err);
    unsetenv("ISP89_COM1");
  }
}
