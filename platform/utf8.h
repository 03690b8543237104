// UTF-16 text as UTF-8 bytes, for files and pipes that others read.
#pragma once

#include <string>

std::string ToUtf8(const std::wstring& text);
