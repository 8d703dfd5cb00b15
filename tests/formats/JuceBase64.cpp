#include "JuceBase64.h"

#include <cstddef>
#include <cstring>

namespace orvel::juceformat
{
    namespace
    {
        constexpr char alphabet[] = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+";
    }

    std::string toBase64 (const std::vector<unsigned char>& bytes)
    {
        const auto numChars = (bytes.size() * 8 + 5) / 6;
        std::string text = std::to_string (bytes.size()) + ".";

        for (std::size_t c = 0; c < numChars; ++c)
        {
            unsigned value = 0;

            for (unsigned bit = 0; bit < 6; ++bit)
            {
                const auto position = c * 6 + bit;

                if (position / 8 < bytes.size() && ((bytes[position / 8] >> (position % 8)) & 1u) != 0)
                    value |= 1u << bit;
            }

            text += alphabet[value];
        }

        return text;
    }

    std::optional<std::vector<unsigned char>> fromBase64 (const std::string& text)
    {
        const auto dot = text.find ('.');

        if (dot == std::string::npos || dot == 0 || text.find_first_not_of ("0123456789") < dot)
            return std::nullopt;

        std::vector<unsigned char> bytes (std::stoul (text.substr (0, dot)), 0);
        std::size_t position = 0;

        for (std::size_t i = dot + 1; i < text.size(); ++i)
        {
            const auto* found = std::strchr (alphabet, text[i]);

            if (found == nullptr || text[i] == '\0')
                return std::nullopt;

            const auto value = (unsigned) (found - alphabet);

            for (unsigned bit = 0; bit < 6; ++bit, ++position)
                if ((value >> bit) & 1u)
                {
                    if (position / 8 >= bytes.size())
                        return std::nullopt;

                    bytes[position / 8] = (unsigned char) (bytes[position / 8] | (1u << (position % 8)));
                }
        }

        return bytes;
    }
}
