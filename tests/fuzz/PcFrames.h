#pragma once
// What the PC may put on the line: request frames (FF F8), the connection
// request and command frames (FE 8F), each whole, with the shape its kind has
// and a correct checksum. Used to judge everything the link writes.
#include <cstdint>
#include <string>
#include <vector>

using FrameBytes = std::vector<uint8_t>;

// Splits bytes the PC wrote into frames. Returns an empty text when the bytes
// are exactly a sequence of well-formed frames, else what is wrong.
std::string SplitPcFrames(const FrameBytes& written, std::vector<FrameBytes>& frames);

bool IsRequestFrame(const FrameBytes& frame);  // FF F8 06 code 00 checksum
bool IsCommandFrame(const FrameBytes& frame);  // FE 8F ..
