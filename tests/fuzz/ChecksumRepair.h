#pragma once
// Helps the link fuzzer past the checksum: in an input of records
// (LinkRecords.h) it finds the response frames of the received byte stream,
// across record borders, and sets the checksum byte of one of them, so that
// frames of any length and content reach the decoder as readable ones.
#include <cstddef>
#include <cstdint>

// Repairs the frame number choice % (frames found); returns false when the
// stream holds no frame that ends inside it.
bool RepairOneChecksum(uint8_t* data, size_t size, unsigned choice);
