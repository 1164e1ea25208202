#include "admin_auth.h"

#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client_names.h"
#include "job_pins.h"
#include "local_gate.h"
#include "raster_spool.h"

namespace {

// Answers PAM's prompts with the password and nothing else.
int answerWithPassword(int count, const pam_message** messages, pam_response** responses,
                       void* password) {
  auto* answers = static_cast<pam_response*>(calloc(static_cast<size_t>(count), sizeof(pam_response)));
  if (!answers) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i)
    if (messages[i]->msg_style == PAM_PROMPT_ECHO_OFF || messages[i]->msg_style == PAM_PROMPT_ECHO_ON)
      answers[i].resp = strdup(static_cast<const char*>(password));
  *responses = answers;
  return PAM_SUCCESS;
}

// Whether PAM's service accepts user with password.
bool passwordAccepted(const std::string& service, const char* user, const char* password) {
  pam_conv conversation{answerWithPassword, const_cast<char*>(password)};
  pam_handle_t* pam = nullptr;
  if (pam_start(service.c_str(), user, &conversation, &pam) != PAM_SUCCESS) return false;
  int status = pam_authenticate(pam, PAM_SILENT);
  if (status == PAM_SUCCESS) status = pam_acct_mgmt(pam, PAM_SILENT);
  pam_end(pam, status);
  return status == PAM_SUCCESS;
}

// Whether user is in the group with id groupId (as primary group or member).
bool inGroup(const char* user, gid_t groupId) {
  if (groupId == static_cast<gid_t>(-1)) return true;
  passwd record {}, *found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwnam_r(user, &record, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
  if (found->pw_gid == groupId) return true;
  int count = 64;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  if (getgrouplist(user, found->pw_gid, groups.data(), &count) < 0) return false;
  for (int i = 0; i < count; ++i)
    if (groups[static_cast<size_t>(i)] == groupId) return true;
  return false;
}

// IPP operations that only read, which PAPPL also checks against the admin
// group when a client asks about another's job.
bool onlyReads(ipp_op_t operation) {
  return operation == IPP_OP_GET_JOB_ATTRIBUTES || operation == IPP_OP_GET_JOBS ||
         operation == IPP_OP_GET_PRINTER_ATTRIBUTES || operation == IPP_OP_VALIDATE_JOB;
}

// An operation on the client's own job: the job's owner is the user the
// request names, as CUPS takes it from a client without credentials. A job
// made by Create-Job gets its document and its end the same way (CUPS's
// ipp backend prints so).
bool onOwnJob(pappl_client_t* client, ipp_t* request) {
  const ipp_op_t operation = ippGetOperation(request);
  if (operation != IPP_OP_CANCEL_JOB && operation != IPP_OP_HOLD_JOB && operation != IPP_OP_RELEASE_JOB &&
      operation != IPP_OP_SEND_DOCUMENT && operation != IPP_OP_CLOSE_JOB)
    return false;
  pappl_job_t* job = papplClientGetJob(client);
  ipp_attribute_t* user = ippFindAttribute(request, "requesting-user-name", IPP_TAG_NAME);
  const char* owner = job ? papplJobGetUsername(job) : nullptr;
  const char* asking = user ? ippGetString(user, 0, nullptr) : nullptr;
  return owner && asking && std::strcmp(owner, asking) == 0;
}

// The login name of user uid, else the number.
std::string userNameOf(uid_t uid) {
  passwd record{}, *found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(uid, &record, buffer.data(), buffer.size(), &found) == 0 && found) return found->pw_name;
  return std::to_string(uid);
}

// A local user of the application's local socket, known by the kernel:
// the user owns the jobs it makes; root, the server's own user and the
// group's members pass where the group is asked for; anybody may read.
http_status_t authorizeLocalUser(pappl_client_t* client, uid_t uid, const char* group, gid_t groupId) {
  const std::string user = userNameOf(uid);
  papplClientSetUsername(client, user.c_str());
  // A group that does not exist (no id) has no members here.
  if (!group || uid == 0 || uid == geteuid() || (groupId != static_cast<gid_t>(-1) && inGroup(user.c_str(), groupId)))
    return HTTP_STATUS_CONTINUE;
  ipp_t* request = papplClientGetRequest(client);
  if (request && onlyReads(ippGetOperation(request))) return HTTP_STATUS_CONTINUE;
  papplLogClient(client, PAPPL_LOGLEVEL_WARN, "Refused: local user \"%s\" is not root or in group \"%s\".",
                 user.c_str(), group);
  return HTTP_STATUS_FORBIDDEN;
}

}  // namespace

http_status_t authorizeAdmin(pappl_client_t* client, const char* group, gid_t groupId, void* data) {
  // Every request that can make or change a job or printer gets here
  // first: what the client named is made safe before PAPPL keeps it, a PIN
  // is taken out, and raster is spooled.
  ipp_t* request = papplClientGetRequest(client);
  if (request) {
    boundRequestStrings(request);
    takeRequestPin(request);
    spoolRasterRequest(client, request);
  }
  if (const std::optional<uid_t> local = relayedLocalUser(httpGetAddress(papplClientGetHTTP(client))))
    return authorizeLocalUser(client, *local, group, groupId);
  if (!group) return HTTP_STATUS_CONTINUE;
  // A client may follow any job, and send the document of its own, close,
  // cancel, hold or release it.
  if (request && (onlyReads(ippGetOperation(request)) || onOwnJob(client, request))) return HTTP_STATUS_CONTINUE;
  const auto* auth = static_cast<const AdminAuth*>(data);
  const char* header = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_AUTHORIZATION);
  constexpr std::string_view kBasic = "Basic ";
  if (!header || std::strncmp(header, kBasic.data(), kBasic.size()) != 0)
    return HTTP_STATUS_UNAUTHORIZED;
  char credentials[512] = {};
  int length = sizeof credentials - 1;
  httpDecode64_2(credentials, &length, header + kBasic.size());
  char* password = std::strchr(credentials, ':');
  if (!password) return HTTP_STATUS_UNAUTHORIZED;
  *password++ = '\0';
  const bool accepted = passwordAccepted(auth->pamService, credentials, password) &&
                        inGroup(credentials, groupId);
  explicit_bzero(credentials, sizeof credentials);
  if (!accepted) {
    papplLogClient(client, PAPPL_LOGLEVEL_WARN, "Administration refused: wrong credentials.");
    return HTTP_STATUS_UNAUTHORIZED;
  }
  return HTTP_STATUS_CONTINUE;
}
