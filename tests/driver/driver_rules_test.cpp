// The driver's small decisions: child arguments, copy mode, USB trailer rule.
#include <gtest/gtest.h>

#include "child_filter.h"
#include "job_pipeline.h"
#include "printer_stream.h"
#include "system_version.h"

namespace {

std::vector<std::string> argsFor(std::vector<const char*> argv) {
  return getArgs(static_cast<int>(argv.size()), const_cast<char**>(argv.data()));
}

}  // namespace

TEST(ChildArguments, ForceOneCopyAndKeepTheRest) {
  EXPECT_EQ(argsFor({"ticketpress", "7", "bob", "Doc", "3", "a=b"}),
            (std::vector<std::string>{"7", "bob", "Doc", "1", "a=b"}));
  EXPECT_EQ(argsFor({"ticketpress", "7", "bob", "Doc", "12", "", "/var/spool/d7"}),
            (std::vector<std::string>{"7", "bob", "Doc", "1", "", "/var/spool/d7"}));
}

TEST(CopyMode, OnlyExactJRPrinterKeepsCopiesInTheTicket) {
  EXPECT_EQ(copyModeFor(*argumentStore::initWithOptionString("PrintTo=JRPrinter")), 0);
  EXPECT_EQ(copyModeFor(*argumentStore::initWithOptionString("PrintTo=jrprinter")), 1);
  EXPECT_EQ(copyModeFor(*argumentStore::initWithOptionString("PrintTo=JRMailBox")), 1);
  EXPECT_EQ(copyModeFor(*argumentStore::initWithOptionString("")), 1);
}

TEST(SystemVersion, ParsesHexWithOrWithoutPrefix) {
  EXPECT_EQ(parseSystemVersion("0x1030"), 0x1030);
  EXPECT_EQ(parseSystemVersion("0X102f"), 0x102F);
  EXPECT_EQ(parseSystemVersion("1100"), 0x1100);
  EXPECT_EQ(parseSystemVersion("none"), std::nullopt);
  EXPECT_EQ(parseSystemVersion(""), std::nullopt);
  EXPECT_EQ(parseSystemVersion("0x"), std::nullopt);
  EXPECT_EQ(parseSystemVersion("0x10 30"), std::nullopt);
  EXPECT_EQ(parseSystemVersion("0x1FFFFFFFF"), std::nullopt);
}

TEST(UsbTrailer, NeedsVersion1030OrLaterOnUsbOnly) {
  EXPECT_TRUE(usbTrailerAllowed(0x1030));
  EXPECT_TRUE(usbTrailerAllowed(0x1100));
  EXPECT_FALSE(usbTrailerAllowed(0x102F));
  EXPECT_FALSE(usbTrailerAllowed(std::nullopt));

  EXPECT_TRUE(wantsTrailerBlock("usb://Q/P", true));
  EXPECT_FALSE(wantsTrailerBlock("usb://Q/P", false));
  EXPECT_FALSE(wantsTrailerBlock("usb:", false));
  EXPECT_TRUE(wantsTrailerBlock("USB://Q/P", false));
  EXPECT_TRUE(wantsTrailerBlock("usb", false));
  EXPECT_TRUE(wantsTrailerBlock("socket://printer:9100", false));
  EXPECT_TRUE(wantsTrailerBlock("", false));
}

TEST(ChildCandidates, EnvironmentChoosesTheChild) {
  setenv("TICKETPRESS_PDFTOPDF", "/opt/x/pdftopdf", 1);
  EXPECT_EQ(childFilterCandidates(), std::vector<std::string>{"/opt/x/pdftopdf"});
  unsetenv("TICKETPRESS_PDFTOPDF");
  setenv("CUPS_SERVERBIN", "/srv/cups", 1);
  EXPECT_EQ(childFilterCandidates(),
            (std::vector<std::string>{"/srv/cups/filter/pdftopdf", "/usr/lib/cups/filter/pdftopdf",
                                      "/usr/libexec/cups/filter/pdftopdf"}));
  unsetenv("CUPS_SERVERBIN");
  EXPECT_EQ(childFilterCandidates(),
            (std::vector<std::string>{"/usr/lib/cups/filter/pdftopdf",
                                      "/usr/libexec/cups/filter/pdftopdf"}));
}
