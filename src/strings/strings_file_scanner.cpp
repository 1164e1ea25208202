#include "strings_file_scanner.h"

namespace {

constexpr char anQuote = '"';

// Space, tab, line ends and the other ASCII white space; bytes above 0x7F
// are never skipped, so the result does not depend on the locale.
bool isSkippable(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A position in the text that never moves past its end.
class quoteScanner {
 public:
  explicit quoteScanner(std::string_view text) : text(text) {}

  // True when nothing but skippable characters remains.
  bool isAtEnd() const {
    for (size_t i = position; i < text.size(); ++i)
      if (!isSkippable(text[i])) return false;
    return true;
  }

  // Skips white space, then returns the characters up to the next quote
  // (or the end) and leaves the position there.
  std::string_view scanUpToQuote() {
    while (position < text.size() && isSkippable(text[position])) ++position;
    size_t start = position;
    while (position < text.size() && text[position] != anQuote) ++position;
    return text.substr(start, position - start);
  }

  // Steps over the quote at the position; false when there is none.
  bool stepOverQuote() {
    if (position >= text.size() || text[position] != anQuote) return false;
    ++position;
    return true;
  }

 private:
  std::string_view text;
  size_t position = 0;
};

// Reads one pair: text to discard, the key in quotes, text to discard, the
// value in quotes. False when the text ends before the value's closing quote.
bool scanPair(quoteScanner& scanner, stringsPair& pair) {
  scanner.scanUpToQuote();
  if (scanner.isAtEnd() || !scanner.stepOverQuote() || scanner.isAtEnd()) return false;
  pair.key = scanner.scanUpToQuote();
  if (scanner.isAtEnd() || !scanner.stepOverQuote() || scanner.isAtEnd()) return false;
  scanner.scanUpToQuote();
  if (scanner.isAtEnd() || !scanner.stepOverQuote() || scanner.isAtEnd()) return false;
  pair.value = scanner.scanUpToQuote();
  return scanner.stepOverQuote();
}

}  // namespace

std::vector<stringsPair> scanStringsText(std::string_view text) {
  std::vector<stringsPair> pairs;
  quoteScanner scanner(text);
  while (!scanner.isAtEnd()) {
    stringsPair pair;
    if (!scanPair(scanner, pair)) break;
    pairs.push_back(std::move(pair));
  }
  return pairs;
}
