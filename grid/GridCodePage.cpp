#include "grid/GridCodePage.h"

#include <algorithm>
#include <numeric>

namespace GridCodePage {

namespace {

std::array<std::uint8_t, 256> makeRank()
{
    std::array<int, 256> idx {};
    std::iota(idx.begin(), idx.end(), 0);
    std::sort(idx.begin(), idx.end(), [](int a, int b) { return toUnicode[a] < toUnicode[b]; });
    std::array<std::uint8_t, 256> r {};
    for (int i = 0; i < 256; ++i)
        r[idx[i]] = static_cast<std::uint8_t>(i);
    return r;
}

std::array<unsigned char, 256> makeUpper()
{
    std::array<unsigned char, 256> u {};
    for (int i = 0; i < 256; ++i)
        u[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 'a' + 'A' : i);
    return u;
}

} // namespace

const std::array<std::uint8_t, 256> rank = makeRank();
const std::array<unsigned char, 256> upperAscii = makeUpper();

bool fromUnicode(char16_t unit, unsigned char &byte)
{
    const int found = Cp1251::fromUnicode(unit);
    if (found < 0)
        return false;
    byte = static_cast<unsigned char>(found);
    return true;
}

} // namespace GridCodePage
