#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace veltrano {

// A character code's decimal text between a prefix and a suffix, held in eight bytes so a writer
// can copy it whole and advance by its length.
struct CodeText {
    char text[8];
    std::uint8_t length;
};

// The texts of all 256 codes: the prefix, the code in decimal without leading zeros, the suffix.
constexpr std::array<CodeText, 256> makeCodeTexts(std::string_view prefix, char suffix) {
    std::array<CodeText, 256> table{};
    for (int c = 0; c < 256; ++c) {
        CodeText& entry = table[static_cast<std::size_t>(c)];
        int n = 0;
        for (const char p : prefix)
            entry.text[n++] = p;
        if (c >= 100)
            entry.text[n++] = static_cast<char>('0' + c / 100);
        if (c >= 10)
            entry.text[n++] = static_cast<char>('0' + (c / 10) % 10);
        entry.text[n++] = static_cast<char>('0' + c % 10);
        entry.text[n++] = suffix;
        entry.length = static_cast<std::uint8_t>(n);
    }
    return table;
}

} // namespace veltrano
