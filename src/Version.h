#pragma once
// The program's version text (string-table entry 102 of the desktop program).
inline constexpr const char* kVersionText = "1.0.2 (build 140206)";
