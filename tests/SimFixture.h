// Base of every test that runs on the simulated machine: a fresh machine for
// each test, and its whole state printed when the test has failed.
#pragma once

#include <gtest/gtest.h>

#include <iostream>

#include "platform/sim/SimMachine.h"

// A school's own name for the install folder, as the machine stores it: "ó"
// is a letter of code page 1252, "Ł" and "ź" are not (the ANSI calls see
// "Lódz").
const char kPolishFolder[] =
    "C:\\Programy\\Kelmora \u0141\xF3"
    "d\u017A";

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { sim::reset(); }
  void TearDown() override {
    if (HasFailure()) std::cout << sim::machine().Dump();
  }
  sim::Machine& machine() { return sim::machine(); }
};
