#pragma once
// The version of the programs, as --version prints it and the banner shows it.
namespace kivo {
inline constexpr const char* kProgramVersion = "2.13";
}  // namespace kivo
