// coversheet: renders a fax cover sheet from a CUPS option string and writes
// it as a PostScript image, with an optional PNG preview.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "argument_store.h"
#include "cups_library.h"
#include "grey_png.h"
#include "greyscale_cover_sheet.h"

namespace {

constexpr int kMaxSide = 10000;  // pixels; far beyond a 600 dpi page

constexpr const char* kUsage =
    "Usage: coversheet [--width N] [--height N] [--resources DIR] [--output FILE]\n"
    "                  [--png FILE] OPTIONS\n"
    "\n"
    "Renders a fax cover sheet from OPTIONS, one argument in CUPS option syntax,\n"
    "for example \"JRENCODINGSTR=French JRCSNAME='Ann Lee' JRCSCPAGES=3\", and writes\n"
    "it as a PostScript image: the image header, then one line of hexadecimal\n"
    "grey samples per pixel row, bottom row first. The top row is not sent.\n"
    "\n"
    "  --width N        canvas width in pixels, 1 to 10000 (default 612)\n"
    "  --height N       canvas height in pixels, 2 to 10000 (default 792)\n"
    "  --resources DIR  folder holding <Localisation>.lproj/Localizable.strings\n"
    "                   (default: $TICKETPRESS_RESOURCES, else the source tree's\n"
    "                   data/coversheet when run from the build folder, else the\n"
    "                   installed share/ticketpress/coversheet)\n"
    "  --output FILE    write the PostScript image to FILE, not standard output\n"
    "  --png FILE       also write the whole bitmap to FILE as an 8-bit grey PNG\n"
    "  --help           show this text\n"
    "\n"
    "Options read: JRENCODINGSTR (English, French, Italian, German, Spanish, pt,\n"
    "da, fi, nl, no, sv; any other gives English), JRCSCPAGES, JRJOBNAME,\n"
    "JRCSRECVOICE, JRCSNAME, JRCSCOMPANY, JRCSADDR1, JRCSADDR2, JRCSSENDFAX,\n"
    "JRCSSENDVOICE, JRCSEMAIL, JRCSCOMMNTA to JRCSCOMMNTF. Values are UTF-8 and\n"
    "may use the escapes <20> (space), <27> ('), <3D> (=), <2C> (,), <3C> (<),\n"
    "<3E> (>). An absent option leaves its place empty.\n"
    "\n"
    "Exit status: 0 done, 1 bad arguments, 2 no resource folder, a file that\n"
    "could not be written, or no libcups to read the options.\n";

struct toolArguments {
  int width = 612;
  int height = 792;
  std::optional<std::string> resources;
  std::optional<std::string> output;
  std::optional<std::string> png;
  std::optional<std::string> options;
  bool help = false;
};

// The whole of text as a number from low to kMaxSide, or none.
std::optional<int> parseSide(std::string_view text, int low) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > kMaxSide) return std::nullopt;
  return value;
}

// Reads the command line; none, after a message, when it is not usable.
std::optional<toolArguments> parseArguments(int argc, char** argv) {
  toolArguments args;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help") {
      args.help = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      if (args.options) {
        std::fprintf(stderr, "coversheet: more than one OPTIONS argument\n");
        return std::nullopt;
      }
      args.options = std::string(arg);
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "coversheet: %s needs a value\n", argv[i]);
      return std::nullopt;
    }
    std::string_view value = argv[++i];
    if (arg == "--width" || arg == "--height") {
      bool isWidth = arg == "--width";
      std::optional<int> side = parseSide(value, isWidth ? 1 : 2);
      if (!side) {
        std::fprintf(stderr, "coversheet: %s takes a whole number from %d to %d\n", argv[i - 1],
                     isWidth ? 1 : 2, kMaxSide);
        return std::nullopt;
      }
      (isWidth ? args.width : args.height) = *side;
    } else if (arg == "--resources") {
      args.resources = std::string(value);
    } else if (arg == "--output") {
      args.output = std::string(value);
    } else if (arg == "--png") {
      args.png = std::string(value);
    } else {
      std::fprintf(stderr, "coversheet: unknown option %s\n", argv[i - 1]);
      return std::nullopt;
    }
  }
  if (!args.help && !args.options) {
    std::fprintf(stderr, "coversheet: missing OPTIONS\n");
    return std::nullopt;
  }
  return args;
}

// Writes the header and every row line to out; false on a write error.
bool writeImage(greyscaleCoverSheet& sheet, FILE* out) {
  std::string header = sheet.postScriptImageString();
  bool ok = std::fwrite(header.data(), 1, header.size(), out) == header.size();
  while (std::optional<std::string> line = sheet.nextLine())
    ok = ok && std::fwrite(line->data(), 1, line->size(), out) == line->size();
  return ok;
}

// Writes the image to path, or to standard output when there is none.
bool writeImageTo(greyscaleCoverSheet& sheet, const std::optional<std::string>& path) {
  if (!path) return writeImage(sheet, stdout) && std::fflush(stdout) == 0;
  FILE* out = std::fopen(path->c_str(), "wb");
  if (!out) return false;
  bool ok = writeImage(sheet, out);
  return std::fclose(out) == 0 && ok;
}

// Renders the sheet and writes its files; the exit status.
int render(const toolArguments& args) {
  auto store = argumentStore::initWithOptionString(args.options->c_str());
  if (!store) {
    std::fprintf(stderr, "coversheet: cannot read the options: %s\n", cupsLibraryError().c_str());
    return 2;
  }
  std::string folder = args.resources ? *args.resources : defaultResourceFolder();
  auto sheet = greyscaleCoverSheet::CreateBitmapContextWithWidth(args.width, args.height, *store,
                                                                 folder);
  if (!sheet) {
    std::fprintf(stderr, "coversheet: no resource folder %s\n", folder.c_str());
    return 2;
  }
  if (!sheet->context()) {
    std::fprintf(stderr, "coversheet: cannot make a %d x %d canvas\n", args.width, args.height);
    return 2;
  }
  sheet->createImageWith(*store);
  if (args.png && !writeGreyPng(*args.png, sheet->bitMapArea(), args.width, args.height)) {
    std::fprintf(stderr, "coversheet: cannot write %s\n", args.png->c_str());
    return 2;
  }
  if (!writeImageTo(*sheet, args.output)) {
    std::fprintf(stderr, "coversheet: cannot write %s\n",
                 args.output ? args.output->c_str() : "standard output");
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<toolArguments> args = parseArguments(argc, argv);
  if (!args) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  if (args->help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return render(*args);
}
