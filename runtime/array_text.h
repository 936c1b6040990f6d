// The text of an array file, for a writer that puts it elsewhere than in a
// file of its own (standard output): exactly what ArrayToFile writes
// (runtime/utility.h). No Qt.
#pragma once

#include <cstdint>
#include <string>

// `count` values, one a line, right-aligned in fields of `fieldWidth`
// characters (wider values take the room they need), each line ended by "\n".
std::string ArrayFileText(const uint32_t* values, int count, int fieldWidth);
