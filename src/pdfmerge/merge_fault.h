// How the merge's parts report a failure: the status and message of the
// whole run, filled in where the fault is found.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "merge_result.h"

// Sets result to status 9 with a message naming what was wrong and the
// byte where it was found. Always returns false.
bool malformed(MergeResult& result, std::string_view what, size_t offset);

// Sets result to status and message. Always returns false.
bool failWith(MergeResult& result, MergeStatus status, std::string message);

// A result of status with message.
MergeResult mergeResult(MergeStatus status, std::string message);
