#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// The two entry points libFuzzer calls; the replay test calls them the same way.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Ends the run when an invariant does not hold, in every build type, so that libFuzzer keeps the input
// and the replay test fails.
[[noreturn]] void FuzzFail(const char* condition, const char* file, int line);
#define FUZZ_CHECK(condition) ((condition) ? void(0) : FuzzFail(#condition, __FILE__, __LINE__))

// A folder of this process's own, on a RAM-backed file system where there is one. The first call also
// makes it the home folder, so that the profile and the standard locations never reach the real user's
// files; make it before any Qt object exists.
const QString& FuzzScratchDir();

// Replaces the file's contents with the input.
void WriteInputFile(const QString& path, const QByteArray& bytes);
