// The product's identity as the program shows it.
#pragma once

// The product's home page, opened by the homepage button and the About box.
inline constexpr wchar_t kHomepageUrl[] = L"https://www.example.com/quillset/";
