// Runs the score compiler on a text in fresh buffers and collects what it produced.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "converter.h"
#include "score_compiler.h"

struct Compiled {
    int ret = -1;
    std::string stream;  // the LengthOUT bytes of bufOUT, as "30 21 00"
    std::string out;
    std::string err;
    bool guard_intact = true;  // nothing written past the 32000 bytes of bufOUT
};

inline std::string hex_bytes(const unsigned char* p, int n)
{
    std::string s;
    char b[4];
    for (int i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

inline Compiled compile_text(const std::string& text, int type)
{
    constexpr int kGuard = 64;
    std::vector<unsigned char> in(kBufInSize, 0);
    std::vector<unsigned char> out(kBufOutSize + kGuard, 0xEE);
    std::memcpy(in.data(), text.data(), text.size() < kBufInSize ? text.size() : kBufInSize - 1);
    bufIN = in.data();
    bufOUT = out.data();
    TypeDest = type;
    Compiled c;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    c.ret = MUSConv();
    std::fflush(stdout);
    c.out = testing::internal::GetCapturedStdout();
    c.err = testing::internal::GetCapturedStderr();
    c.stream = hex_bytes(out.data(), LengthOUT);
    for (int i = kBufOutSize; i < kBufOutSize + kGuard; ++i)
        c.guard_intact = c.guard_intact && out[i] == 0xEE;
    bufIN = nullptr;
    bufOUT = nullptr;
    return c;
}
