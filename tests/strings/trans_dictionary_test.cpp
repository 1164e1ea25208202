#include "trans_dictionary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A private folder for the files of one test, removed afterwards.
class StringsFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "strings-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string write(const std::string& name, std::string_view bytes) {
    fs::path path = folder / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path folder;
};

std::string valueOr(const transDictionary& dictionary, std::string_view key) {
  const std::string* value = dictionary.getValue(key);
  return value ? *value : "<absent>";
}

const char* kLayoutKeys[] = {"Facsimile Transmission Form", "Pages to Follow:", "To:", "From:",
                             "Comments:", "Name:", "Voice #:", "Company:", "Address:", "Fax #:",
                             "Email:"};

}  // namespace

TEST_F(StringsFiles, ReadsPairsAndLaterKeyWins) {
  std::string path = write("a.strings", "\"A\" = \"B\";\n\"C\" = \"1\";\n\"C\" = \"2\";\n\"E\" =");
  auto dictionary = transDictionary::initWithFilePath(path, "/nonexistent");
  EXPECT_EQ(dictionary->count(), 2);
  EXPECT_EQ(valueOr(*dictionary, "A"), "B");
  EXPECT_EQ(valueOr(*dictionary, "C"), "2");
  EXPECT_EQ(valueOr(*dictionary, "E"), "<absent>");
  EXPECT_EQ(valueOr(*dictionary, "a"), "<absent>");
  EXPECT_EQ(dictionary->keyEnumerator(), (std::vector<std::string>{"A", "C"}));
}

TEST_F(StringsFiles, DecodesUtf8ValuesAndKeepsKeyBytes) {
  std::string path = write("fr.strings",
                           "\"Voice #:\" = \"T\xC3\xA9l\xC3\xA9phone :\";\n"
                           "\"\xC3\xA9\" = \"bad \xE9\";\n");
  auto dictionary = transDictionary::initWithFilePath(path, "/nonexistent");
  EXPECT_EQ(valueOr(*dictionary, "Voice #:"), "T\xC3\xA9l\xC3\xA9phone :");
  EXPECT_EQ(valueOr(*dictionary, "\xC3\xA9"), "bad \xEF\xBF\xBD");  // never invalid UTF-8
}

TEST_F(StringsFiles, MissingFileFallsBackToEnglishWithMessage) {
  std::string english = write("English.lproj/Localizable.strings", "\"Name:\" = \"Name:\";\n");
  std::string missing = (folder / "Klingon.lproj/Localizable.strings").string();
  testing::internal::CaptureStderr();
  auto dictionary = transDictionary::initWithFilePath(missing, english);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: Unable to open file " + missing + " English is being used.\n");
  EXPECT_EQ(valueOr(*dictionary, "Name:"), "Name:");
}

TEST_F(StringsFiles, UnreadableOrBinaryFileGivesEmptyDictionary) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(transDictionary::initWithFilePath("/nonexistent/a", "/nonexistent/b")->count(), 0);
  testing::internal::GetCapturedStderr();
  // A folder exists but is no text; the fallback is not taken.
  EXPECT_EQ(transDictionary::initWithFilePath(folder.string(), "/nonexistent")->count(), 0);
  std::string utf16 = write("u16.strings", std::string("\xFF\xFE\"\0A\0\"\0=\0\"\0B\0\"\0;\0", 18));
  EXPECT_EQ(transDictionary::initWithFilePath(utf16, "/nonexistent")->count(), 0);
  std::string empty = write("empty.strings", "");
  EXPECT_EQ(transDictionary::initWithFilePath(empty, "/nonexistent")->count(), 0);
}

// This test program runs from the build folder, so without the variable it
// reads the source tree's resources.
TEST(DefaultResourceFolder, FollowsTheEnvironment) {
  setenv("TICKETPRESS_RESOURCES", "/srv/cover", 1);
  EXPECT_EQ(defaultResourceFolder(), "/srv/cover");
  EXPECT_EQ(englishStringsPath(defaultResourceFolder()),
            "/srv/cover/English.lproj/Localizable.strings");
  setenv("TICKETPRESS_RESOURCES", "", 1);
  EXPECT_EQ(defaultResourceFolder(), SHIPPED_RESOURCES);
  unsetenv("TICKETPRESS_RESOURCES");
  EXPECT_EQ(defaultResourceFolder(), SHIPPED_RESOURCES);
}

TEST(DefaultResourceFolder, SourceResourcesOnlyForProgramsInTheBuildFolder) {
  const std::string build = BUILD_FOLDER;
  EXPECT_EQ(resourceFolderForProgram(build + "/coversheet"), SHIPPED_RESOURCES);
  EXPECT_EQ(resourceFolderForProgram(build + "/tests/./coversheet_test"), SHIPPED_RESOURCES);
  for (const std::string& installed :
       {std::string("/usr/bin/coversheet"), build + "-install/coversheet",
        build + "/../outside/coversheet", std::string("coversheet"), std::string("/")}) {
    SCOPED_TRACE(installed);
    EXPECT_TRUE(resourceFolderForProgram(installed).ends_with("/share/ticketpress/coversheet"));
    EXPECT_FALSE(resourceFolderForProgram(installed).starts_with(build));
  }
}

TEST(ShippedStrings, EveryLanguageTranslatesEveryLabelOnce) {
  for (const char* language :
       {"English", "French", "Italian", "German", "Spanish", "pt", "da", "fi", "nl", "no", "sv"}) {
    SCOPED_TRACE(language);
    std::string path = localisedStringsPath(SHIPPED_RESOURCES, language);
    testing::internal::CaptureStderr();
    auto dictionary = transDictionary::initWithFilePath(path, "/nonexistent");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(dictionary->count(), 11);
    for (const char* key : kLayoutKeys) {
      const std::string* value = dictionary->getValue(key);
      ASSERT_NE(value, nullptr) << key;
      EXPECT_FALSE(value->empty()) << key;
      EXPECT_EQ(value->find("\xEF\xBF\xBD"), std::string::npos) << key;  // all UTF-8
    }
  }
}

TEST(ShippedStrings, AccentedLettersComeOutAsLetters) {
  auto french = transDictionary::initWithFilePath(localisedStringsPath(SHIPPED_RESOURCES, "French"));
  EXPECT_EQ(*french->getValue("Voice #:"), "T\xC3\xA9l\xC3\xA9phone :");
  EXPECT_EQ(*french->getValue("To:"), "\xC3\x80 :");
}
