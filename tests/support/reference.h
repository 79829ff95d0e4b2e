#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture.h"

// What the player sees and hears, held against files committed under
// tests/reference. With QUADRUNE_REMAKE_REFERENCES=1 each comparison writes
// its reference afresh instead (tools/remake_references.sh); look at every
// one before committing it.
//
// A mismatch leaves <name>.got.png and <name>.diff.png (or .got.flac)
// beside the reference, for a person to look at.
::testing::AssertionResult matchesReferencePicture(const Shot& got, const std::string& name);
// Interleaved stereo at 44100 Hz.
::testing::AssertionResult matchesReferenceSound(const std::vector<int16_t>& got, const std::string& name);

// A pixel counts as changed when one of its channels is off by more than
// this; a picture may have this many changed pixels. See the README.
constexpr int kPixelTolerance = 40;
constexpr int kChangedPixelsAllowed = 8;
// A sample may be off by this much (about -57 dBFS).
constexpr int kSampleTolerance = 48;
