#include "job_pins.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <set>

#include "state_files.h"

namespace {

// The first line of the file, so that another file is never taken for it.
constexpr std::string_view kFileHeader = "ticketpress-job-pins 1\n";
// The longest PIN kept: job-password is an octetString of at most 255
// octets. A longer one is kept cut, and cannot be a usable PIN either.
constexpr size_t kLongestKeptPassword = 255;
// The longest encryption keyword kept.
constexpr size_t kLongestEncryption = 63;

// The PIN taken from the request this thread reads, until PAPPL has made
// its job (on the same thread) or the next request comes.
thread_local std::optional<JobPin> requestPin;

constexpr char kHexDigits[] = "0123456789abcdef";

std::string hexOf(std::string_view bytes) {
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 15];
  }
  return hex;
}

// A hex digit's value, or -1.
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The bytes of hex, or nullopt when it is not whole hex digit pairs.
std::optional<std::string> bytesOfHex(std::string_view hex) {
  if (hex.size() % 2 || hex.size() > 2 * kLongestKeptPassword) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexValue(hex[i]), low = hexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// A positive id, or 0 when text is not one.
int idOf(std::string_view text) {
  int id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  return error == std::errc() && end == text.data() + text.size() && id > 0 ? id : 0;
}

// The next space-separated field of line.
std::string_view nextField(std::string_view& line) {
  const size_t space = line.find(' ');
  const std::string_view field = line.substr(0, space);
  line.remove_prefix(space == std::string_view::npos ? line.size() : space + 1);
  return field;
}

// A keyword as IPP has them: lower-case letters, digits, '-', '_' and '.'.
bool isKeyword(std::string_view text) {
  if (text.empty() || text.size() > kLongestEncryption) return false;
  for (char c : text)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.')) return false;
  return true;
}

// The bytes of an octetString, or of a text a client sent instead.
std::string valueOf(ipp_attribute_t* attr) {
  if (ippGetValueTag(attr) == IPP_TAG_STRING) {
    int length = 0;
    const void* data = ippGetOctetString(attr, 0, &length);
    return data && length > 0 ? std::string(static_cast<const char*>(data), static_cast<size_t>(length)) : "";
  }
  const char* text = ippGetString(attr, 0, nullptr);
  return text ? text : "";
}

// Removes every attribute called name from request, in any group.
void removeAll(ipp_t* request, const char* name) {
  while (ipp_attribute_t* attr = ippFindAttribute(request, name, IPP_TAG_ZERO)) ippDeleteAttribute(request, attr);
}

// Clears a PIN's bytes before its memory goes back.
void wipe(JobPin& pin) {
  explicit_bzero(pin.password.data(), pin.password.size());
  pin.password.clear();
}

}  // namespace

bool JobPins::open(const std::string& file, std::string& error) {
  std::lock_guard<std::mutex> guard(lock);
  path = file;
  if (path.empty()) return true;
  std::string text;
  if (const int failure = readWholeFile(path, text)) {
    if (failure == ENOENT) return true;
    error = "Unable to read the PINs of waiting jobs from \"" + path + "\": " + std::strerror(failure);
    return false;
  }
  std::string_view rest = text;
  if (!rest.starts_with(kFileHeader)) {
    explicit_bzero(text.data(), text.size());
    error = "\"" + path + "\" is not a file of PINs; jobs sent with a PIN will not print";
    return false;
  }
  rest.remove_prefix(kFileHeader.size());
  int lineNumber = 1;
  while (!rest.empty()) {
    ++lineNumber;
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const int printerId = idOf(nextField(line)), jobId = idOf(nextField(line));
    const std::string_view encryption = nextField(line);
    std::optional<std::string> password = bytesOfHex(line);
    if (!printerId || !jobId || !isKeyword(encryption) || !password) {
      error = "line " + std::to_string(lineNumber) + " of \"" + path + "\" is damaged; its job will not print";
      continue;
    }
    pins[{printerId, jobId}] = JobPin{std::move(*password), std::string(encryption)};
  }
  explicit_bzero(text.data(), text.size());
  return error.empty();
}

bool JobPins::keep(int printerId, int jobId, JobPin pin, std::string& error) {
  std::lock_guard<std::mutex> guard(lock);
  pins[{printerId, jobId}] = std::move(pin);
  if (const int failure = saveLocked()) {
    error = "Unable to keep the job's PIN in \"" + path + "\": " + std::strerror(failure);
    return false;
  }
  return true;
}

std::optional<JobPin> JobPins::find(int printerId, int jobId) const {
  std::lock_guard<std::mutex> guard(lock);
  const auto found = pins.find({printerId, jobId});
  if (found == pins.end()) return std::nullopt;
  return found->second;
}

void JobPins::forget(int printerId, int jobId) {
  std::lock_guard<std::mutex> guard(lock);
  const auto found = pins.find({printerId, jobId});
  if (found == pins.end()) return;
  wipe(found->second);
  pins.erase(found);
  saveLocked();
}

void JobPins::forgetPrinter(int printerId) {
  std::lock_guard<std::mutex> guard(lock);
  const size_t before = pins.size();
  for (auto pin = pins.begin(); pin != pins.end();) {
    if (pin->first.first != printerId) {
      ++pin;
      continue;
    }
    wipe(pin->second);
    pin = pins.erase(pin);
  }
  if (pins.size() != before) saveLocked();
}

void JobPins::forgetEndedJobs(pappl_system_t* system) {
  std::set<Key> waiting;
  papplSystemIteratePrinters(
      system,
      [](pappl_printer_t* printer, void* data) {
        papplPrinterIterateActiveJobs(
            printer,
            [](pappl_job_t* job, void* keys) {
              static_cast<std::set<Key>*>(keys)->insert({papplPrinterGetID(papplJobGetPrinter(job)), papplJobGetID(job)});
            },
            data, 1, 0);
      },
      &waiting);
  std::lock_guard<std::mutex> guard(lock);
  const size_t before = pins.size();
  for (auto pin = pins.begin(); pin != pins.end();) {
    if (waiting.count(pin->first)) {
      ++pin;
      continue;
    }
    wipe(pin->second);
    pin = pins.erase(pin);
  }
  if (pins.size() != before) saveLocked();
}

int JobPins::saveLocked() const {
  if (path.empty()) return 0;
  if (pins.empty()) return unlink(path.c_str()) == 0 || errno == ENOENT ? 0 : errno;
  std::string text(kFileHeader);
  for (const auto& [key, pin] : pins)
    text += std::to_string(key.first) + ' ' + std::to_string(key.second) + ' ' + pin.encryption + ' ' +
            hexOf(pin.password) + '\n';
  const int failure = replaceFileText(path, text);
  explicit_bzero(text.data(), text.size());
  return failure;
}

JobPins& jobPins() {
  static JobPins pins;
  return pins;
}

void takeRequestPin(ipp_t* request) {
  if (requestPin) wipe(*requestPin);
  requestPin.reset();
  ipp_attribute_t* password = ippFindAttribute(request, "job-password", IPP_TAG_ZERO);
  ipp_attribute_t* encryption = ippFindAttribute(request, std::string(kPinMarkAttribute).c_str(), IPP_TAG_ZERO);
  const ipp_op_t operation = ippGetOperation(request);
  if (password && (operation == IPP_OP_PRINT_JOB || operation == IPP_OP_CREATE_JOB)) {
    JobPin pin{valueOf(password), "none"};
    if (pin.password.size() > kLongestKeptPassword) pin.password.resize(kLongestKeptPassword);
    // An encryption that is no keyword is kept as one the printer cannot
    // take, so that the job says so instead of printing.
    if (encryption) {
      const char* given = ippGetString(encryption, 0, nullptr);
      pin.encryption = given && isKeyword(given) ? given : "unknown";
    }
    requestPin = std::move(pin);
  }
  // No PIN and no mark of one stays for PAPPL to keep, nor one a client
  // made up.
  if (password) {
    int length = 0;
    if (void* data = const_cast<void*>(ippGetOctetString(password, 0, &length)); data && length > 0)
      explicit_bzero(data, static_cast<size_t>(length));
  }
  removeAll(request, "job-password");
  removeAll(request, std::string(kPinMarkAttribute).c_str());
  if (requestPin)
    ippAddString(request, IPP_TAG_JOB, IPP_TAG_KEYWORD, std::string(kPinMarkAttribute).c_str(), nullptr,
                 requestPin->encryption.c_str());
}

void keepJobPins(pappl_system_t* system, pappl_printer_t* printer, pappl_job_t* job, pappl_event_t event,
                 void*) {
  if (!printer) return;
  if (event & PAPPL_EVENT_PRINTER_DELETED) jobPins().forgetPrinter(papplPrinterGetID(printer));
  if (!job) return;
  if ((event & PAPPL_EVENT_JOB_CREATED) && requestPin) {
    std::string error;
    if (!jobPins().keep(papplPrinterGetID(printer), papplJobGetID(job), std::move(*requestPin), error))
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Job %d: %s.", papplJobGetID(job), error.c_str());
    requestPin.reset();
  } else if (event & PAPPL_EVENT_JOB_COMPLETED) {
    jobPins().forget(papplPrinterGetID(printer), papplJobGetID(job));
  }
}
