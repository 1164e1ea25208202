// The state PAPPL keeps across restarts, as the application loads and
// saves it.
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <string_view>

// The state text with each job that it shows printing put back in the
// queue: a job printing when the application stopped was cut short, and
// PAPPL would show it printing for ever instead of printing it.
std::string requeueInterruptedJobs(std::string_view state);

// Loads the state file at path into system, repaired (see state_repair.h)
// and interrupted jobs queued again. Each repair is logged; the file as it
// was is kept aside, and once the repaired state has loaded, the repaired
// text takes its place. False when the file cannot be read (a first start
// has none).
bool loadKeptState(pappl_system_t* system, const std::string& path);

// Saves the state of system to path at once: a crash or a full disk leaves
// the last state whole. The saved text is repaired as a loaded one is. False
// (logged) when the old state stays.
bool saveKeptState(pappl_system_t* system, const std::string& path);
