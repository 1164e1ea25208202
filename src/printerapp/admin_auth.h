// Who may change the printer application's settings (web pages, printer
// and system operations): over the network, a member of the admin group
// who gives a user name and password that PAM accepts, over HTTP Basic;
// through the application's local socket, root and the group's members,
// known by the kernel. Printing (by Print-Job, or Create-Job and
// Send-Document), reading jobs and printers, and closing, cancelling,
// holding or releasing one's own job need no credentials. Every request
// that reaches the callback has its names made safe first.
#pragma once

#include <pappl/pappl.h>

#include <string>

// The PAM service (e.g. "cups") that checks the password.
struct AdminAuth {
  std::string pamService;
};

// PAPPL's authentication callback, with an AdminAuth as its data. A
// request in no group (printing) passes; any other (the admin group, which
// the system must have) needs a member's credentials, or, through the
// local socket, a member's or root's connection.
http_status_t authorizeAdmin(pappl_client_t* client, const char* group, gid_t groupId, void* data);
