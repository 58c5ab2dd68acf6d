#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The project's product name and public addresses, kept in one place: the about box mails the
// first, the banner opens the second.

inline constexpr const char* kProductTitle = "Korvex 2";

// Where users write to the developers; the about box shows it after "mailto: " and opens a new
// message to it with the product in the subject.
inline constexpr const char* kContactMailAddress = "korvex2@example.org";

// The project's web page, opened by a click on the banner.
inline constexpr const char* kProjectWebPage = "https://www.example.org/korvex2/";
