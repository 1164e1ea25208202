#include "greyscale_cover_sheet.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "postscript_image.h"
#include "utf8_text.h"

namespace {

bool isFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The field labels whose widest translation sets the label column.
constexpr std::array<std::string_view, 6> kFieldLabelKeys{
    "Voice #:", "Name:", "Company:", "Address:", "Fax #:", "Email:"};

}  // namespace

std::unique_ptr<greyscaleCoverSheet> greyscaleCoverSheet::CreateBitmapContextWithWidth(
    int inWidth, int inHeight, const argumentStore& mStoreDict,
    const std::string& resourceFolder) {
  if (inWidth <= 0 || inHeight <= 0 || !isFolder(resourceFolder)) return nullptr;
  // A language name in any letter case opens the folder of its usual
  // spelling, as on a file system that ignores case.
  unsigned fontNum = findFontNumWith(mStoreDict.getValue("JRENCODINGSTR"));
  std::string stringsPath = localisedStringsPath(resourceFolder, localisationFor(fontNum));
  auto strings = transDictionary::initWithFilePath(stringsPath, englishStringsPath(resourceFolder));
  return std::unique_ptr<greyscaleCoverSheet>(
      new greyscaleCoverSheet(inWidth, inHeight, std::move(strings)));
}

greyscaleCoverSheet::greyscaleCoverSheet(int width, int height,
                                         std::shared_ptr<transDictionary> strings)
    : strings(std::move(strings)),
      imageHeader(postScriptImageHeader(width, height - 1)),
      bytesPerRow(width),
      lines(height) {
  size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  pixels = allocatePixelMemory(size);
  if (!pixels) return;
  std::memset(pixels.get(), 0xFF, size);
  canvas = greyCanvas::createOver(pixels.get(), width, height);
  if (!canvas) pixels.reset();
}

std::span<const uint8_t> greyscaleCoverSheet::bitMapArea() const {
  if (!pixels) return {};
  return {pixels.get(), static_cast<size_t>(bytesPerRow) * static_cast<size_t>(lines)};
}

void greyscaleCoverSheet::moveTextPositionBy(textPoint difference) {
  if (!canvas) return;
  textPoint position = canvas->getTextPosition();
  canvas->setTextPosition({position.x + difference.x, position.y + difference.y});
}

std::string greyscaleCoverSheet::encodeWithString(std::string_view text) {
  return decodeUtf8(text);
}

float greyscaleCoverSheet::getTextPixelWidth(const std::string* text) {
  if (!canvas || !text) return 0;
  textPoint start = canvas->getTextPosition();
  canvas->setFillGrey(0, 1);
  canvas->setTextDrawingMode(textDrawingMode::invisible);
  canvas->showText(*text);
  textPoint end = canvas->getTextPosition();
  canvas->setTextPosition(start);
  canvas->setTextDrawingMode(textDrawingMode::fill);
  return end.x - start.x;
}

float greyscaleCoverSheet::scanTextForLargest() {
  float largest = 0;
  for (std::string_view key : kFieldLabelKeys)
    largest = std::max(largest, getTextPixelWidth(strings->getValue(key)));
  return largest;
}

std::optional<std::string> greyscaleCoverSheet::nextLine() {
  if (!pixels) return std::nullopt;
  if (rowCursor == -1) rowCursor = lines - 1;
  if (rowCursor == 0) {
    rowCursor = -1;
    return std::nullopt;
  }
  size_t start = static_cast<size_t>(rowCursor) * static_cast<size_t>(bytesPerRow);
  --rowCursor;
  return hexRowLine({pixels.get() + start, static_cast<size_t>(bytesPerRow)});
}
