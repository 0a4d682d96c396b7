// The viewer's commands and the frame pacer: platform-free, so natively too.
#include "command.h"

#include <gtest/gtest.h>

#include <cstring>

#include "frame_pacer.h"
#include "test_support.h"

namespace {

TEST(Command, SpeedStepsAreExactPulseTogglesAndTheEndIsForGood) {
    freshJourney();
    const Command steps[] = {Command::Faster, Command::Slower, Command::Slower, Command::Faster};
    const float speeds[] = {11312.80078125f, 8000.0f, 5657.30810546875f, 7999.99951171875f};
    for (int i = 0; i < 4; ++i) {
        applyCommand(journey, steps[i]);
        EXPECT_EQ(tunnel.speed, speeds[i]) << "step " << i << ": not exact reciprocals";
    }
    applyCommand(journey, Command::TogglePulse);
    EXPECT_EQ(tunnel.pulse, 1);
    applyCommand(journey, Command::TogglePulse);
    EXPECT_EQ(tunnel.pulse, 0);
    for (Command command : {Command::EndJourney, Command::EndJourney, Command::TogglePulse}) {
        applyCommand(journey, command);
        EXPECT_EQ(tunnel.quitRequested, 1) << "nothing clears the request";
    }
}

// Only "+", "-" and space are characters; the host's commands leave the journey alone.
TEST(Command, CharactersAndHostCommands) {
    Command command = Command::Exit;
    const char* typed = "+- ";
    const Command meant[] = {Command::Faster, Command::Slower, Command::TogglePulse};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(commandForCharacter(typed[i], command));
        EXPECT_EQ(command, meant[i]);
    }
    const int32_t others[] = {0,   'a',  '=', 13, 27,    127,       255,
                              299, -224, -43, -1, 65581, INT32_MIN, INT32_MAX};
    for (int32_t character : others) {
        EXPECT_FALSE(commandForCharacter(character, command)) << "character " << character;
    }
    freshJourney();
    static TunnelState before;
    before = tunnel;
    for (Command host :
         {Command::Fullscreen, Command::HomePage, Command::DonatePage, Command::Exit}) {
        applyCommand(journey, host);
    }
    EXPECT_EQ(std::memcmp(&before, &tunnel, sizeof tunnel), 0);
}

// Ticks of a 10 MHz counter; 60 Hz gives an interval of 166666 ticks.
TEST(FramePacer, BooksFromThePlanAndRoundsTheWaitUp) {
    FramePacer pacer = {};
    EXPECT_EQ(frameWaitMilliseconds(pacer, 123), 0) << "unstarted: frames run free";
    startFramePacer(pacer, 10000000, 60, 1000);
    EXPECT_EQ(frameWaitMilliseconds(pacer, 1000), 0);
    EXPECT_EQ(pacer.nextFrame, 1000 + 166666);
    EXPECT_EQ(frameWaitMilliseconds(pacer, 1000 + 166666 - 10001), 2) << "1.0001 ms rounds to 2";
    EXPECT_EQ(frameWaitMilliseconds(pacer, 1000 + 166666 - 1), 1) << "never 0 while early";
    EXPECT_EQ(frameWaitMilliseconds(pacer, 1000 + 166666 + 5000), 0) << "a little late";
    EXPECT_EQ(pacer.nextFrame, 1000 + 2 * 166666) << "booked from the planned time";
    const int64_t late = 1000 + 5 * 166666;
    EXPECT_EQ(frameWaitMilliseconds(pacer, late), 0);
    EXPECT_EQ(pacer.nextFrame, late + 166666) << "far behind: booked afresh, no burst";
    // A display that names no rate counts as 60 Hz; over a simulated second
    // of 1 ms polls, never more frames than the rate.
    startFramePacer(pacer, 10000000, 0, 0);
    int frames = 0;
    for (int64_t now = 0; now < 10000000; now += 10000) {
        frames += frameWaitMilliseconds(pacer, now) == 0 ? 1 : 0;
    }
    EXPECT_LE(frames, 60);
    EXPECT_GE(frames, 59);
}

}  // namespace
