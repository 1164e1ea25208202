#include "printer_stream.h"

namespace {

void writeText(FILE* printer, std::string_view text) {
  fwrite(text.data(), 1, text.size(), printer);
}

}  // namespace

void writeBanner(FILE* printer) {
  writeText(printer, kUel);
  writeText(printer, "@PJL COMMENT Quorlan PDF PrintPath Filter\n");
}

bool wantsTrailerBlock(std::string_view deviceUri, bool usbIsOk) {
  return !deviceUri.starts_with("usb:") || usbIsOk;
}

void writeTrailerBlock(FILE* printer) {
  writeText(printer, kUel);
  writeText(printer, kUel);
  writeText(printer, "@PJL JOB\n");
  writeText(printer, "@PJL QPORTROTATE\n");
  writeText(printer, "@PJL EOJ\n");
  writeText(printer, kUel);
}
