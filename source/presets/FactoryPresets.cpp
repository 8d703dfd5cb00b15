#include "presets/FactoryPresets.h"

#include <cstring>

namespace FactoryPresets
{
    // Columns: four section bypasses, hpf, lpf, low, mid, high, air, threshold, ratio,
    // attack, release, makeup, de-ess freq, de-ess amount, drive, sat mix, width,
    // reverb size, reverb damping, reverb mix.
    const std::array<Preset, 11> table { {
        { "Airy",     { 0, 0, 0, 0, 90, 20000, -1.0f, -0.5f, 2.5f, 5.5f, -19, 3.0f, 12, 95, 3.0f, 7000, 28, 3.5f, 15, 118, 22, 32, 14 } },
        { "Bright",   { 0, 0, 0, 0, 85, 18500, -1.0f, 1.0f, 3.0f, 3.0f, -20, 3.5f, 8, 80, 3.5f, 6800, 24, 5.0f, 18, 108, 16, 35, 8 } },
        { "Clean",    { 0, 0, 0, 0, 80, 20000, 0.0f, 0.0f, 1.5f, 2.0f, -18, 3.0f, 12, 85, 3.0f, 6200, 25, 4.0f, 18, 105, 12, 40, 6 } },
        { "Dark",     { 0, 0, 0, 0, 70, 14500, 1.5f, -1.5f, -2.5f, -4.0f, -17, 2.8f, 16, 110, 2.0f, 5600, 14, 6.0f, 20, 98, 10, 52, 4 } },
        { "Intimate", { 0, 0, 0, 0, 75, 17000, 1.0f, 1.2f, -0.8f, -1.0f, -22, 4.0f, 10, 75, 4.0f, 6100, 20, 4.5f, 16, 92, 8, 48, 4 } },
        { "Podcast",  { 0, 0, 0, 0, 85, 15000, 0.5f, 1.5f, -0.5f, 0.5f, -24, 4.5f, 6, 70, 5.0f, 6200, 18, 2.0f, 10, 100, 0, 35, 0 } },
        { "Presence", { 0, 0, 0, 0, 80, 19000, -0.5f, 2.5f, 1.5f, 1.0f, -20, 3.8f, 8, 72, 4.0f, 6500, 22, 6.0f, 20, 106, 10, 38, 5 } },
        { "Rap",      { 0, 0, 0, 0, 95, 17500, -0.5f, 2.0f, 2.5f, 1.0f, -26, 6.0f, 3, 45, 5.0f, 6800, 28, 10.0f, 35, 110, 14, 40, 5 } },
        { "Rock",     { 0, 0, 0, 0, 95, 16500, 0.0f, 2.2f, 1.8f, 0.8f, -24, 5.0f, 4, 55, 5.0f, 6500, 20, 12.0f, 40, 108, 12, 42, 6 } },
        { "Warm",     { 0, 0, 0, 0, 75, 16500, 1.0f, 0.6f, -1.0f, -1.8f, -18, 2.6f, 14, 95, 2.5f, 5800, 14, 6.5f, 24, 102, 9, 50, 4 } },
        { "Wide",     { 0, 0, 0, 0, 85, 19000, -0.5f, 0.8f, 1.5f, 2.0f, -20, 3.2f, 10, 80, 3.0f, 6500, 22, 4.0f, 18, 140, 20, 36, 10 } },
    } };

    const Preset* find (const char* name) noexcept
    {
        for (const auto& p : table)
            if (std::strcmp (p.name, name) == 0)
                return &p;

        return nullptr;
    }
}
