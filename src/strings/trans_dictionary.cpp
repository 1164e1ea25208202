#include "trans_dictionary.h"

#include <sys/stat.h>

#include <cstdio>
#include <optional>

#include "strings_file_scanner.h"
#include "utf8_text.h"

namespace {

bool pathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// The whole file as 8-bit text, or none when it cannot be read or holds a
// NUL byte, which no strings file in 8-bit text has.
std::optional<std::string> readText(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || text.find('\0') != std::string::npos) return std::nullopt;
  return text;
}

}  // namespace

std::shared_ptr<transDictionary> transDictionary::initWithFilePath(
    const std::string& language, const std::string& englishFallback) {
  const std::string* path = &language;
  if (!pathExists(language)) {
    std::fprintf(stderr, "ERROR: Unable to open file %s English is being used.\n",
                 language.c_str());
    path = &englishFallback;
  }
  std::optional<std::string> text = readText(*path);
  return initWithText(text ? *text : std::string_view());
}

std::shared_ptr<transDictionary> transDictionary::initWithText(std::string_view text) {
  std::shared_ptr<transDictionary> result(new transDictionary());
  for (stringsPair& pair : scanStringsText(text))
    result->transDict.insert_or_assign(std::move(pair.key), decodeUtf8(pair.value));
  return result;
}

int transDictionary::count() const { return static_cast<int>(transDict.size()); }

const std::string* transDictionary::getValue(std::string_view keyRequest) const {
  auto it = transDict.find(keyRequest);
  return it == transDict.end() ? nullptr : &it->second;
}

std::vector<std::string> transDictionary::keyEnumerator() const {
  std::vector<std::string> keys;
  keys.reserve(transDict.size());
  for (const auto& entry : transDict) keys.push_back(entry.first);
  return keys;
}
