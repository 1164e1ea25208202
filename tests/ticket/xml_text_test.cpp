// Option text inside the ticket's XML, and the whole ticket under xmllint.
#include "xml_text.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "ticket_test_support.h"

TEST(XmlAttributeText, PlainTextIsUnchanged) {
  EXPECT_EQ(escapeXmlAttribute(""), "");
  EXPECT_EQ(escapeXmlAttribute("Quarterly report (final) 'v2' #3 = 100%"),
            "Quarterly report (final) 'v2' #3 = 100%");
  EXPECT_EQ(escapeXmlAttribute("R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x96\xA8 \xEF\xBF\xBD"),
            "R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x96\xA8 \xEF\xBF\xBD");
  EXPECT_EQ(escapeXmlAttribute("tab\tlf\ncr\r\x7F"), "tab\tlf\ncr\r\x7F");
}

TEST(XmlAttributeText, MarkupCharactersBecomeReferences) {
  EXPECT_EQ(escapeXmlAttribute("Q&A \"draft\" <v2>"), "Q&amp;A &quot;draft&quot; &lt;v2&gt;");
  EXPECT_EQ(escapeXmlAttribute("&amp;"), "&amp;amp;");
}

TEST(XmlAttributeText, ForbiddenControlBytesBecomeSpaces) {
  EXPECT_EQ(escapeXmlAttribute(std::string("a\x01\x1B[0m\x1F" "b", 8)), "a  [0m b");
  EXPECT_EQ(escapeXmlAttribute(std::string("a\0b", 3)), "a b");
}

TEST(XmlAttributeText, BytesOutsideWellFormedUtf8ReadAsLatin1) {
  EXPECT_EQ(escapeXmlAttribute("R\xE9sum\xE9"), "R&#xE9;sum&#xE9;");       // Latin-1 text
  EXPECT_EQ(escapeXmlAttribute("\x80\xBF"), "&#x80;&#xBF;");               // stray continuations
  EXPECT_EQ(escapeXmlAttribute("\xC0\x80"), "&#xC0;&#x80;");               // overlong NUL
  EXPECT_EQ(escapeXmlAttribute("\xE0\x80\xAF"), "&#xE0;&#x80;&#xAF;");     // overlong '/'
  EXPECT_EQ(escapeXmlAttribute("\xED\xA0\x80"), "&#xED;&#xA0;&#x80;");     // surrogate
  EXPECT_EQ(escapeXmlAttribute("\xEF\xBF\xBE"), "&#xEF;&#xBF;&#xBE;");     // U+FFFE
  EXPECT_EQ(escapeXmlAttribute("\xF4\x90\x80\x80"), "&#xF4;&#x90;&#x80;&#x80;");  // > U+10FFFF
  EXPECT_EQ(escapeXmlAttribute("\xF5\x80"), "&#xF5;&#x80;");
  EXPECT_EQ(escapeXmlAttribute("ok\xE2\x82"), "ok&#xE2;&#x82;");           // cut off at the end
  EXPECT_EQ(escapeXmlAttribute("\xE2\x82" "A"), "&#xE2;&#x82;A");         // cut off by ASCII
}

// Every ticket made from hostile job names and media types is well-formed XML.
TEST(TicketXml, HostileValuesStillGiveWellFormedTickets) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tp-xml-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::vector<std::string> values = {
      "Q&A \"draft\" <v2>", "]]>", "<!--", "&#0;", "&bogus;", "\x01\x02\x1B%-12345X",
      "R\xE9sum\xE9", "\xC0\x80", "\xED\xA0\x80", "\xEF\xBF\xBF", "'\"'\"", std::string(5000, '<')};
  std::mt19937 random(20261208);
  for (int i = 0; i < 200; ++i) {
    std::string value(1 + random() % 40, ' ');
    for (char& c : value) c = static_cast<char>(1 + random() % 255);
    values.push_back(value);
  }

  std::vector<std::string> files;
  for (size_t i = 0; i < values.size(); ++i) {
    // Values reach the store through cupsParseOptions, so quote them for it.
    std::string quoted;
    for (char c : values[i]) {
      if (c == '\\' || c == '"') quoted += '\\';
      quoted += c;
    }
    const std::string document =
        ticketText("com.apple.print.JobInfo.PMJobName=\"" + quoted + "\" MediaType=\"" + quoted +
                       "\" media=Letter",
                   static_cast<int32_t>(i % 2));
    files.push_back((folder / ("ticket" + std::to_string(i) + ".xml")).string());
    std::ofstream(files.back(), std::ios::binary) << document;
  }

  std::string command = "xmllint --noout";
  for (const std::string& f : files) command += " " + f;
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "xmllint rejected a ticket";
  std::filesystem::remove_all(folder);
}
