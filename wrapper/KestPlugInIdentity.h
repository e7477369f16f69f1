#pragma once

#include <cstdint>

/** How the plug-in names itself to the host.  The codes are four-character
    codes held first character in the most significant byte. */
namespace KestPlugInIdentity
{
constexpr uint32_t fourCharCode (const char (&code)[5])
{
    return (uint32_t (uint8_t (code[0])) << 24) | (uint32_t (uint8_t (code[1])) << 16)
         | (uint32_t (uint8_t (code[2])) << 8) | uint32_t (uint8_t (code[3]));
}

constexpr const char* manufacturerName = "Korvalden";
constexpr const char* productName = "Kest";
constexpr const char* fullName = "Korvalden Kest";
constexpr const char* effectId = "com.korvalden.kest";

constexpr uint32_t manufacturerCode = fourCharCode ("Korv");
constexpr uint32_t productCode = fourCharCode ("Kest");

/** 1.0.3: major in bits 16 and up, minor in 8 to 15, patch in 0 to 7. */
constexpr uint32_t packageVersion = 0x10003;

constexpr uint32_t instrumentCategory = 0x800;
} // namespace KestPlugInIdentity
