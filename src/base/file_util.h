#pragma once
#include <cstddef>

// Writes the bytes to a temporary file beside path and renames it over path,
// so an interrupted or failed save leaves the old file whole. Returns false
// (and leaves path untouched) when anything fails.
bool writeFileAtomically(const char* path, const void* data, size_t size);
