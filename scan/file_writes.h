// How the builder writes into a disc folder that others may be able to
// write to as well: never through a symbolic link or junction that sits
// where a file or folder of its own would go.
#pragma once

#include <string>

// Whether something stands at the path that is a link of any kind (a
// symbolic link, a junction or another reparse point), dangling or not.
bool IsLinkAt(const std::wstring& path);

// Writes bytes to a file that did not exist: false when anything, a link
// included, already has that name, or the bytes could not all be written
// (a part-written file is removed again).
bool WriteNewFile(const std::wstring& path, const std::string& bytes);

// Writes bytes into a new file beside path and moves it into place, so a
// link at path is replaced, never written through. False when the folder
// takes no new file or the move fails; nothing is left behind then.
bool ReplaceFileWith(const std::wstring& path, const std::string& bytes);
