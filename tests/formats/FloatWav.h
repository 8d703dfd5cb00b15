#pragma once

// 32-bit float WAV files for the tests that hand audio to command-line tools: written plainly,
// read by walking the chunks (libsndfile adds "fact" and "PEAK" chunks before the data).

#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace orvel::formats
{
    /** Writes the channels (all the same length) as a float WAV at the rate; true on success. */
    inline bool writeFloatWav (const std::string& path, const std::vector<std::vector<float>>& channels, int sampleRate)
    {
        const auto numChannels = (std::uint16_t) channels.size();
        const auto numFrames = channels.empty() ? std::size_t { 0 } : channels[0].size();
        const auto dataBytes = (std::uint32_t) (numFrames * numChannels * sizeof (float));
        std::ofstream out (path, std::ios::binary);

        const auto u32 = [&out] (std::uint32_t v) { out.write (reinterpret_cast<const char*> (&v), 4); };
        const auto u16 = [&out] (std::uint16_t v) { out.write (reinterpret_cast<const char*> (&v), 2); };

        out.write ("RIFF", 4);
        u32 (36 + dataBytes);
        out.write ("WAVEfmt ", 8);
        u32 (16);
        u16 (3); // IEEE float
        u16 (numChannels);
        u32 ((std::uint32_t) sampleRate);
        u32 ((std::uint32_t) sampleRate * numChannels * 4);
        u16 ((std::uint16_t) (numChannels * 4));
        u16 (32);
        out.write ("data", 4);
        u32 (dataBytes);

        for (std::size_t i = 0; i < numFrames; ++i)
            for (const auto& channel : channels)
                out.write (reinterpret_cast<const char*> (&channel[i]), sizeof (float));

        return static_cast<bool> (out);
    }

    /** The channels of a float WAV, or nothing when the file is not one. */
    inline std::optional<std::vector<std::vector<float>>> readFloatWav (const std::string& path)
    {
        std::ifstream in (path, std::ios::binary);
        const std::vector<char> bytes ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());

        const auto u32 = [&bytes] (std::size_t at) { std::uint32_t v; std::memcpy (&v, bytes.data() + at, 4); return v; };
        const auto u16 = [&bytes] (std::size_t at) { std::uint16_t v; std::memcpy (&v, bytes.data() + at, 2); return v; };

        if (bytes.size() < 12 || std::memcmp (bytes.data(), "RIFF", 4) != 0 || std::memcmp (bytes.data() + 8, "WAVE", 4) != 0)
            return std::nullopt;

        std::uint16_t numChannels = 0;

        for (std::size_t at = 12; at + 8 <= bytes.size();)
        {
            const auto size = (std::size_t) u32 (at + 4);

            if (at + 8 + size > bytes.size())
                return std::nullopt;

            if (std::memcmp (bytes.data() + at, "fmt ", 4) == 0 && size >= 16)
            {
                if (u16 (at + 8) != 3 || u16 (at + 22) != 32)
                    return std::nullopt;

                numChannels = u16 (at + 10);
            }
            else if (std::memcmp (bytes.data() + at, "data", 4) == 0 && numChannels > 0)
            {
                std::vector<std::vector<float>> channels (numChannels, std::vector<float> (size / 4 / numChannels));

                for (std::size_t i = 0; i < channels[0].size(); ++i)
                    for (std::size_t ch = 0; ch < numChannels; ++ch)
                        std::memcpy (&channels[ch][i], bytes.data() + at + 8 + (i * numChannels + ch) * 4, 4);

                return channels;
            }

            at += 8 + size + (size & 1);
        }

        return std::nullopt;
    }
}
