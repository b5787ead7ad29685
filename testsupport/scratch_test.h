// A test fixture that gives each test a fresh scratch directory, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "run_program.h"

template <class Base = testing::Test>
class ScratchTest : public Base {
protected:
    void SetUp() override
    {
        dir = make_scratch_dir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
        ASSERT_FALSE(ec) << ec.message();
    }
    std::string dir;
};
