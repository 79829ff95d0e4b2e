#pragma once
#include <cstddef>

// Writes the bytes to a temporary file beside path and renames it over path,
// so an interrupted or failed save leaves the old file whole. Returns false
// (and leaves path untouched) when anything fails.
bool writeFileAtomically(const char* path, const void* data, size_t size);

// Reads up to size bytes of a stored file into buffer; the bytes read, or -1
// when path is not a regular file that opens. A FIFO, a device or a
// directory never blocks the caller and counts as missing.
long readStoredFile(const char* path, void* buffer, size_t size);
