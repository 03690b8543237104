// How the builder looks at a disc folder that others may be able to write
// to as well: never through a symbolic link or junction that sits where a
// file or folder of its own would go.
#pragma once

#include <string>

// Whether something stands at the path that is a link of any kind (a
// symbolic link, a junction or another reparse point), dangling or not.
bool IsLinkAt(const std::wstring& path);
