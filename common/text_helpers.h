// Small text helpers shared by the command-line parsers and the dumps.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// Decimal, or hexadecimal when the second character is 'x' or 'X'. Never
// fails: text without digits gives 0.
uint32_t parseNumber(const std::string& text);

// The strict reading of a number that a user typed: decimal digits, or "0x"
// (or "0X") and hexadecimal digits, with nothing left over and a value that
// fits 32 bits. False for anything else, so that no text is ever read as
// another number than the one it spells.
bool readWholeNumber(const std::string& text, uint32_t& value);

std::string quote(const std::string& text);
std::string unquote(const std::string& text);

// Pieces between separators; empty inner pieces are kept, an empty last
// piece is dropped.
std::vector<std::string> splitList(const std::string& text, char separator);

// Next blank-separated token with double-quote quoting. False at end of
// input, for an empty token, or when a quote is left open.
bool readToken(std::istream& in, std::string& out);

uint32_t swapBytes32(uint32_t value);

// "0x" and two lower-case digits per byte for 1 to 4 bytes, else "<NaN>".
std::string formatHex(uint32_t value, int byteCount);
