#include "pjl_commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A stdio stream in memory whose bytes the test can read back.
class MemoryStream {
 public:
  MemoryStream() : stream(open_memstream(&buffer, &size)) {}
  ~MemoryStream() {
    fclose(stream);
    free(buffer);
  }
  FILE* file() { return stream; }
  std::string text() {
    fflush(stream);
    return std::string(buffer, size);
  }

 private:
  char* buffer = nullptr;
  size_t size = 0;
  FILE* stream;
};

std::vector<std::string> linesOf(const pjlCommands& pjl) {
  auto lines = pjl.objectEnumerator();
  return {lines.begin(), lines.end()};
}

std::string jobInfoLine(const std::string& user) {
  return "@PJL QJOBINFO USERID = \"" + user + "\" HOSTID = \"" + localHostName() + "\"\n";
}

// The framing block for an option string, as the filter builds it with the
// printer making the copies.
std::vector<std::string> framingBlock(const char* options, const char* user = "alice",
                                      const char* copies = "1") {
  pjlCommands pjl(argumentStore::initWithOptionString(options), user, copies, nullptr);
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setQuantity();
  return linesOf(pjl);
}

}  // namespace

TEST(PjlFraming, BlockOfAJobWithOnlyACopyCount) {
  EXPECT_EQ(framingBlock("com.apple.print.PrintSettings.PMCopies..n.=1"),
            (std::vector<std::string>{jobInfoLine("alice"), "@PJL JOB NAME = \"\"\n",
                                      "@PJL SET QTY = 1\n"}));
}

TEST(PjlFraming, JobNameIsCopiedWithItsQuotesAsApostrophes) {
  // A double quote would end the quoted name early: it becomes an apostrophe.
  auto block = framingBlock("com.apple.print.JobInfo.PMJobName='Say \"hi\" \xC9t\xE9'");
  EXPECT_EQ(block[1], "@PJL JOB NAME = \"Say 'hi' \xC9t\xE9\"\n");
  block = framingBlock("com.apple.print.JobInfo.PMJobName=Quarterly<20>report<2C><20>v2");
  EXPECT_EQ(block[1], "@PJL JOB NAME = \"Quarterly report, v2\"\n");
}

TEST(PjlFraming, UserNameBytesPassThrough) {
  EXPECT_EQ(framingBlock("", "J\xF6rg Smith")[0], jobInfoLine("J\xF6rg Smith"));
}

TEST(PjlFraming, CopyCountIsCopiedWithoutParsing) {
  EXPECT_EQ(framingBlock("com.apple.print.PrintSettings.PMCopies..n.=3")[2], "@PJL SET QTY = 3\n");
  EXPECT_EQ(framingBlock("com.apple.print.PrintSettings.PMCopies..n.=007")[2],
            "@PJL SET QTY = 007\n");
  // A client that does not send the key still prints the copies it asked for.
  EXPECT_EQ(framingBlock("", "alice", "4")[2], "@PJL SET QTY = 4\n");
}

TEST(PjlLineList, CountsAndLifecycle) {
  pjlCommands pjl(argumentStore::initWithOptionString(""), "bob", "1", nullptr);
  EXPECT_EQ(pjl.ticketCount(), 0u);
  EXPECT_TRUE(pjl.objectEnumerator().empty());
  pjl.setPJLJob();  // no list yet: dropped
  EXPECT_EQ(pjl.ticketCount(), 0u);

  pjl.createPJLCommandsBuffer();
  EXPECT_EQ(pjl.ticketCount(), 1u);
  pjl.setPJLJob();
  EXPECT_EQ(pjl.ticketCount(), 2u);
  EXPECT_EQ(pjl.objectOfKey(1), "@PJL JOB NAME = \"\"\n");

  pjl.createPJLCommandsBuffer();  // a second call starts afresh
  EXPECT_EQ(linesOf(pjl), std::vector<std::string>{jobInfoLine("bob")});

  pjl.resetPJLCommandsBuffer();
  EXPECT_EQ(pjl.ticketCount(), 0u);
  EXPECT_TRUE(pjl.objectEnumerator().empty());
}

TEST(PjlOutput, SendsEveryLineAndMirrorsToTheDumpOnlyWhenLogging) {
  MemoryStream printer, dump;
  pjlCommands pjl(argumentStore::initWithOptionString("com.apple.print.JobInfo.PMJobName=J"),
                  "carol", "2", printer.file());
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.setQuantity();
  const std::string block =
      jobInfoLine("carol") + "@PJL JOB NAME = \"J\"\n" + "@PJL SET QTY = 2\n";

  pjl.sendPJLLinesToPrinter(false, dump.file());
  EXPECT_EQ(printer.text(), block);
  EXPECT_EQ(dump.text(), "");

  pjl.sendPJLLinesToPrinter(true, dump.file());  // the list is not consumed
  EXPECT_EQ(printer.text(), block + block);
  EXPECT_EQ(dump.text(), block);

  pjl.setPJLEndOfJob(true, dump.file());
  EXPECT_EQ(pjl.ticketCount(), 3u);
  EXPECT_EQ(printer.text(), block + block + "@PJL EOJ\n");
  EXPECT_EQ(dump.text(), block + "@PJL EOJ\n");

  pjl.sendPJLLinesToPrinter(false, nullptr);  // the EOJ never joins the list
  EXPECT_EQ(printer.text(), block + block + "@PJL EOJ\n" + block);
}

TEST(PjlOutput, EachLineLeavesTheStreamBeforeTheNextIsWritten) {
  // The PDF goes straight to the descriptor, so nothing may stay buffered.
  FILE* printer = tmpfile();
  ASSERT_NE(printer, nullptr);
  setvbuf(printer, nullptr, _IOFBF, 1 << 16);
  pjlCommands pjl(argumentStore::initWithOptionString(""), "dave", "1", printer);
  pjl.createPJLCommandsBuffer();
  pjl.setPJLJob();
  pjl.sendPJLLinesToPrinter(false, nullptr);
  std::string onDisk(4096, '\0');
  ssize_t n = pread(fileno(printer), onDisk.data(), onDisk.size(), 0);
  onDisk.resize(n < 0 ? 0 : static_cast<size_t>(n));
  EXPECT_EQ(onDisk, jobInfoLine("dave") + "@PJL JOB NAME = \"\"\n");
  fclose(printer);
}
