// Start-up shared by the fuzz targets that need the engine: Qt offscreen, the
// program's callbacks registered and its two panels loaded from the source
// tree's panel resource, the variables initialised as at start-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void StartEngineWithPanels(int* argc, char*** argv);

// A file of this process's own in the temporary directory holding `data`.
std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size);

// Aborts (a finding for the fuzzer) when `text` holds no terminator within
// `capacity` bytes: a text buffer of the program overran.
void RequireTerminated(const char* text, size_t capacity, const char* what);
