#include "console/consoleLockUnit.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "platform/machineLock.h"
#include "support/fakeSequencePlatform.h"

namespace {

// What the console says of the machine's lock: a refusal names the holder and, where the holder
// is another user, the way past it; going past another user's run warns, saying why, and leaves
// the holder for the quality report. Root always asks to go past another user's run.
TEST(ConsoleLock, SaysWhoHoldsTheMachineAndWhatTheRunDoes) {
    using State = MachineLockResult::State;
    const unsigned me = platform::currentUser();
    const unsigned other = me + 1;
    const std::string otherName = platform::userName(other);
    const std::string meName = platform::userName(me);
    const struct {
        bool ignoreLock;
        MachineLockResult lock;
        bool starts;
        std::string said;  // on standard error
        std::string otherRun;
    } cases[] = {
        {false, {}, true, "", ""},
        {false,
         {State::Busy, {me, 42}},
         false,
         "korvex2-console: another benchmark run is in progress on this machine (user " + meName +
             ", process 42); two runs at once skew each other, so this one does not start\n",
         ""},
        {false,
         {State::Busy, {other, 0}},
         false,
         "korvex2-console: another benchmark run is in progress on this machine (user " +
             otherName +
             ", process unknown); two runs at once skew each other, so this one does not start "
             "(--ignore-lock starts it all the same)\n",
         ""},
        {true,
         {State::Overridden, {other, 7}},
         true,
         "korvex2-console: warning: another user's benchmark run holds this machine (user " +
             otherName + ", process 7); this run goes on all the same (" +
             (me == 0 ? "it runs as root" : "--ignore-lock") +
             "), and two runs at once skew each other\n",
         "пользователь " + otherName + ", процесс 7"},
    };
    for (const auto& c : cases) {
        FakeSequencePlatform system;
        system.lockResult = c.lock;
        std::ostringstream err;
        std::string otherRun;
        EXPECT_EQ(takeMachineLock(system, c.ignoreLock, otherRun, err), c.starts) << c.said;
        EXPECT_EQ(system.overrideAsked, c.ignoreLock || me == 0) << c.said;
        EXPECT_EQ(err.str(), c.said);
        EXPECT_EQ(otherRun, c.otherRun) << c.said;
    }
    EXPECT_EQ(lockHolderText({}), "user unknown, process unknown");
}

}  // namespace
