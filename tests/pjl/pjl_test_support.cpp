#include "pjl_test_support.h"

#include <cstdlib>

CapturedStream::CapturedStream() : stream(open_memstream(&buffer, &size)) {}

CapturedStream::~CapturedStream() {
  fclose(stream);
  free(buffer);
}

std::string CapturedStream::text() {
  fflush(stream);
  return std::string(buffer, size);
}

std::string optionString(const Options& options) {
  std::string text;
  for (const auto& [name, value] : options) {
    text += name + "='";
    for (char c : value) {
      if (c == '\\' || c == '\'') text += '\\';
      text += c;
    }
    text += "' ";
  }
  return text;
}

pjlCommands makeBuilder(const Options& options, CapturedStream& errors, const std::string& user) {
  return pjlCommands(argumentStore::initWithOptionString(optionString(options).c_str()), user, "1",
                     nullptr, errors.file());
}

Lines linesOf(const pjlCommands& pjl) {
  auto lines = pjl.objectEnumerator();
  return {lines.begin(), lines.end()};
}

SettingRun runSettings(const Options& options, const std::string& user) {
  CapturedStream errors;
  pjlCommands pjl = makeBuilder(options, errors, user);
  pjl.createPJLCommandsBuffer();
  pjl.setCommonPJLCommands();
  Lines lines = linesOf(pjl);
  lines.erase(lines.begin());  // the QJOBINFO line of createPJLCommandsBuffer
  return {lines, errors.text()};
}

Lines settingLines(const Options& options, const std::string& user) {
  return runSettings(options, user).lines;
}

Lines aliceBlock(const Lines& before, const Lines& after) {
  Lines block = before;
  block.push_back(kAliceLine);
  block.insert(block.end(), after.begin(), after.end());
  block.push_back(kClosingLine);
  return block;
}
