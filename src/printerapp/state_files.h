// Files of the kept state, written so that a crash or a full disk never
// leaves half a state behind, and never through a link someone left. Each
// function returns 0 or the errno value of what failed.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// The whole file at path into text.
int readWholeFile(const std::string& path, std::string& text);

// text in a new file at path, readable by its owner alone, on disk before
// this returns. Fails when path exists (a link too); leaves nothing then.
int writeNewFile(const std::string& path, std::string_view text);

// text kept in a new file next to path, path.rejected-<UTC time of now>
// (-2, -3 ... after it when taken), whose name goes to kept.
int keepAside(const std::string& path, std::string_view text, std::time_t now, std::string& kept);

// text put in place of the file at path at once, through a new file
// path.new (a stale one removed first), the change on disk.
int replaceFileText(const std::string& path, std::string_view text);
