// Putting new content in place of a file atomically, through any links to it.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string_view>

namespace rt {

// Opens the regular file that `info` was read from, at `path`, with `flags` added to a read-only
// open that never waits (on a FIFO or a device put there meanwhile); -1 when what is there now is
// not that file. `info` becomes what the open file says.
int OpenLookedAtFile(const std::filesystem::path &path, int flags, struct stat &info);

// Writes `bytes` to a temporary file beside the file `path` names (the file at the end of its
// links, so a link stays a link), makes it durable and renames it over that file. The temporary
// file is private until it is written; then it takes the old file's owner and group (where the
// process may set them), extended attributes, ACL and permission bits, or 0666 less the umask for
// a new file. False, with the old file untouched, when any step fails, when the old file cannot
// be read, or when what the links end at is not a regular file.
bool ReplaceFile(const std::filesystem::path &path, std::string_view bytes);

// Removes the temporary files that replacements of the file `path` names left when they were
// killed before their rename: regular files of that naming, with its mark, beside the file;
// nothing else.
void RemoveInterruptedReplacements(const std::filesystem::path &path);

}  // namespace rt
