// Base of every test that runs on the simulated machine: a fresh machine for
// each test, and its whole state printed when the test has failed.
#pragma once

#include <gtest/gtest.h>

#include <iostream>

#include "platform/sim/SimMachine.h"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { sim::reset(); }
  void TearDown() override {
    if (HasFailure()) std::cout << sim::machine().Dump();
  }
  sim::Machine& machine() { return sim::machine(); }
};
