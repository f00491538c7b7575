#pragma once
// The whole program beside a sound server of the test's own, which records
// everything it plays from before the program starts.

#include "common/program_fixture.h"
#include "common/pulse_server.h"

namespace zt {

class HeardProgramTest : public ProgramTest {
  protected:
    // Fixtures built on this one return from their own SetUp when this
    // one failed (HasFatalFailure()).
    void SetUp() override {
        ASSERT_TRUE(server.start()) << "needs pulseaudio and pulseaudio-utils";
        ASSERT_TRUE(server.startRecording());
        ProgramTest::SetUp();
    }

    PulseServer server;
};

}  // namespace zt
