#include "editor/OrvelGUI.h"

#include <gtest/gtest.h>

TEST (PanelValueText, EachDialFormatsItsUnit)
{
    struct Case { const char* dial; double value; const char* expected; };
    const Case cases[] {
        { "threshold", -18.0, "-18.0 dB" }, { "input", 3.5, "+3.5 dB" },  { "makeup", 0.0, "0.0 dB" },
        { "air", 0.04, "+0.0 dB" },         { "drive", 24.0, "+24.0 dB" }, { "low", -0.25, "-0.2 dB" },
        { "ratio", 3.0, "3.0 : 1" },        { "ratio", 20.0, "20.0 : 1" },
        { "attack", 0.1, "0 ms" },          { "attack", 10.0, "10 ms" },   { "release", 79.5, "80 ms" },
        { "hpf", 86.25, "86 Hz" },          { "lpf", 20000.0, "20000 Hz" }, { "freq", 6000.0, "6000 Hz" },
        { "mix", 99.5, "100 %" },           { "width", 200.0, "200 %" },   { "amount", 20.0, "20 %" },
        { "size", 0.4, "0 %" },             { "damp", 35.0, "35 %" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (OrvelGUI::formatValue (c.dial, c.value), c.expected) << c.dial << " " << c.value;
}
