// Every cell of the saver window's table: the state after each event in each
// state, and what the step asks for.
#include <gtest/gtest.h>

#include <string>

#include "saver_states.h"

namespace morv {
namespace {

using E = SaverEvent;
using P = SaverPhase;
constexpr SaverState St{P::Starting, P::Starting}, Du{P::RunDue, P::RunDue},
    Co{P::Computing, P::Computing}, Sh{P::Showing, P::Showing}, Cl{P::Closing, P::Closing},
    VeS{P::Verifying, P::Showing}, VeT{P::Verifying, P::Starting}, VeD{P::Verifying, P::RunDue};
constexpr unsigned Go = StartRun, Shut = CloseWindow, Post = PostClose, Ask = AskPassword,
                   Abort = AbortRun, Lay = LayOut, Look = QueueFollow;

struct Cell {
  SaverState next;
  unsigned actions;
};

std::string Name(const SaverState& s) {
  std::string name = SaverPhaseName(s.phase);
  if (s.phase == P::Verifying) name += std::string(" of ") + SaverPhaseName(s.interrupted);
  return name;
}

// Each row: one event, in each state of `columns`.
template <int N>
struct Row {
  E event;
  Cell cells[N];
};

template <int N>
void CheckTable(const SaverState (&columns)[N], const Row<N>* rows, int count, bool preview) {
  ASSERT_EQ(count, SaverEventCount);
  for (int row = 0; row < count; ++row) {
    for (int c = 0; c < N; ++c) {
      const SaverStep step = DecideSaverStep(columns[c], rows[row].event, preview);
      const Cell& want = rows[row].cells[c];
      EXPECT_EQ(Name(step.next), Name(want.next)) << "row " << row << " from " << Name(columns[c]);
      EXPECT_EQ(step.actions, want.actions) << "row " << row << " from " << Name(columns[c]);
    }
  }
}

TEST(SaverStatesTest, EveryEventInEveryState) {
  // A prompt may interrupt Showing, or a window not yet erased (Starting), whose
  // erase inside the prompt leaves the run to the loop (RunDue).
  const SaverState columns[] = {St, Du, Co, Sh, VeS, VeT, VeD, Cl};
  const Row<8> table[] = {
      {E::SameDepthChange, {{St, Look}, {Du, Look}, {Co, Look}, {Sh, Look}, {VeS, Look}, {VeT, Look}, {VeD, Look}, {Cl, 0}}},
      {E::DepthChange, {{St, Post}, {Du, Post}, {Co, Abort | Post}, {Sh, Post}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::Follow, {{St, Lay}, {St, Lay}, {Co, Look}, {St, Lay}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::Erase, {{Du, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {VeS, 0}, {VeD, 0}, {VeD, 0}, {Cl, 0}}},
      {E::Tick, {{St, Look}, {Du, Look}, {Co, 0}, {Sh, Draw | Look}, {VeS, Draw}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::Input, {{St, Post}, {Du, Post}, {Co, 0}, {Sh, Post}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::Close, {{VeT, Ask}, {VeD, Ask}, {Co, Abort | Post}, {VeS, Ask}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, Shut}}},
      {E::Refused, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Sh, Look}, {St, Look}, {Du, Look}, {Cl, 0}}},
      {E::Accepted, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, Shut}, {Cl, Shut}, {Cl, Shut}, {Cl, 0}}},
      {E::Power, {{St, Post}, {Du, Post}, {Co, Abort | Post}, {Sh, Post}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::Destroy, {{Cl, 0}, {Cl, 0}, {Cl, Abort}, {Cl, 0}, {Cl, 0}, {Cl, 0}, {Cl, 0}, {Cl, 0}}},
      {E::DialogAbort, {{St, 0}, {Du, 0}, {Sh, 0}, {Sh, 0}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::RunEnded, {{St, 0}, {Du, 0}, {Sh, 0}, {Sh, 0}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
      {E::LoopTurn, {{St, 0}, {Co, Go}, {Co, 0}, {Sh, 0}, {VeS, 0}, {VeT, 0}, {VeD, 0}, {Cl, 0}}},
  };
  CheckTable(columns, table, static_cast<int>(sizeof table / sizeof table[0]), false);
}

// A preview ignores display changes and input, closes at once (but not inside
// its run), and is never asked for a password.
TEST(SaverStatesTest, EveryEventInEveryStateOfAPreview) {
  const SaverState columns[] = {St, Du, Co, Sh, Cl};
  const Row<5> table[] = {
      {E::SameDepthChange, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::DepthChange, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Follow, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Erase, {{Du, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Tick, {{St, Look}, {Du, Look}, {Co, 0}, {Sh, Draw | Look}, {Cl, 0}}},
      {E::Input, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Close, {{Cl, Shut}, {Cl, Shut}, {Co, Abort | Post}, {Cl, Shut}, {Cl, Shut}}},
      {E::Refused, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Accepted, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Power, {{St, 0}, {Du, 0}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
      {E::Destroy, {{Cl, 0}, {Cl, 0}, {Cl, Abort}, {Cl, 0}, {Cl, 0}}},
      {E::DialogAbort, {{St, 0}, {Du, 0}, {Sh, 0}, {Sh, 0}, {Cl, 0}}},
      {E::RunEnded, {{St, 0}, {Du, 0}, {Sh, 0}, {Sh, 0}, {Cl, 0}}},
      {E::LoopTurn, {{St, 0}, {Co, Go}, {Co, 0}, {Sh, 0}, {Cl, 0}}},
  };
  CheckTable(columns, table, static_cast<int>(sizeof table / sizeof table[0]), true);
}

}  // namespace
}  // namespace morv
