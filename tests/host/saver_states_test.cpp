// Every cell of the saver window's table: the state after each event in each
// state, and what the step asks for.
#include <gtest/gtest.h>

#include <string>

#include "saver_states.h"

namespace morv {
namespace {

using E = SaverEvent;
constexpr SaverPhase St = SaverPhase::Starting, Du = SaverPhase::RunDue,
                     Co = SaverPhase::Computing, Sh = SaverPhase::Showing,
                     Ve = SaverPhase::Verifying, Cl = SaverPhase::Closing;

struct Cell {
  SaverPhase next;
  unsigned actions;
};

void Check(const SaverState& from, E event, bool preview, const Cell& want, int row) {
  const SaverStep step = DecideSaverStep(from, event, preview);
  EXPECT_EQ(SaverPhaseName(step.next.phase), std::string(SaverPhaseName(want.next)))
      << "row " << row << " from " << SaverPhaseName(from.phase);
  EXPECT_EQ(step.actions, want.actions) << "row " << row << " from " << SaverPhaseName(from.phase);
}

TEST(SaverStatesTest, EveryEventInEveryState) {
  constexpr unsigned Run = StartRun, Shut = CloseWindow, Post = PostClose, Ask = AskPassword,
                     Abort = AbortRun, Lay = LayOut, Look = QueueFollow;
  // Columns: Starting, RunDue, Computing, Showing, Verifying (of Showing), Closing.
  const struct {
    E event;
    Cell cells[SaverPhaseCount];
  } table[] = {
      {E::Announce, {{St, Look}, {Du, Look}, {Co, Look}, {Sh, Look}, {Ve, Look}, {Cl, 0}}},
      {E::DepthChange, {{St, Post}, {Du, Post}, {Co, Abort | Post}, {Sh, Post}, {Ve, 0}, {Cl, 0}}},
      {E::Follow, {{St, Lay}, {St, Lay}, {Co, Look}, {St, Lay}, {Ve, 0}, {Cl, 0}}},
      {E::Erase, {{Du, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Ve, 0}, {Cl, 0}}},
      {E::Tick, {{St, Look}, {Du, Look}, {Co, 0}, {Sh, Draw | Look}, {Ve, Draw}, {Cl, 0}}},
      {E::Input, {{St, Post}, {Du, Post}, {Co, 0}, {Sh, Post}, {Ve, 0}, {Cl, 0}}},
      {E::Close, {{Ve, Ask}, {Ve, Ask}, {Co, Abort | Post}, {Ve, Ask}, {Ve, 0}, {Cl, Shut}}},
      {E::Refused, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Sh, Look}, {Cl, 0}}},
      {E::Accepted, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, Shut}, {Cl, 0}}},
      {E::Power, {{St, Post}, {Du, Post}, {Co, Abort | Post}, {Sh, Post}, {Ve, 0}, {Cl, 0}}},
      {E::Destroy, {{Cl, 0}, {Cl, 0}, {Cl, 0}, {Cl, 0}, {Cl, 0}, {Cl, 0}}},
      {E::DialogAbort, {{St, 0}, {Du, 0}, {Sh, 0}, {Sh, 0}, {Ve, 0}, {Cl, 0}}},
      {E::RunEnded, {{St, 0}, {Du, 0}, {Sh, 0}, {Sh, 0}, {Ve, 0}, {Cl, 0}}},
      {E::LoopTurn, {{St, 0}, {Co, Run}, {Co, 0}, {Sh, 0}, {Ve, 0}, {Cl, 0}}},
  };
  ASSERT_EQ(sizeof table / sizeof table[0], static_cast<size_t>(SaverEventCount));
  for (int row = 0; row < SaverEventCount; ++row) {
    for (int p = 0; p < SaverPhaseCount; ++p) {
      const SaverPhase phase = static_cast<SaverPhase>(p);
      const SaverState from{phase, phase == Ve ? Sh : phase};
      Check(from, table[row].event, false, table[row].cells[p], row);
    }
  }
}

// A prompt that opened before the first erase: the erase inside it makes the
// run due, and the loop starts it once the prompt is refused.
TEST(SaverStatesTest, AnEraseDuringThePromptLeavesTheRunToTheLoop) {
  SaverStep step = DecideSaverStep({St, St}, E::Close, false);
  EXPECT_EQ(DecideSaverStep(step.next, E::Tick, false).actions, 0u);  // no ferns to draw yet
  step = DecideSaverStep(step.next, E::Erase, false);
  EXPECT_EQ(step.actions, 0u);
  step = DecideSaverStep(step.next, E::Refused, false);
  EXPECT_EQ(step.next.phase, Du);
  EXPECT_EQ(DecideSaverStep(step.next, E::LoopTurn, false).actions, static_cast<unsigned>(StartRun));
}

// A preview ignores display changes and input, and closes at once, except
// during its run.
TEST(SaverStatesTest, APreviewFollowsNothingAndClosesAtOnce) {
  for (E event : {E::Announce, E::DepthChange, E::Follow, E::Input, E::Power}) {
    Check({Sh, Sh}, event, true, {Sh, 0}, static_cast<int>(event));
  }
  Check({Sh, Sh}, E::Close, true, {Cl, CloseWindow}, 0);
  Check({Co, Co}, E::Close, true, {Co, AbortRun | PostClose}, 0);
  Check({Du, Du}, E::LoopTurn, true, {Co, StartRun}, 0);  // the rest as in full screen
}

}  // namespace
}  // namespace morv
